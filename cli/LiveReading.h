#pragma once
// What `klt live` and `klt hrv` share: the live read thread on a head unit, its events handed to
// the command's own thread until the time is up, Ctrl+C, or the command has what it needs.
#include <functional>
#include <optional>

#include "device/genv/VeltrakV.h"
#include "device/live/LiveEvents.h"
#include "device/live/VeltrakReadThread.h"

namespace klt::cli {

// Reads in `mode` (its logs below the configured database) and hands each event to `take`; stops
// after `seconds` (none: no limit), on Ctrl+C or once `done` says so, and then hands over what was
// still on its way.
void ReadLiveEvents(TVeltrakV& veltrak, TReadMode mode, std::optional<int> seconds,
                    const std::function<void(const TLiveEvent&)>& take,
                    const std::function<bool()>& done = [] { return false; });

} // namespace klt::cli
