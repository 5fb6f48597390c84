// The heart-rate-variability window offscreen: empty and usable without a head unit, and recording
// the simulated ergometer's beats into its table and chart, written when stopped, kept (with the
// window open) while they cannot be written.
#include <gtest/gtest.h>

#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <filesystem>
#include <functional>

#include "tests/support/RawTraining.h"
#include "tests/support/ScriptedPrompt.h"
#include "tests/thread/ErgometerRig.h"
#include "tests/ui/WaitUntil.h"
#include "ui/HRVarChart.h"
#include "tests/ui/UiShots.h"
#include "ui/HRVarForm.h"
#include "ui/canvas/QtCanvas.h"

namespace klt {
namespace {

namespace fs = std::filesystem;

using test::WaitUntil;

// With KLT_UI_SHOTS naming a folder, the window is saved there as a picture.
void Shoot(QWidget& window, const char* name) {
    const QPixmap shot = window.grab();
    EXPECT_FALSE(shot.isNull());
    test::SaveUiShot(shot, (std::string(name) + ".png").c_str());
}

QPushButton& Button(QWidget& window, const char* name) { return *window.findChild<QPushButton*>(name); }
QString Label(QWidget& window, const char* name) { return window.findChild<QLabel*>(name)->text(); }
int Rows(QWidget& window) { return window.findChild<QTableView*>("HRVarTable")->model()->rowCount(); }

TEST(HRVarForm, WithoutAHeadUnitTheWindowIsEmptyAndUsable) {
    test::TScriptedPrompt prompt;
    test::TTempDir database;
    THRVarForm form(nullptr, database.Path());
    form.show();
    EXPECT_EQ(form.windowTitle(), "Heartrate Variance");
    EXPECT_FALSE(Button(form, "StartButton").isEnabled());
    EXPECT_FALSE(Button(form, "StopButton").isEnabled());
    EXPECT_EQ(Rows(form), 0);
    EXPECT_EQ(Label(form, "BeatsLabel"), "0");
    EXPECT_TRUE(Label(form, "StatusLabel").startsWith("No Veltrak"));
    Button(form, "ChangeModeButton").click();
    EXPECT_EQ(form.Recorder().Axis(), THRVarAxis::Heartrate);
    Shoot(form, "hrvar-empty");

    QTest::keyClick(&form, Qt::Key_Escape);
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(prompt.shown.empty());
    EXPECT_TRUE(fs::is_empty(database.Path()));
}

TEST(HRVarForm, RecordsTheStrapsBeatsAndWritesThemWhenTheyCanBe) {
    TStartedErgometer ergometer({.missedEvery = 40});
    TSimFtdiLink link(ergometer.sim.SocketPath());
    TUsbLink usb(link);
    usb.SetErrorDisplay(false);
    test::TScriptedPrompt prompt({TPromptAnswer::Cancel, TPromptAnswer::Cancel});
    auto veltrak = std::make_unique<TVeltrak>(
        std::make_unique<test::TFakeLine>([](uint8_t, const TLineSettings&, std::deque<uint8_t>&) {}), nullptr, &usb);
    ASSERT_TRUE(veltrak->ConnectV7());
    test::TTempDir database;
    const fs::path folder = fs::path(database.Path()) / "HRVariance";

    THRVarForm form(std::move(veltrak), database.Path());
    form.show();
    Button(form, "StartButton").click();
    EXPECT_FALSE(Button(form, "StartButton").isEnabled());
    EXPECT_TRUE(Button(form, "StopButton").isEnabled());
    ASSERT_TRUE(WaitUntil([&] { return Rows(form) >= 150; }));
    EXPECT_TRUE(Label(form, "HeartRateLabel").endsWith(" bpm"));
    const std::optional<double> variance = form.Recorder().LiveVariance();
    EXPECT_EQ(Label(form, "VarianceLabel"), variance ? QString("%1 ms").arg(*variance, 0, 'f', 1) : "–");
    Shoot(form, "hrvar-by-beat");
    Button(form, "ChangeModeButton").click();
    Shoot(form, "hrvar-by-heartrate");

    test::WriteFileBytes(folder.string(), "in the way");
    Button(form, "StopButton").click();
    EXPECT_GT(Rows(form), 0) << "the beats stay while they cannot be written";
    EXPECT_TRUE(Label(form, "StatusLabel").contains("could not be written"));
    form.close();
    EXPECT_TRUE(form.isVisible()) << "closing would lose them";
    EXPECT_EQ(prompt.AnswersLeft(), 0u);

    fs::remove(folder);
    form.close();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(Rows(form), 0);
    ASSERT_TRUE(form.Recorder().SavedFile());
    EXPECT_TRUE(fs::exists(*form.Recorder().SavedFile()));
}

TEST(HRVarChart, RoundStepsAndAChangeAboveTheZeroLine) {
    EXPECT_EQ(RoundStep(100, 10), 10);
    EXPECT_EQ(RoundStep(235, 5), 50);
    EXPECT_EQ(RoundStep(0.3, 4), 0.1);
    EXPECT_EQ(RoundStep(0, 4), 1);

    QImage image(400, 300, QImage::Format_RGB32);
    {
        QPainter painter(&image);
        TQtCanvas canvas(painter);
        canvas.Prepare({255, 255, 255}, PaletteColor, 0, image.width(), image.height());
        DrawHRVarChart(canvas, {THRVarAxis::Index, 0, 10, {{5, 40}}});
    }
    int red = 0, redTop = image.height();
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixelColor(x, y) == QColor(200, 0, 0)) {
                ++red;
                redTop = std::min(redTop, y);
            }
        }
    }
    EXPECT_GT(red, 0);
    EXPECT_LT(redTop, image.height() / 2) << "a speeding is drawn above the middle";
}

} // namespace
} // namespace klt
