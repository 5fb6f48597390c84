#include <gtest/gtest.h>

#include <functional>

#include "app/KLTMainStartup.h"
#include "app/OptionDataUnit.h"
#include "device/VeltrakErrors.h"
#include "flow/UsbPoll.h"
#include "tests/support/RawTraining.h"
#include "tests/support/ScriptedPrompt.h"

namespace klt {
namespace {

using test::TScriptedPrompt;

// A head unit on the bus as the test sets it up.
class TScriptedHeadUnit : public IUsbHeadUnit {
public:
    int Detect() override {
        ++detects;
        return present;
    }
    bool LinkLost() override { return present == 0; }
    bool Connect(int hardwareVersion) override {
        connected.push_back(hardwareVersion);
        if (onConnect) {
            onConnect();
        }
        return opens;
    }
    uint16_t FirmwareVersion() const override { return firmware; }
    void Close() override { ++closes; }
    void Reset() override {
        ++resets;
        if (onReset) {
            onReset();
        }
    }

    int present = 0;
    bool opens = true;
    uint16_t firmware = kLatestUsbFirmware;
    std::function<void()> onConnect, onReset;
    int detects = 0, closes = 0, resets = 0;
    std::vector<int> connected;
};

class TRecordingView : public IUsbPollView {
public:
    void SetBusy(bool on) override { busy += on ? 1 : -1; }
    void HeadUnitChanged() override { ++changes; }
    void OpenFirmwareWindow() override { ++firmwareWindows; }
    void WaitForHeadUnit(int milliseconds) override {
        waited.push_back(milliseconds);
        if (whileWaiting) {
            whileWaiting();
        }
    }

    int busy = 0, changes = 0, firmwareWindows = 0;
    std::vector<int> waited;
    std::function<void()> whileWaiting;
};

class UsbPoll : public testing::Test {
protected:
    UsbPoll() { tree.Sets().System.VeltrakVersion = 5; }

    int Generation() { return tree.Sets().System.VeltrakVersion; }

