#pragma once
// What the brake control tells its owner. It is called on the thread of the brake step (usually
// the head-unit read thread), so the owner hands the message to its user-interface thread rather
// than showing it there.
#include <string>

namespace klt {

class IBrakeEvents {
public:
    virtual ~IBrakeEvents() = default;
    // A message the user must see (system modal in the window program).
    virtual void Warning(const std::string& caption, const std::string& text) = 0;
};

} // namespace klt
