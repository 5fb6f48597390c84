#include "analysis/Analyse.h"

#include "tests/core/MesswertFixture.h"

#include <gtest/gtest.h>

namespace klt {
namespace {

using AnalyseOptionsTest = MesswertFixture;

TEST_F(AnalyseOptionsTest, OrdinaryAndStepTestAnalysesHaveTheirOwnDefaults) {
    const TKLTAnalyseData analyse;
    const TConconiAnalyseData conconi;
    EXPECT_TRUE(analyse.ShowHistogramm);
    EXPECT_FALSE(conconi.ShowHistogramm);
    EXPECT_EQ(analyse.ZeitGlaettung, 24000);
    EXPECT_EQ(conconi.ZeitGlaettung, 1500);
    EXPECT_EQ(analyse.MinZeitVersatz, 0);
    EXPECT_EQ(conconi.MinZeitVersatz, 0);
    EXPECT_EQ(analyse.OfsZeitVersatz, 200);
    EXPECT_EQ(conconi.OfsZeitVersatz, 0);
    EXPECT_EQ(analyse.MaxZeitVersatz, 12000);
    EXPECT_EQ(conconi.MaxZeitVersatz, 0);
    for (const TKLTAnalyseData* data : {&analyse, static_cast<const TKLTAnalyseData*>(&conconi)}) {
        EXPECT_EQ(data->SkalaHerzfrequenz.Offset(), 70 * 64);
        EXPECT_EQ(data->SkalaHerzfrequenz.UpperEnd(), 190 * 64);
        EXPECT_EQ(data->SkalaHerzfrequenz.Step(), 8);
        EXPECT_EQ(data->SkalaLeistung.Offset(), 0);
        EXPECT_EQ(data->SkalaLeistung.UpperEnd(), 600 * 8);
        EXPECT_EQ(data->SkalaLeistung.Step(), 10);
    }
    EXPECT_FALSE(analyse.Equals(conconi));
}

TEST_F(AnalyseOptionsTest, AssignAndEqualsCoverAllSevenProperties) {
    const std::function<void(TKLTAnalyseData&)> changes[] = {
        [](auto& a) { a.ShowHistogramm = !a.ShowHistogramm; },
        [](auto& a) { a.ZeitGlaettung = -5; },
        [](auto& a) { a.MinZeitVersatz = 100; },
        [](auto& a) { a.OfsZeitVersatz = 300; },
        [](auto& a) { a.MaxZeitVersatz = 6000; },
        [](auto& a) { a.SkalaHerzfrequenz.StepOffset(-1); },
        [](auto& a) { a.SkalaLeistung.SetVisible(false); },
    };
    TConconiAnalyseData all;
    for (const auto& change : changes) {
        TKLTAnalyseData changed;
        change(changed);
        EXPECT_FALSE(changed.Equals(TKLTAnalyseData()));
        change(all);
    }
    TKLTAnalyseData copy;
    copy.Assign(all);
    EXPECT_TRUE(copy.Equals(all));
    EXPECT_EQ(copy.MaxZeitVersatz, 6000);
    EXPECT_FALSE(copy.SkalaLeistung.Visible());

    all.SetToDefaults();
    EXPECT_TRUE(all.Equals(TConconiAnalyseData()));
}

} // namespace
} // namespace klt
