// The live read thread against a protocol object that answers, times out, fails or hangs as the
// test says: the value sets it hands over, the brake step after reads, the error counts, suspend,
// and stopping at any moment.
#include <gtest/gtest.h>

#include <random>

#include "device/VeltrakExceptions.h"
#include "device/live/VeltrakReadThread.h"
#include "tests/support/RawTraining.h"
#include "tests/thread/ReadThreadFixture.h"

namespace klt {
namespace {

using namespace std::chrono_literals;

enum class TBehaviour { Answer, Timeout, Fail, Hang, Ask };

class TFakeLiveProtocol : public TVeltrakOld {
public:
    std::atomic<TBehaviour> behaviour{TBehaviour::Answer};
    std::atomic<int> reads{0};
    std::atomic<TPromptAnswer> answer{TPromptAnswer::Ok};

    void ReadLiveValues() override {
        ++reads;
        switch (behaviour.load()) {
        case TBehaviour::Answer:
            Status().Leistung = 800;
            Status().Temperatur = 215;
            return;
        case TBehaviour::Timeout:
            throw EVeltrakTimeout("Test");
        case TBehaviour::Fail:
            throw EVeltrakComError("broken");
        case TBehaviour::Ask: // a failure the protocol would offer to retry
            ProcessIdle();
            answer = UserPrompt().Ask("Warning", "Veltrak busy\r\nPlease wait", TPromptButtons::OkCancel);
            throw EVeltrakAbort();
        case TBehaviour::Hang:
            for (;;) { // a head unit that never answers: the protocol idles while it waits
                ProcessIdle();
                std::this_thread::sleep_for(2ms);
            }
        }
    }
};

class ReadThreadTest : public ::testing::Test {
protected:
    TReadThreadSettings Settings() const {
        TReadThreadSettings settings;
        settings.cycle = 5ms;
        settings.logDirectory = dir_.Path();
        return settings;
    }
    std::string Log() const { return test::ReadFileBytes(dir_.File("ErgoFiles/Testwerte.txt")); }

