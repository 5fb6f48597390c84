#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QTest>

#include "core/MesswertColours.h"
#include "core/MesswertSkala.h"
#include "core/NumberFormat.h"
#include "tests/support/ScriptedPrompt.h"
#include "ui/MesswertDisplay.h"
#include "ui/PRComboBoxMesswertUnit.h"
#include "ui/PREditMesswert.h"
#include "ui/PRGroupboxMesswertSkala.h"
#include "ui/PRLabelMesswert.h"

namespace klt {
namespace {

// English separators and the first unit of speed while a test runs.
class MesswertWidgetsTest : public ::testing::Test {
protected:
    ~MesswertWidgetsTest() override {
        MesswertArt(mwaGeschwindigkeit).SetUnit(0);
        TMesswertDisplayNotifier::Instance().Notify();
    }

    // Types text into the edit and leaves it with Enter.
    static void Type(TPREditMesswert& edit, const QString& text) {
        edit.selectAll();
        QTest::keyClick(&edit, Qt::Key_Delete);
        QTest::keyClicks(&edit, text);
        QTest::keyClick(&edit, Qt::Key_Return);
    }

    TFormatSettingsScope separators_{TFormatSettings{".", ","}};
};

QColor Colour(TRgb rgb) {
    return {rgb.red, rgb.green, rgb.blue};
}

TEST_F(MesswertWidgetsTest, TypedValuesOutsideTheRangeBecomeTheNearerLimit) {
    TPREditMesswert edit(mwaLeistung);
    edit.SetMesswertMin(8 * 50);
    edit.SetMesswertMax(32760);
    edit.SetValue(8 * 100);
    EXPECT_EQ(edit.text(), "100");
    EXPECT_EQ(edit.alignment(), Qt::AlignRight | Qt::AlignVCenter);

    std::vector<double> edited;
    QObject::connect(&edit, &TPREditMesswert::ValueEdited, [&](double raw) { edited.push_back(raw); });
    Type(edit, "5000");
    EXPECT_EQ(edit.text(), "4095");
    EXPECT_EQ(edit.Value(), 32760);
    Type(edit, "10");
    EXPECT_EQ(edit.text(), "50");
    Type(edit, "no number");
    EXPECT_EQ(edit.text(), "4095");
    Type(edit, "");
    EXPECT_EQ(edit.text(), "50"); // blank reads as 0, below the minimum
    EXPECT_EQ(edited, (std::vector<double>{32760, 400, 32760, 400}));
}

TEST_F(MesswertWidgetsTest, AValueThatCannotBeReadIsReportedAndTheOldOneStays) {
    test::TScriptedPrompt prompt;
    TPREditMesswert edit(mwaLeistung);
    edit.SetMesswertMin(0);
    edit.SetMesswertMax(std::numeric_limits<double>::infinity());
    edit.SetValue(8 * 200);
    Type(edit, "1e308");
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown[0].text, "Power is only valid between 0 and 4095");
    EXPECT_EQ(edit.text(), "200");
    EXPECT_EQ(edit.Value(), 8 * 200);
}

TEST_F(MesswertWidgetsTest, SteppingMovesByTheLastShownDecimalInsideTheRange) {
    TPREditMesswert edit(mwaGeschwindigkeit);
    edit.SetMesswertMin(0);
    edit.SetMesswertMax(31944);
    edit.SetValue(10000); // 36.0 km/h
    edit.stepBy(1);
    EXPECT_EQ(edit.text(), "36.1");
    edit.stepBy(-2);
    EXPECT_EQ(edit.text(), "35.9");
    edit.SetValue(31900);
    edit.stepBy(1000);
    EXPECT_EQ(edit.text(), "115.0");
    EXPECT_NE(edit.toolTip().indexOf("Change Speed with mouse or cursor keys"), -1);
}

TEST_F(MesswertWidgetsTest, ControlsShowTheKindsColourAndFollowUnitChanges) {
    RebuildSlotColours(0, false, {0, 0, 0});
    TPRLabelMesswertName name(mwaLeistung);
    EXPECT_EQ(name.text(), "Power:");
    EXPECT_EQ(name.palette().color(QPalette::WindowText),
              Colour(SlotColour(MesswertArt(mwaLeistung).ColourSlot())));

    TPRLabelMesswert value(mwaGeschwindigkeit);
    value.SetValue(10000);
    TPRLabelMesswertUnit unit(mwaGeschwindigkeit);
    EXPECT_EQ(value.text(), "36.0");
    EXPECT_EQ(unit.text(), "km/h");
    MesswertArt(mwaGeschwindigkeit).SetUnit(2);
    TMesswertDisplayNotifier::Instance().Notify();
    EXPECT_EQ(value.text(), "22.4");
    EXPECT_EQ(unit.text(), "mph");

    RebuildSlotColours(3, false, {1, 2, 3}); // grey palettes: window text for every kind
    TMesswertDisplayNotifier::Instance().Notify();
    EXPECT_EQ(name.palette().color(QPalette::WindowText), QColor(1, 2, 3));
    RebuildSlotColours(0, false, {0, 0, 0});
}

TEST_F(MesswertWidgetsTest, CaptionsMarkTheirAcceleratorCharacter) {
    TPRLabelMesswertUnit unit(mwaHoehe);
    unit.SetMesswertArtFormat(mwfLong);
    unit.SetMesswertAccelChar('m');
    EXPECT_EQ(unit.text(), "&meter");

    TMesswertSkala skala(mwaLeistung);
    TPRGroupboxMesswertSkala box;
    box.SetMesswertAccelChar('w');
    box.SetSkala(&skala);
    EXPECT_EQ(box.title().toStdString(), "Po&wer [watt]"); // the first occurrence
}

TEST_F(MesswertWidgetsTest, TheUnitChooserListsEveryUnit) {
    TPRComboBoxMesswertUnit box(mwaGeschwindigkeit);
    ASSERT_EQ(box.count(), 3);
    EXPECT_EQ(box.itemText(2), "miles per hour");
    EXPECT_EQ(box.toolTip(), "Set units for Speed");
    box.SetMesswertArtFormat(mwfShort);
    EXPECT_EQ(box.itemText(1), "m/s");
    EXPECT_EQ(MesswertArt(mwaGeschwindigkeit).UnitIndex(), 0); // naming them left the unit alone
}

TEST_F(MesswertWidgetsTest, TheScaleBoxEditsAndStepsItsScale) {
    TMesswertSkala skala(mwaLeistung);
    skala.SetStep(8);
    skala.SetDisplayRange(true, 400, 100);
    TPRGroupboxMesswertSkala box;
    box.SetSkala(&skala);
    int changes = 0;
    QObject::connect(&box, &TPRGroupboxMesswertSkala::SkalaChanged, [&] { ++changes; });
    EXPECT_EQ(box.DistanceEdit().text(), "300");

    Type(box.ToEdit(), "500");
    EXPECT_EQ(skala.UpperEnd(), 8 * 500);
    EXPECT_EQ(box.DistanceEdit().text(), "400");
    Type(box.DistanceEdit(), "-50");
    EXPECT_EQ(skala.Offset(), 8 * 450);
    EXPECT_EQ(box.FromEdit().text(), "450");
    EXPECT_EQ(box.ToEdit().text(), "500");

    box.FromEdit().stepBy(1); // to the next multiple of the scale's step
    EXPECT_EQ(skala.Offset(), 8 * 456);
    box.VisibleBox().setChecked(false);
    EXPECT_FALSE(skala.Visible());
    EXPECT_EQ(changes, 4);
}

} // namespace
} // namespace klt
