#include "cli/LiveReading.h"

#include <chrono>

#include "cli/DatabaseText.h"
#include "cli/InterruptScope.h"

namespace klt::cli {

void ReadLiveEvents(TVeltrakV& veltrak, TReadMode mode, std::optional<int> seconds,
                    const std::function<void(const TLiveEvent&)>& take, const std::function<bool()>& done) {
    using TClock = std::chrono::steady_clock;
    TReadThreadSettings settings;
    settings.mode = mode;
    settings.logDirectory = ConfiguredDatabaseDir();
    TLiveEventQueue queue;
    TDeviceAccess access;
    TVeltrakReadThread thread(veltrak, settings, access, nullptr, queue);

    TInterruptScope interrupt;
    const std::optional<TClock::time_point> end =
        seconds ? std::optional(TClock::now() + std::chrono::seconds(*seconds)) : std::nullopt;
    interrupt.StartBlocked([&] { thread.Start(); });
    const auto hand = [&](const std::vector<TLiveEvent>& events) {
        for (const TLiveEvent& event : events) {
            take(event);
        }
    };
    while (!TInterruptScope::Interrupted() && !done() && (!end || TClock::now() < *end)) {
        hand(queue.WaitAndDrain(std::chrono::milliseconds(50)));
    }
    thread.Stop();
    hand(queue.Drain());
}

} // namespace klt::cli
