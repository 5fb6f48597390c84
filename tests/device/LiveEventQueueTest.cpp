// The queue between the read thread and the window: in order, and bounded when nobody drains it.
#include <gtest/gtest.h>

#include "device/live/LiveEvents.h"

namespace klt {
namespace {

TEST(LiveEventQueueTest, AQueueNobodyDrainsKeepsOnlyTheNewestEvents) {
    TLiveEventQueue queue(3);
    for (int rider = 1; rider <= 5; ++rider) {
        queue.Post(TLiveValueSet{.rider = rider});
    }
    queue.Post(TLiveConnectionLost{});
    const std::vector<TLiveEvent> events = queue.Drain();
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(std::get<TLiveValueSet>(events[0]).rider, 4);
    EXPECT_TRUE(std::holds_alternative<TLiveConnectionLost>(events[2]));
    EXPECT_EQ(queue.Dropped(), 3u);
    EXPECT_TRUE(queue.WaitAndDrain(std::chrono::milliseconds(1)).empty());
}

} // namespace
} // namespace klt
