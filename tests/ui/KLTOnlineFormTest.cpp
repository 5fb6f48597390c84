// The live ergometer window against the simulated ergometer running faster than real time: a
// program chosen and ridden, the target raised, the ride ended and stored through the injected
// save dialog and handed on to be opened; the telemetry window with its two riders.
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "app/KLTIni.h"
#include "core/TrainingDataUnit.h"
#include "tests/support/RawTraining.h"
#include "tests/support/ScriptedPrompt.h"
#include "tests/thread/ErgometerRig.h"
#include "tests/ui/MainFormFixture.h"
#include "tests/ui/UiShots.h"
#include "ui/KLTOnlineForm.h"
#include "ui/LiveChartView.h"

namespace klt {
namespace {

// The ride's clock, running as fast as the simulated ergometer.
class TSpedUpClock : public IRunClock {
public:
    int64_t SteadyMs() const override {
        return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                     start_)
                   .count() *
               kSpeedup;
    }
    TDateTimeMark Now() const override { return TDateTimeMark::Now(); }

private:
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

QString Text(const QWidget& form, const char* name) {
    if (const auto* label = form.findChild<QLabel*>(name)) {
        return label->text();
    }
    const auto* button = form.findChild<QPushButton*>(name);
    return button != nullptr ? button->text() : QString("<no %1>").arg(name);
}

// Lets the window's timers run, with start detection every call, until the condition holds.
bool RunUntil(TKLTOnlineForm& form, const std::function<bool()>& condition) {
    for (int i = 0; i < 500 && !condition(); ++i) {
        QTest::qWait(10);
        form.StartDetectionTick();
    }
    return condition();
}

struct TOnlineFormRig {
    test::TTempDir dir;
    test::TScriptedPrompt prompt;
    TSpedUpClock clock;
    std::vector<std::string> opened;
    std::optional<TSaveDetails> asked;

    TOnlineFormRig() {
        // a program of two steps, chosen in the window; saving is offered at the end
        TOnlineOptions options(dir.Path());
        options.OnlineCommonOptionSet.SaveData = true;
        options.OnlineCommonOptionSet.AutomaticMarkers = 1;
        TPredefinedFileOptionSet& programs = options.OnlineErgometerOptions.PredefinedFileOptionSet;
        programs.AddFileName("Ramp");
        programs.EditProgram().PutSection(0, PowerStep(6, 120));
        programs.EditProgram().PutSection(1, PowerStep(600, 160));
        programs.SaveProgram();
        programs.SetDefaults();
        options.Save();
    }

