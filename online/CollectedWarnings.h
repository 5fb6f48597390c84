#pragma once
// The regulator's warnings, which it may raise on the read thread, kept for the owner's thread to
// show: once a headless run is over, or as the window takes them.
#include <mutex>
#include <string>
#include <vector>

#include "online/BrakeEvents.h"

namespace klt {

struct TBrakeWarning {
    std::string caption;
    std::string text;
};

class TCollectedWarnings : public IBrakeEvents {
public:
    void Warning(const std::string& caption, const std::string& text) override;
    // The warnings not taken as "caption: text".
    std::vector<std::string> Texts() const;
    // The warnings not taken yet, oldest first; they are gone afterwards.
    std::vector<TBrakeWarning> Take();

private:
    mutable std::mutex mutex_;
    std::vector<TBrakeWarning> warnings_;
};

} // namespace klt
