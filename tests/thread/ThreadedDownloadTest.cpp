// The read and state dialogs' work on a thread of its own, as the window runs it, against the
// simulated generation 7 head unit: everything reaches the draining thread through the worker, an
// abort from there stops the download between requests, and nothing of a ride is half saved.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>

#include "flow/HeadUnitWorker.h"
#include "flow/ReadDataModel.h"
#include "flow/StateModel.h"
#include "flow/UsbHeadUnit.h"
#include "tests/device/FakeLine.h"
#include "tests/integration/SimulatorRig.h"
#include "tests/support/ScriptedPrompt.h"
#include "tests/support/TempDatabase.h"

namespace klt {
namespace {

class ThreadedDownloadTest : public ::testing::Test {
protected:
    void Plug(int rides) {
        sim::TSimOptions options = test::SimOptions(7);
        options.rides = rides;
        options.rideMinutes = 4;
        rig_ = std::make_unique<test::TUsbSimulatorRig>(options);
    }
    TDownloadConfiguration Configuration() const {
        TDownloadConfiguration configuration;
        configuration.headUnitType = 7;
        configuration.databaseDir = db_.Path();
        return configuration;
    }
    std::unique_ptr<TVeltrak> Protocol() {
        return std::make_unique<TVeltrak>(
            std::make_unique<test::TFakeLine>([](uint8_t, const TLineSettings&, std::deque<uint8_t>&) {}), nullptr,
            rig_->usb.get());
    }
    // Runs `work` on the worker and drains it here until it is done.
    void RunAndDrain(const std::function<void()>& work) {
        bool done = false;
        ASSERT_TRUE(worker_.Start(work, [&] { done = true; }));
        while (!done) {
            worker_.Drain();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }

    test::TTempDatabase db_;
    test::TScriptedPrompt prompt_;
    THeadUnitWorker worker_{prompt_};
    std::unique_ptr<test::TUsbSimulatorRig> rig_;
};

TEST_F(ThreadedDownloadTest, ProgressReachesTheDrainingThreadAndEveryRideIsSaved) {
    Plug(2);
    TKLTVtrkReadDataModel read(Configuration(), false, "Read %s", "%s", worker_.WorkPrompt(), Protocol());
    std::vector<int> shown;
    read.OnChanged = [&] { worker_.Post([&, view = read.View()] { shown.push_back(view.progress); }); };
    bool saveFollows = false;
    RunAndDrain([&] { saveFollows = read.Download(); });
    EXPECT_TRUE(saveFollows);
    EXPECT_TRUE(read.Downloaded().Complete());
    EXPECT_EQ(read.Downloaded().files.size(), 2u);
    EXPECT_FALSE(shown.empty());
    EXPECT_EQ(read.Caption(), "Read KLT");
}

TEST_F(ThreadedDownloadTest, AnAbortFromTheDrainingThreadStopsTheDownloadAndKeepsNoHalfRide) {
    Plug(3);
    TKLTVtrkReadDataModel read(Configuration(), false, "%s", "%s", worker_.WorkPrompt(), Protocol());
    // The first progress the window sees is its cue.
    read.OnChanged = [&] {
        worker_.Post([&, view = read.View()] {
            if (view.progress > 0) {
                read.Abort();
            }
        });
    };
    bool saveFollows = true;
    RunAndDrain([&] { saveFollows = read.Download(); });
    EXPECT_FALSE(saveFollows);
    EXPECT_EQ(read.Outcome(), TDownloadOutcome::Aborted);
    EXPECT_FALSE(read.Downloaded().Complete());
    EXPECT_LT(read.Downloaded().files.size(), 4u);

    // What was saved is whole: the next download brings the rest and knows the rest.
    TKLTVtrkReadDataModel again(Configuration(), false, "%s", "%s", worker_.WorkPrompt(), Protocol());
    RunAndDrain([&] { again.Download(); });
    EXPECT_TRUE(again.Downloaded().Complete());
    EXPECT_EQ(static_cast<size_t>(again.Downloaded().skippedKnown) + again.Downloaded().files.size(), 3u);
}

TEST_F(ThreadedDownloadTest, TheStateOfAHeadUnitTheWindowsWatchOpenedIsReadOverUsb) {
    Plug(1);
    // The main window's watch has the link open already, with a protocol object of its own.
    TVeltrakUsbHeadUnit watch({}, test::InstalledPrompt(), rig_->usb.get());
    ASSERT_TRUE(watch.Connect(IUsbHeadUnit::kGeneration7));
    TKLTVtrkStateModel state(Configuration(), "State %s", worker_.WorkPrompt(), Protocol());
    std::optional<int> next;
    RunAndDrain([&] { next = state.Tick(); });
    ASSERT_TRUE(next.has_value());
    EXPECT_EQ(state.Caption(), "State KLT");
    EXPECT_EQ(state.Texts().hardware, "VII");
    EXPECT_TRUE(prompt_.shown.empty());
    RunAndDrain([&] { next = state.Tick(); });
    EXPECT_TRUE(next.has_value());
}

} // namespace
} // namespace klt
