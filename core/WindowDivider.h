#pragma once
// Division by a window length through its reciprocal, for loops that divide a running sum once
// per sample: a division instruction per sample would cost more than the rest of a sliding step.
#include <cstdint>

namespace klt {

// Truncates sum / length like integer division. Exact for |sum| < 2^48 and lengths up to 2^16.
class TWindowDivider {
public:
    int Divide(int64_t sum, int length) {
        if (length == 1) {
            return static_cast<int>(sum); // its reciprocal would need 65 bits
        }
        if (divisor_ != length) {
            divisor_ = length;
            reciprocal_ = ~uint64_t{0} / static_cast<uint64_t>(length) + 1;
        }
        __extension__ using TWide = unsigned __int128;
        const uint64_t magnitude = static_cast<uint64_t>(sum < 0 ? -sum : sum);
        const auto quotient = static_cast<int64_t>((static_cast<TWide>(magnitude) * reciprocal_) >> 64);
        return static_cast<int>(sum < 0 ? -quotient : quotient);
    }

private:
    int divisor_ = 0;
    uint64_t reciprocal_ = 0;
};

} // namespace klt