    TOnlineFormSetup Setup(bool telemetry) {
        TOnlineFormSetup setup;
        setup.telemetry = telemetry;
        setup.databaseDir = dir.Path();
        setup.cycle = kSimulatedCycle;
        setup.prompt = &prompt;
        setup.clock = &clock;
        setup.openTraining = [this](const std::string& path) { opened.push_back(path); };
        setup.askSaveDetails = [this](const TSaveDetails& proposed) {
            asked = proposed;
            TSaveDetails details = proposed;
            details.initials = "KL";
            details.comment = "ramp test";
            return std::optional<TSaveDetails>(details);
        };
        return setup;
    }
};

TEST(KLTOnlineForm, AProgramIsRiddenWithTheTargetRaisedAndTheRideStoredAndOpened) {
    TErgometerRig rig;
    TOnlineFormRig window;
    TKLTOnlineForm form(rig.veltrak, window.Setup(false));
    EXPECT_EQ(form.windowTitle(), "KLT-Online");
    EXPECT_EQ(Text(form, "TestFilePanel"), "none");
    form.ChooseProgram("Ramp");
    form.ChooseMode(emPredefinedFile);
    form.show();
    EXPECT_EQ(Text(form, "TestFilePanel"), "Ramp");
    EXPECT_EQ(Text(form, "BrakePanel"), "Brake is on");
    EXPECT_EQ(Text(form, "EndButton"), "Abort") << "waiting for the rider";
    TOnlineRunController& run = form.Session().Run();

    ASSERT_TRUE(RunUntil(form, [&] { return run.State() == TRunState::Running; })) << "the rider pedals";
    EXPECT_EQ(Text(form, "PauseButton"), "Pause");
    EXPECT_EQ(Text(form, "EndButton"), "End");
    ASSERT_TRUE(RunUntil(form, [&] { return run.Step() == 1; }));
    EXPECT_EQ(Text(form, "TargetPowerValue"), "160");
    QTest::mouseClick(form.findChild<QToolButton*>("TargetPowerUp"), Qt::LeftButton);
    EXPECT_EQ(Text(form, "TargetPowerValue"), "165");
    QTest::keyClick(&form, Qt::Key_A);
    EXPECT_EQ(run.TargetPower(), 170) << "the key a raises it too";
    ASSERT_TRUE(RunUntil(form, [&] { return run.Samples().Count() > 30; }));
    EXPECT_NE(Text(form, "PowerPanel1"), "0");
    EXPECT_EQ(Text(form, "CadencePanel1").toInt() > 0, true);
    test::SaveUiShot(form.grab(), "online-normal.png");

    QTest::mouseClick(form.findChild<QPushButton*>("EndButton"), Qt::LeftButton);
    EXPECT_EQ(run.State(), TRunState::Stopped);
    ASSERT_TRUE(window.asked.has_value()) << "the save dialog was asked";
    ASSERT_EQ(window.opened.size(), 1u) << "the stored ride goes to the main window";
    EXPECT_EQ(window.opened[0].rfind(window.dir.Path(), 0), 0u) << "stored in the database";
    TTrainingData stored;
    stored.ReadTraining(window.opened[0]);
    EXPECT_GE(stored.SampleCount(), 30);
    EXPECT_EQ(Text(form, "EndButton"), "Exit");
    EXPECT_EQ(Text(form, "PauseButton"), "Restart");
    EXPECT_LE(rig.sim.Ergometer()->Truth().brake.offset, 33280) << "the brake is released";

    QTest::keyClick(&form, Qt::Key_Escape);
    EXPECT_FALSE(form.isVisible()) << "Esc on a stopped run closes the window";

    form.ChooseMode(emOpenEndTest);
    form.StartDetectionTick();
    EXPECT_EQ(Text(form, "TargetPowerTitle"), "Resistance level") << "the open-end test sets a level, not watts";
    EXPECT_EQ(Text(form, "TargetPowerValue"), "5");
}

TEST(KLTOnlineForm, TheTelemetryWindowShowsTwoRiders) {
    TOnlineFormRig window;
    TVeltrak receiver(
        std::make_unique<test::TFakeLine>([](uint8_t, const TLineSettings&, std::deque<uint8_t>&) {}));
    TKLTOnlineForm form(receiver, window.Setup(true));
    form.resize(1400, 800);
    form.show();
    ASSERT_NE(form.findChild<TLiveChartView*>("LiveChart2"), nullptr);
    ASSERT_NE(form.findChild<QLabel*>("PowerPanel2"), nullptr);
    EXPECT_EQ(Text(form, "BrakePanel"), "No Brake");
    TLiveValueSet second;
    second.rider = 2;
    second.elapsedMs = 500;
    second.power = 8 * 230;
    second.cadence = 32 * 95;
    second.speed = 11'000;
    form.Session().Events().Post(second);
    form.ClockTick();
    form.StartDetectionTick();
    ASSERT_EQ(form.Session().Run().State(), TRunState::Running) << "rider 2 pedals";
    for (int i = 0; i < 20; ++i) {
        form.Session().Events().Post(second);
        QTest::qWait(5);
        form.ClockTick();
    }
    EXPECT_EQ(Text(form, "PowerPanel2"), "230");
    EXPECT_EQ(Text(form, "CadencePanel2"), "95");
    EXPECT_EQ(Text(form, "PowerPanel1"), "0");
    EXPECT_GT(form.Session().Run().Samples(2).Count(), 10);
    test::SaveUiShot(form.grab(), "online-telemetry.png");
}

TEST_F(KLTMainFormTest, TheLiveCommandsAreOfferedAndAHeadUnitThatDoesNotAnswerOpensNoWindow) {
    test::TScriptedPrompt prompt;
    TKLTMainForm& main = MakeForm();
    ASSERT_NE(Action("OnlineButton"), nullptr);
    EXPECT_TRUE(Action("OnlineButton")->isEnabled());
    EXPECT_TRUE(Action("TeleButton")->isVisible()) << "the start-up flags show the telemetry button";
    const QList<QAction*> toolbar = main.findChild<QToolBar*>("SpeedPanel")->actions();
    EXPECT_TRUE(toolbar.contains(Action("TeleButton")));
    for (const char* hidden : {"HRVariance", "CompetitionButton"}) {
        ASSERT_NE(Action(hidden), nullptr) << hidden;
        EXPECT_FALSE(toolbar.contains(Action(hidden))) << hidden;
        EXPECT_FALSE(Action(hidden)->shortcut().isEmpty()) << hidden;
    }
    // no head unit on the configured port: told, and the window does not open
    main.Ini().SystemData.VeltrakComPlugAndPlay = false;
    main.Ini().SystemData.SetVeltrakComPort(TVeltrakComPort("Com9", dir.File("no-such-port"), 9));
    Action("OnlineButton")->trigger();
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_NE(prompt.shown[0].text.find("The live window cannot open"), std::string::npos)
        << prompt.shown[0].text;
    EXPECT_EQ(main.findChild<TKLTOnlineForm*>(), nullptr);
    Action("TeleButton")->trigger();
    ASSERT_EQ(prompt.shown.size(), 2u) << "the receiver's port does not open either";
    EXPECT_NE(prompt.shown[1].text.find("no-such-port"), std::string::npos) << prompt.shown[1].text;
    EXPECT_EQ(main.findChild<TKLTOnlineForm*>(), nullptr);
}

} // namespace
} // namespace klt
