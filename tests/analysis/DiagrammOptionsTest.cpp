#include "analysis/Analyse.h"
#include "analysis/Diagramm.h"
#include "analysis/GlaettungsStufen.h"
#include "core/Exceptions.h"

#include "tests/core/MesswertFixture.h"

#include <gtest/gtest.h>

namespace klt {
namespace {

using DiagrammOptionsTest = MesswertFixture;

void ExpectWindow(const TMesswertSkala& skala, double offset, double upperEnd, int step) {
    EXPECT_TRUE(skala.Visible()) << skala.Kind();
    EXPECT_NEAR(skala.Offset(), offset, 1e-6) << skala.Kind();
    EXPECT_NEAR(skala.UpperEnd(), upperEnd, 1e-6) << skala.Kind();
    EXPECT_EQ(skala.Step(), step) << skala.Kind();
}

TEST_F(DiagrammOptionsTest, EachDiagramStartsWithItsDefaults) {
    struct TCase {
        const TKLTDiagrammMehrZData& diagramm;
        int32_t glaettung;
        int32_t rows;
        bool plotMarker;
        double powerRaw;
    };
    const TKLTDiagrammMehrZData mehrZ;
    const TKLTDiagrammEinzDetailData detail;
    const TKLTDiagrammEinzTrendData trend;
    for (const TCase& c : {TCase{mehrZ, -1, 2, true, 4800}, TCase{detail, -1, 1, true, 4800},
                           TCase{trend, -10, 1, false, 3200}}) {
        EXPECT_EQ(c.diagramm.MaxGlaettung, c.glaettung);
        EXPECT_EQ(c.diagramm.MaxAnzahlDiagramme, c.rows);
        EXPECT_EQ(c.diagramm.PlotMarker, c.plotMarker);
        EXPECT_EQ(c.diagramm.PlotMarkerInfo, PlotMarkerInfoOben);
        ExpectWindow(c.diagramm.SkalaLeistung, 0, c.powerRaw, 8);
        ExpectWindow(c.diagramm.SkalaGeschwindigkeit, 0, 60 / 3.6e-3, 8);
        ExpectWindow(c.diagramm.SkalaTretfrequenz, 40 * 32, 200 * 32, 8);
        ExpectWindow(c.diagramm.SkalaHerzfrequenz, 40 * 64, 200 * 64, 8);
        ExpectWindow(c.diagramm.SkalaHoehe, 0, 500, 10);
        ExpectWindow(c.diagramm.SkalaTemp, 0, 250, 1);
    }
}

TEST_F(DiagrammOptionsTest, DefaultWindowsAreRoundNumbersOfTheDisplayUnits) {
    const double upperEnds[] = {60, 16, 40};
    for (int unit = 0; unit < 3; ++unit) {
        Art(mwaGeschwindigkeit).SetUnit(unit);
        TKLTDiagrammMehrZData diagramm;
        const TMesswertArt& speed = MesswertArt(mwaGeschwindigkeit);
        EXPECT_NEAR(speed.ToDisplay(diagramm.SkalaGeschwindigkeit.UpperEnd()), upperEnds[unit], 1e-9) << unit;
        EXPECT_EQ(diagramm.SkalaGeschwindigkeit.Offset(), 0);
    }
    Art(mwaHoehe).SetUnit(1);      // ft
    Art(mwaTemperatur).SetUnit(1); // °F
    const TKLTDiagrammEinzTrendData diagramm;
    const TMesswertArt& altitude = MesswertArt(mwaHoehe);
    const TMesswertArt& temperature = MesswertArt(mwaTemperatur);
    EXPECT_NEAR(altitude.ToDisplay(diagramm.SkalaHoehe.Offset()), 0, 0.5);
    EXPECT_NEAR(altitude.ToDisplay(diagramm.SkalaHoehe.UpperEnd()), 1600, 0.5);
    EXPECT_NEAR(temperature.ToDisplay(diagramm.SkalaTemp.Offset()), 32, 0.05);
    EXPECT_NEAR(temperature.ToDisplay(diagramm.SkalaTemp.UpperEnd()), 77, 0.05);
}

// Changes every property of a diagram, one after the other.
std::vector<std::function<void(TKLTDiagrammMehrZData&)>> DiagrammChanges() {
    return {
        [](auto& d) { d.MaxGlaettung = 3000; },
        [](auto& d) { d.MaxAnzahlDiagramme = 4; },
        [](auto& d) { d.PlotMarker = !d.PlotMarker; },
        [](auto& d) { d.PlotMarkerInfo = PlotMarkerInfoUnten; },
        [](auto& d) { d.SkalaLeistung.SetOffset(800); },
        [](auto& d) { d.SkalaGeschwindigkeit.SetBereich(5000); },
        [](auto& d) { d.SkalaTretfrequenz.SetVisible(false); },
        [](auto& d) { d.SkalaHerzfrequenz.StepBereich(1); },
        [](auto& d) { d.SkalaHoehe.StepOffset(1); },
        [](auto& d) { d.SkalaTemp.SetOffset(-100); },
        [](auto& d) { d.TrainingZoneSet.SetZone(1, TTrainingZone{.Name = "Z2"}); },
    };
}

TEST_F(DiagrammOptionsTest, EqualsSeesEveryPropertyAndTheZonesAndAssignCopiesThem) {
    const auto changes = DiagrammChanges();
    for (size_t i = 0; i < changes.size(); ++i) {
        TKLTDiagrammMehrZData changed;
        const TKLTDiagrammMehrZData original;
        changes[i](changed);
        EXPECT_FALSE(changed.Equals(original)) << i;
        EXPECT_FALSE(original.Equals(changed)) << i;
        TKLTDiagrammMehrZData copy;
        copy.Assign(changed);
        EXPECT_TRUE(copy.Equals(changed)) << i;
    }
}

TEST_F(DiagrammOptionsTest, AllChangesAtOnceAreCopiedAndSetToDefaultsUndoesAllButTheZones) {
    TKLTDiagrammEinzTrendData trend;
    for (const auto& change : DiagrammChanges()) {
        change(trend);
    }
    TKLTDiagrammEinzDetailData detail;
    detail.Assign(trend); // diagrams of one family share their properties
    EXPECT_TRUE(detail.Equals(trend));
    EXPECT_EQ(detail.SkalaLeistung.Offset(), 800);
    EXPECT_FALSE(detail.SkalaTretfrequenz.Visible());
    EXPECT_EQ(detail.TrainingZoneSet.ZoneCount(), 2);

    trend.SetToDefaults();
    TKLTDiagrammEinzTrendData fresh;
    fresh.TrainingZoneSet = trend.TrainingZoneSet;
    EXPECT_TRUE(trend.Equals(fresh));
}

TEST_F(DiagrammOptionsTest, OptionsOfAnotherShapeCannotBeAssigned) {
    TKLTDiagrammMehrZData diagramm;
    diagramm.MaxGlaettung = 500;
    const TKLTAnalyseData analyse;
    EXPECT_THROW(diagramm.Assign(analyse), EConvertError);
    EXPECT_EQ(diagramm.MaxGlaettung, 500);
    EXPECT_FALSE(diagramm.Equals(analyse));
}

TEST(GlaettungsStufenTest, F2AndF3MoveThroughTheStepsAndStopAtTheEnds) {
    EXPECT_TRUE(std::is_sorted(GlaettungsStufen.begin(), GlaettungsStufen.end()));
    EXPECT_EQ(NextGlaettung(-1), 0);
    EXPECT_EQ(NextGlaettung(0), 500);
    EXPECT_EQ(NextGlaettung(700), 1000); // off the steps: the next one above
    EXPECT_EQ(NextGlaettung(17280000), 17280000);
    EXPECT_EQ(NextGlaettung(99999999), 17280000);
    EXPECT_EQ(PreviousGlaettung(500), 0);
    EXPECT_EQ(PreviousGlaettung(700), 500);
    EXPECT_EQ(PreviousGlaettung(-200), -200);
    EXPECT_EQ(PreviousGlaettung(-1000), -200);
}

} // namespace
} // namespace klt
