#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QTest>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "app/KLTIni.h"
#include "app/OptionDataUnit.h"
#include "device/FtdiLink.h"
#include "device/transport/SimFtdiLink.h"
#include "device/transport/UsbLink.h"
#include "flow/UsbHeadUnit.h"
#include "tests/support/BackupBytes.h"
#include "tests/support/ScriptedPrompt.h"
#include "tests/ui/MainFormFixture.h"
#include "tests/ui/WaitUntil.h"
#include "tools/sim/HeadUnitSimulator.h"
#include "ui/SimulatorProcess.h"

namespace klt {
namespace {

namespace fs = std::filesystem;

using test::WaitUntil;

// The program's USB head unit over a simulated bus with the firmware a test needs.
class TSimulatedBusHeadUnit : public TVeltrakUsbHeadUnit {
public:
    TSimulatedBusHeadUnit(TUsbLink& usb, uint16_t firmware)
        : TVeltrakUsbHeadUnit({}, test::InstalledPrompt(), &usb), usb_(usb), firmware_(firmware) {}
    bool Connect(int) override { return usb_.OpenHeadUnitLink(std::string(kVeltrak7Description)) == FT_OK; }
    uint16_t FirmwareVersion() const override { return firmware_; }

private:
    TUsbLink& usb_;
    uint16_t firmware_;
};

class KLTMainFormUsb : public KLTMainFormTest {
protected:
    KLTMainFormUsb() {
        sim::TSimOptions options;
        options.generation = 7;
        simulator = std::make_unique<sim::THeadUnitSimulator>(options);
        simulator->Start();
        link = std::make_unique<TSimFtdiLink>(simulator->SocketPath());
        usb = std::make_unique<TUsbLink>(*link);
    }
    ~KLTMainFormUsb() override { form.reset(); }

    QComboBox& Selector() const { return *form->findChild<QComboBox*>("VeltrakSelectComboBox"); }
    bool ShowsUsbHeadUnit() const { return !Selector().isEnabled(); }

    std::unique_ptr<sim::THeadUnitSimulator> simulator;
    std::unique_ptr<TSimFtdiLink> link;
    std::unique_ptr<TUsbLink> usb;
};

TEST_F(KLTMainFormUsb, TheWindowNoticesAHeadUnitArrivingAndLeaving) {
    test::TScriptedPrompt prompt;
    // The real protocol object identifies the simulated head unit.
    TKLTMainForm& main =
        MakeForm({}, nullptr, std::make_unique<TVeltrakUsbHeadUnit>(std::function<void()>{}, test::InstalledPrompt(), usb.get()));
    EXPECT_FALSE(Action("ResetVTVISpeedButton")->isEnabled());
    ASSERT_TRUE(WaitUntil([&] { return ShowsUsbHeadUnit(); }));
    EXPECT_EQ(Selector().currentText(), "VT 7");
    EXPECT_TRUE(Action("ResetVTVISpeedButton")->isEnabled());
    EXPECT_FALSE(Action("FlashFirmware1")->isEnabled());
    EXPECT_EQ(form->findChild<QLabel*>("UsbStatus")->text(), "Veltrak 7 connected by USB");
    EXPECT_EQ(main.OptionTree().Sets().System.VeltrakVersion, 7);
    EXPECT_TRUE(prompt.shown.empty());

    simulator.reset(); // unplugged
    ASSERT_TRUE(WaitUntil([&] { return !ShowsUsbHeadUnit(); }));
    EXPECT_EQ(Selector().currentText(), "VT V");
    EXPECT_EQ(Selector().count(), 2);
    EXPECT_FALSE(Action("ResetVTVISpeedButton")->isEnabled());
    EXPECT_TRUE(form->findChild<QLabel*>("UsbStatus")->text().isEmpty());
    EXPECT_EQ(main.OptionTree().Sets().System.VeltrakVersion, 5);
}

TEST_F(KLTMainFormUsb, OldFirmwareIsOfferedAnUpdateAndHeadUnitCommandsWaitForTheWatch) {
    test::TScriptedPrompt prompt({TPromptAnswer::Ok});
    TKLTMainForm& main = MakeForm({}, nullptr, std::make_unique<TSimulatedBusHeadUnit>(*usb, 40000));
    ASSERT_TRUE(WaitUntil([&] { return !prompt.shown.empty(); }));
    EXPECT_EQ(prompt.shown[0].text, kNewFirmware7);
    ASSERT_TRUE(WaitUntil([&] { return ShowsUsbHeadUnit(); }));

    bool pausedWhileRunning = false;
    EXPECT_TRUE(main.RunHeadUnitCommand([&] { pausedWhileRunning = main.UsbPoll()->Paused(); }));
    EXPECT_TRUE(pausedWhileRunning);
    EXPECT_FALSE(main.UsbPoll()->Paused());
}

TEST_F(KLTMainFormTest, OpeningAMemoryImageOpensItsTrainingsFromTheDatabase) {
    test::TBackupBytes image(test::kCurrentFormat);
    image.Records(test::kClock8h).Records(test::kRiding, 120); // two minutes: long enough to keep
    const std::string path = image.WriteTo(dir.File("unit.kli"));
    test::TScriptedPrompt prompt;
    TKLTMainForm& main = MakeForm();
    main.OpenTrainingFiles({path});
    EXPECT_TRUE(prompt.shown.empty());
    ASSERT_EQ(Documents().size(), 1u);
    const TKLTFile& training = Documents()[0]->File();
    EXPECT_EQ(training.Marker(0).name, "Jo");
    EXPECT_EQ(training.SampleCount(), 120);
    EXPECT_EQ(training.FileName().rfind(databaseDir, 0), 0u);
    EXPECT_EQ(main.Ini().FileHistory.Items().front(), training.FileName());
    EXPECT_TRUE(fs::exists(path));
}

TEST(SimulatorProcess, TheSimulatorChildNamesItsSocketAndStopsWithItsOwner) {
    EXPECT_EQ(UsbSocketPathOf("USB /tmp/x/usb.sock\n"), "/tmp/x/usb.sock");
    EXPECT_EQ(UsbSocketPathOf("PORT /dev/pts/3\n"), "");
    std::string socket;
    {
        TSimulatorProcess simulator(KLT_BIN_DIR "/klt-sim", {"--generation", "7"});
        socket = simulator.SocketPath();
        EXPECT_TRUE(fs::exists(socket));
        TSimFtdiLink link(socket);
        TUsbLink usb(link);
        EXPECT_EQ(usb.DetectUsbHeadUnit(), 8);
    }
    EXPECT_FALSE(fs::exists(socket));
    EXPECT_THROW(TSimulatorProcess(KLT_BIN_DIR "/klt-sim", {"--generation", "5"}), std::runtime_error);
}

} // namespace
} // namespace klt