    test::TTempDir dir_;
    TFakeLiveProtocol protocol_;
    TDeviceAccess access_;
    test::TCountingBrake brake_{access_};
    test::TLiveCollector collector_;
};

TEST_F(ReadThreadTest, ValueSetsArriveAsCopiesAndTheBrakeStepFollowsReadsWithoutTheLock) {
    bool idled = false;
    protocol_.OnIdle = [&] { idled = true; };
    TVeltrakStatus callers;
    protocol_.LinkStatus(&callers);
    {
        TVeltrakReadThread thread(protocol_, Settings(), access_, &brake_, collector_.queue);
        thread.Start();
        ASSERT_TRUE(collector_.WaitFor([&] { return collector_.Sets().size() >= 5; }));
        thread.Stop();
        EXPECT_FALSE(thread.Running());
    }
    const std::vector<TLiveValueSet> sets = collector_.Sets();
    EXPECT_EQ(sets[0].rider, 1);
    EXPECT_EQ(sets[0].power, 800);
    EXPECT_EQ(sets[0].temperature, 215);
    EXPECT_GE(sets[1].elapsedMs, 0);
    EXPECT_GE(brake_.steps, 1);
    EXPECT_LE(brake_.steps, static_cast<int>(sets.size()));
    EXPECT_EQ(brake_.stepsUnderLock, 0);
    // the head unit's status stays the protocol's: the brake control reads the live values there,
    // under the device lock; the hooks are as they were
    EXPECT_EQ(&protocol_.Status(), &callers);
    EXPECT_EQ(callers.Leistung, 800);
    ASSERT_TRUE(protocol_.OnIdle);
    protocol_.OnIdle();
    EXPECT_TRUE(idled);
    EXPECT_NE(Log().find(" SleepTime:"), std::string::npos);
}

TEST_F(ReadThreadTest, AFailingBrakeStepIsHandedOnAndReadingGoesOn) {
    brake_.fail = true;
    TVeltrakReadThread thread(protocol_, Settings(), access_, &brake_, collector_.queue);
    thread.Start();
    ASSERT_TRUE(collector_.WaitFor([&] { return collector_.Count<TLiveBrakeFailure>() >= 3; }));
    thread.Stop();
    EXPECT_GE(collector_.Sets().size(), 3u);
    for (const TLiveEvent& event : collector_.events) {
        if (const auto* failure = std::get_if<TLiveBrakeFailure>(&event)) {
            EXPECT_EQ(failure->message, "Severe Error of Brakecontrol");
        }
    }
}

TEST_F(ReadThreadTest, TimeoutsLoseTheConnectionOnceAndAGoodReadRestoresIt) {
    protocol_.behaviour = TBehaviour::Timeout;
    TVeltrakReadThread thread(protocol_, Settings(), access_, &brake_, collector_.queue);
    thread.Start();
    ASSERT_TRUE(collector_.WaitFor([&] { return collector_.Count<TLiveConnectionLost>() == 1; }));
    const int readsAtLoss = protocol_.reads;
    ASSERT_TRUE(collector_.WaitFor([&] { return protocol_.reads >= readsAtLoss + 5; }));
    collector_.WaitFor([] { return false; }, 0s);
    EXPECT_EQ(collector_.Count<TLiveConnectionLost>(), 1u); // once per outage, not once per read
    protocol_.behaviour = TBehaviour::Answer;
    ASSERT_TRUE(collector_.WaitFor([&] { return !collector_.Sets().empty(); }));
    protocol_.behaviour = TBehaviour::Fail;
    ASSERT_TRUE(collector_.WaitFor([&] { return collector_.Count<TLiveConnectionLost>() == 2; }));
    thread.Stop();
    const std::string log = Log();
    EXPECT_NE(log.find(" EVeltrakTimeout Read Error Nr:1\n"), std::string::npos);
    EXPECT_NE(log.find(" Other Read Error Nr:1 broken"), std::string::npos);
}

TEST_F(ReadThreadTest, StopDuringAReadThatHangsIsPromptAndLeavesTheDeviceFree) {
    protocol_.behaviour = TBehaviour::Hang;
    TVeltrakReadThread thread(protocol_, Settings(), access_, &brake_, collector_.queue);
    thread.Start();
    ASSERT_TRUE(collector_.WaitFor([&] { return protocol_.reads >= 1; }));
    std::this_thread::sleep_for(20ms);
    const std::chrono::milliseconds took = test::Timed([&] { thread.Stop(); });
    std::printf("stop during a hanging read: %lld ms\n", static_cast<long long>(took.count()));
    EXPECT_LT(took, test::kPromptStop);
    EXPECT_TRUE(access_.TryAcquire(0ms).owns_lock());
    EXPECT_EQ(collector_.Count<TLiveConnectionLost>(), 0u); // a stop is no lost connection
}

// The window's prompt and event pump belong to its thread: the read thread uses neither.
class TWindowPrompt : public IPrompt {
public:
    std::atomic<int> used{0};
    TPromptAnswer Ask(const std::string&, const std::string&, TPromptButtons) override {
        ++used;
        return TPromptAnswer::Ok;
    }
    void ShowMessage(const std::string&, const std::string&) override { ++used; }
};

TEST_F(ReadThreadTest, QuestionsOfTheProtocolGetTheCautiousAnswerAndTheWindowIsLeftAlone) {
    TWindowPrompt window;
    std::atomic<int> pumped{0};
    protocol_.SetPrompt(window);
    protocol_.ProcessPendingEvent = [&] { ++pumped; };
    protocol_.behaviour = TBehaviour::Ask;
    TVeltrakReadThread thread(protocol_, Settings(), access_, &brake_, collector_.queue);
    thread.Start();
    ASSERT_TRUE(collector_.WaitFor([&] { return protocol_.reads >= 3; }));
    thread.Stop();
    EXPECT_EQ(protocol_.answer.load(), TPromptAnswer::Cancel);
    EXPECT_EQ(window.used, 0);
    EXPECT_EQ(pumped, 0);
    EXPECT_EQ(&protocol_.UserPrompt(), &window); // given back
    EXPECT_TRUE(protocol_.ProcessPendingEvent);
}

TEST_F(ReadThreadTest, AStopDuringABrakeStepLetsTheStepEnd) {
    brake_.stepMs = 100;
    TVeltrakReadThread thread(protocol_, Settings(), access_, &brake_, collector_.queue);
    thread.Start();
    ASSERT_TRUE(collector_.WaitFor([&] { return brake_.steps >= 1; }));
    thread.Stop();
    EXPECT_EQ(brake_.finished, brake_.steps);
}

TEST_F(ReadThreadTest, ASuspendedThreadReadsNothingUntilResumed) {
    TVeltrakReadThread thread(protocol_, Settings(), access_, nullptr, collector_.queue);
    thread.Start();
    ASSERT_TRUE(collector_.WaitFor([&] { return protocol_.reads >= 2; }));
    thread.Suspend();
    std::this_thread::sleep_for(50ms); // a cycle in progress ends
    const int suspendedAt = protocol_.reads;
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(protocol_.reads, suspendedAt);
    thread.Resume();
    ASSERT_TRUE(collector_.WaitFor([&] { return protocol_.reads > suspendedAt; }));
    thread.Suspend(); // a suspended thread stops at once too
    EXPECT_LT(test::Timed([&] { thread.Stop(); }), test::kPromptStop);
}

TEST_F(ReadThreadTest, StartAndStopAtRandomMomentsNeverHangOrLeaveTheProtocolTaken) {
    std::mt19937 random(14);
    TVeltrakReadThread thread(protocol_, Settings(), access_, &brake_, collector_.queue);
    std::chrono::milliseconds longest{0};
    for (int round = 0; round < 40; ++round) {
        protocol_.behaviour = round % 3 == 2 ? TBehaviour::Hang : TBehaviour::Answer;
        thread.Start();
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 15000));
        longest = std::max(longest, test::Timed([&] { thread.Stop(); }));
        EXPECT_FALSE(protocol_.OnIdle); // the protocol's own hooks again
    }
    std::printf("longest stop of 40 at random moments: %lld ms\n", static_cast<long long>(longest.count()));
    EXPECT_LT(longest, test::kPromptStop);
    collector_.queue.Drain();
}

} // namespace
} // namespace klt
