#pragma once
// Where requests of the kind table go: the head unit's USB link, or a fake in tests.
#include <cstdint>
#include <span>
#include <vector>

namespace klt {

class IRequestPort {
public:
    virtual ~IRequestPort() = default;
    // One request of `kind` with its retries; true with the reply's payload (after class and code)
    // in Payload(), false when no valid reply came. Throws what the link throws.
    virtual bool Request(int kind, std::span<const uint8_t> data = {}) = 0;
    virtual const std::vector<uint8_t>& Payload() const = 0;
};

} // namespace klt