    test::TTempDir dir;
    TOptionDataNew tree{dir.Path(), "rider"};
    TScriptedHeadUnit headUnit;
    TRecordingView view;
    TUsbPoll poll{headUnit, tree, view};
};

TEST_F(UsbPoll, AHeadUnitArrivingTakesTheSelectorsPlaceAndLeavingGivesItBack) {
    tree.Sets().System.VeltrakVersion = 4; // the user's serial head unit is a generation IV
    TScriptedPrompt prompt;
    poll.Poll();
    EXPECT_EQ(poll.Attached(), 0);
    EXPECT_TRUE(headUnit.connected.empty());

    headUnit.present = IUsbHeadUnit::kGeneration7;
    poll.Poll();
    EXPECT_EQ(headUnit.connected, std::vector<int>{IUsbHeadUnit::kGeneration7});
    EXPECT_EQ(poll.Attached(), IUsbHeadUnit::kGeneration7);
    EXPECT_EQ(poll.SelectorText(), "VT 7");
    EXPECT_EQ(Generation(), 7);
    EXPECT_EQ(view.changes, 1);
    EXPECT_EQ(view.busy, 0); // the busy cursor is back
    EXPECT_FALSE(poll.FirstConnect());

    poll.Poll(); // still there: no second connection
    EXPECT_EQ(headUnit.connected.size(), 1u);

    headUnit.present = 0;
    poll.Poll();
    EXPECT_EQ(poll.Attached(), 0);
    EXPECT_EQ(headUnit.closes, 1);
    EXPECT_TRUE(poll.SelectorText().empty());
    EXPECT_EQ(Generation(), 4);
    EXPECT_TRUE(poll.FirstConnect());
    EXPECT_EQ(view.changes, 2);
    EXPECT_TRUE(prompt.shown.empty()); // up-to-date firmware: nothing to offer
}

TEST_F(UsbPoll, FirmwareIsOfferedOncePerConnectionUnlessSwitchedOff) {
    struct TCase {
        int generation;
        uint16_t firmware;
        std::string_view expected; // empty: no prompt
    };
    const TCase cases[] = {{IUsbHeadUnit::kGenerationVI, 0, kNoAnswerVI},
                           {IUsbHeadUnit::kGeneration7, 0, kNoAnswer7},
                           {IUsbHeadUnit::kGenerationVI, kLatestUsbFirmware - 1, kNewFirmwareVI},
                           {IUsbHeadUnit::kGeneration7, kLatestUsbFirmware - 1, kNewFirmware7},
                           {IUsbHeadUnit::kGeneration7, kLatestUsbFirmware, {}}};
    for (const TCase& c : cases) {
        TScriptedPrompt prompt({TPromptAnswer::Ok});
        headUnit.present = c.generation;
        headUnit.firmware = c.firmware;
        const int windowsBefore = view.firmwareWindows;
        poll.Poll();
        poll.Poll();
        if (c.expected.empty()) {
            EXPECT_TRUE(prompt.shown.empty()) << c.firmware;
        } else {
            ASSERT_EQ(prompt.shown.size(), 1u) << c.firmware; // once, not every poll
            EXPECT_EQ(prompt.shown[0].caption, "Attention");
            EXPECT_EQ(prompt.shown[0].text, c.expected);
            EXPECT_EQ(view.firmwareWindows, windowsBefore + 1);
        }
        headUnit.present = 0;
        poll.Poll();
    }

    // Cancel leaves the firmware alone.
    TScriptedPrompt cancel({TPromptAnswer::Cancel});
    headUnit.present = IUsbHeadUnit::kGeneration7;
    headUnit.firmware = 1;
    const int windows = view.firmwareWindows;
    poll.Poll();
    EXPECT_EQ(view.firmwareWindows, windows);
    EXPECT_EQ(cancel.shown.size(), 1u);

    headUnit.present = 0;
    poll.Poll();
    tree.Sets().System.ProtectionLevel |= TStartupFlag::NoFirmwareFlash;
    TScriptedPrompt silent;
    headUnit.present = IUsbHeadUnit::kGenerationVI;
    poll.Poll();
    EXPECT_TRUE(silent.shown.empty());
    EXPECT_FALSE(poll.FirstConnect());
}

TEST_F(UsbPoll, AHeadUnitThatCannotBeOpenedLeavesTheSerialGeneration5) {
    tree.Sets().System.VeltrakVersion = 4;
    TScriptedPrompt prompt;
    headUnit.present = IUsbHeadUnit::kGenerationVI;
    headUnit.opens = false;
    poll.Poll();
    EXPECT_EQ(poll.Attached(), 0);
    EXPECT_EQ(Generation(), 5);
    EXPECT_TRUE(poll.FirstConnect());
    EXPECT_EQ(view.busy, 0);
    EXPECT_TRUE(prompt.shown.empty());

    headUnit.opens = true; // the next poll tries again
    poll.Poll();
    EXPECT_EQ(poll.Attached(), IUsbHeadUnit::kGenerationVI);
    EXPECT_EQ(poll.SelectorText(), "VT VI");
    EXPECT_EQ(Generation(), 6);
}

TEST_F(UsbPoll, PollsWhileConnectingOrPausedDoNothing) {
    TScriptedPrompt prompt;
    headUnit.present = IUsbHeadUnit::kGeneration7;
    // Connecting lets the window run, and with it the timer.
    headUnit.onConnect = [this] { poll.Poll(); };
    poll.Poll();
    EXPECT_EQ(headUnit.detects, 1);
    EXPECT_EQ(headUnit.connected.size(), 1u);

    headUnit.present = 0;
    {
        TUsbPoll::TPause pause(poll);
        poll.Poll();
        EXPECT_EQ(poll.Attached(), IUsbHeadUnit::kGeneration7); // a dialog is using it
    }
    poll.Poll();
    EXPECT_EQ(poll.Attached(), 0);
}

TEST_F(UsbPoll, TheGateWaitsForAUsbHeadUnitOnlyWhenOneIsSelectedAndMissing) {
    TScriptedPrompt prompt;
    EXPECT_TRUE(poll.HeadUnitGate()); // a serial generation: nothing to wait for
    EXPECT_TRUE(view.waited.empty());

    for (const int generation : {6, 7}) {
        tree.Sets().System.VeltrakVersion = generation;
        EXPECT_FALSE(poll.HeadUnitGate());
    }
    EXPECT_EQ(view.waited, (std::vector<int>{TUsbPoll::kGateWaitMs, TUsbPoll::kGateWaitMs}));
    ASSERT_EQ(prompt.shown.size(), 2u);
    EXPECT_EQ(prompt.shown[0].text,
              "No Veltrak VI present.\r\n Please check cable und connect the Veltrak VI to your computer");
    EXPECT_EQ(prompt.shown[1].text,
              "No Veltrak VII present.\r\n Please check cable und connect the Veltrak VII to your computer");

    // Plugged in while the gate waits: the command goes on.
    headUnit.present = IUsbHeadUnit::kGeneration7;
    view.whileWaiting = [this] { poll.Poll(); };
    EXPECT_TRUE(poll.HeadUnitGate());
    EXPECT_EQ(prompt.shown.size(), 2u);
    EXPECT_TRUE(poll.HeadUnitGate()); // attached now: no wait
    EXPECT_EQ(view.waited.size(), 3u);
}

TEST_F(UsbPoll, ResetWarnsByGenerationAndRunsWithThePollHeldOff) {
    headUnit.present = IUsbHeadUnit::kGenerationVI;
    {
        TScriptedPrompt none;
        poll.Poll();
    }
    bool pausedDuringReset = false;
    headUnit.onReset = [&] { pausedDuringReset = poll.Paused(); };
    {
        TScriptedPrompt prompt({TPromptAnswer::Cancel, TPromptAnswer::Ok});
        poll.ResetHeadUnit();
        EXPECT_EQ(headUnit.resets, 0);
        poll.ResetHeadUnit();
        EXPECT_EQ(headUnit.resets, 1);
        EXPECT_TRUE(pausedDuringReset);
        EXPECT_FALSE(poll.Paused());
        EXPECT_EQ(prompt.shown[0].caption, "Warning");
        EXPECT_EQ(prompt.shown[0].text, kResetDeletesData);
    }

    headUnit.present = 0;
    poll.Poll();
    headUnit.present = IUsbHeadUnit::kGeneration7;
    headUnit.onReset = [] { throw EVeltrakComError("FT_SetBitMode  - General IO Error..."); };
    TScriptedPrompt prompt({TPromptAnswer::Ok});
    poll.Poll();
    poll.ResetHeadUnit();
    ASSERT_EQ(prompt.shown.size(), 2u);
    EXPECT_EQ(prompt.shown[0].text, kResetRestarts);
    EXPECT_EQ(prompt.shown[1].text, "FT_SetBitMode  - General IO Error...");
    EXPECT_EQ(view.busy, 0);
}

} // namespace
} // namespace klt
