// Options, export and window arrangement of the main window.
#include "app/KLTIniData.h"
#include "app/KLTMainArrange.h"
#include "app/KLTMainExport.h"
#include "app/KLTMainOptions.h"
#include "core/KLTFile.h"
#include "core/MesswertUnitSelection.h"
#include "core/TextExport.h"
#include "core/TextImport.h"

#include "tests/support/MemoryTraining.h"
#include "tests/support/RawTraining.h"
#include "tests/support/ScriptedPrompt.h"

#include <gtest/gtest.h>

#include <functional>

namespace klt {
namespace {

class TRecordingDocuments : public IOptionDocuments {
public:
    bool ApplyDisplaySettings() override {
        if (duringApply) {
            duringApply();
        }
        return displayChanged;
    }
    void ApplyToAllDocuments(const TOptionData& options, bool force) override {
        calls.push_back(force ? "all forced" : "all");
        lastView = options.KLTGraphicType;
    }
    void ApplyToActiveDocument(const TOptionData& options, bool force) override {
        calls.push_back(force ? "active forced" : "active");
        lastView = options.KLTGraphicType;
    }

    bool displayChanged = false;
    std::function<void()> duringApply;
    std::vector<std::string> calls;
    TKLTGraphicType lastView = gtSingleRow;
};

TEST(KLTMainOptions, OptionsGoToAllDocumentsOrTheActiveOneAndToNewFiles) {
    TKLTIniData configuration;
    TRecordingDocuments documents;
    TOptionsApplier applier;
    TOptionData options;
    options.KLTGraphicType = gtStatistical;

    configuration.SystemData.DefaultAllFiles = false;
    configuration.SystemData.DefaultNewFiles = false;
    applier.ApplyOptions(options, configuration, documents);
    EXPECT_EQ(configuration.OptionData.KLTGraphicType, gtSingleRow);

    documents.displayChanged = true;
    applier.ApplyOptions(options, configuration, documents);

    documents.displayChanged = false;
    configuration.SystemData.DefaultAllFiles = true;
    configuration.SystemData.DefaultNewFiles = true;
    applier.ApplyOptions(options, configuration, documents);
    EXPECT_EQ(configuration.OptionData.KLTGraphicType, gtStatistical);
    EXPECT_EQ(documents.calls, (std::vector<std::string>{"active", "all forced", "all"}));
    EXPECT_EQ(documents.lastView, gtStatistical);
}

TEST(KLTMainOptions, ApplyingWhileApplyingIsIgnored) {
    TKLTIniData configuration;
    TRecordingDocuments documents;
    TOptionsApplier applier;
    TOptionData inner;
    inner.KLTGraphicType = gtEdit;
    documents.duringApply = [&] { applier.ApplyOptions(inner, configuration, documents); };
    applier.ApplyOptions(TOptionData(), configuration, documents);
    EXPECT_EQ(documents.calls.size(), 1u);
    EXPECT_EQ(documents.lastView, gtSingleRow);

    documents.duringApply = nullptr; // the guard is released afterwards
    applier.ApplyOptions(inner, configuration, documents);
    EXPECT_EQ(documents.lastView, gtEdit);
}

TEST(KLTMainOptions, DisplaySettingsReportBarsPaletteAndUnitChanges) {
    TKLTIniData configuration;
    TDisplayState state;
    EXPECT_TRUE(ApplyDisplaySettings(configuration, state, TRgb{}).redraw); // the first palette
    TDisplayChange change = ApplyDisplaySettings(configuration, state, TRgb{});
    EXPECT_FALSE(change.redraw);
    EXPECT_FALSE(change.barsChanged);

    configuration.SystemData.ShowStatusLine = false;
    change = ApplyDisplaySettings(configuration, state, TRgb{});
    EXPECT_TRUE(change.barsChanged);
    EXPECT_FALSE(state.statusLineVisible);
    EXPECT_FALSE(change.redraw);

    configuration.SystemData.UnitsSPD = 2;
    EXPECT_TRUE(ApplyDisplaySettings(configuration, state, TRgb{}).redraw);
    configuration.OptionData.GraphicData.PRBGICanvasPalette = PaletteGray;
    EXPECT_TRUE(ApplyDisplaySettings(configuration, state, TRgb{}).redraw);
    SelectMesswertUnits({}); // other tests expect the default units
}

TEST(KLTMainExport, ExtensionsAndProposedNames) {
    EXPECT_EQ(ExportExtension(TExportFormat::Klt7, 3), ".klt");
    EXPECT_EQ(ExportExtension(TExportFormat::TextNew, 3), ".txt");
    EXPECT_EQ(ExportExtension(TExportFormat::MarkerText, 10), ".$0A");
    EXPECT_EQ(ExportExtension(TExportFormat::MarkerTextNew, 255), ".$FF");
    TKLTFile file("/db/_JD.KLT/2026_12.KLT/J091226A.klt");
    EXPECT_EQ(ProposedExportName(file, TExportFormat::Klt6, 0), "J091226A.klt");
    EXPECT_EQ(ProposedExportName(file, TExportFormat::MarkerText, 2), "J091226A.$02");
    // The chosen form decides, whatever marker the window shows.
    EXPECT_EQ(ProposedExportName(file, TExportFormat::MarkerTextNew, 0), "J091226A.$00");
    EXPECT_EQ(ProposedExportName(file, TExportFormat::Text, 2), "J091226A.txt");
    EXPECT_EQ(WithExportExtension("my ride.$03", TExportFormat::TextNew, 3), "my ride.txt");
    ASSERT_EQ(AvailableExportFilters().size(), 6u);
    EXPECT_EQ(AvailableExportFilters()[5].description, "Marker as text file(new format)");
}

TEST(KLTMainExport, TextFormsWriteTheTrainingOrTheMarkerAndLeaveTheTrainingAlone) {
    test::TTempDir dir;
    test::WriteTraining(dir.File("own.klt"));
    const std::string before = test::ReadFileBytes(dir.File("own.klt"));
    TKLTFile file(dir.File("own.klt"));
    ExportTraining(file, TExportFormat::TextNew, dir.File("own.txt"), 0);
    const std::string text = test::ReadFileBytes(dir.File("own.txt"));
    EXPECT_EQ(text, TrainingText(file, 0, TTextExportForm::Extended));
    TKLTFile back(dir.File("back.txt"));
    ImportTextTraining(back, text);
    EXPECT_EQ(back.SampleCount(), file.SampleCount());
    EXPECT_EQ(test::ReadFileBytes(dir.File("own.klt")), before);
    EXPECT_THROW(ExportTraining(file, TExportFormat::MarkerText, dir.File("own.$07"), 7), std::exception);
}

TEST(KLTMainExport, WritesBothDataFormatsButNeverOverTheTrainingItself) {
    test::TTempDir dir;
    test::WriteTraining(dir.File("own.klt"));
    TKLTFile file(dir.File("own.klt"));
    ExportTraining(file, TExportFormat::Klt6, dir.File("old.klt"));
    TKLTFile old(dir.File("old.klt"));
    old.ReadFile();
    EXPECT_EQ(old.Header().Version(), '6');
    EXPECT_EQ(old.SampleCount(), file.SampleCount());

    const std::string before = test::ReadFileBytes(dir.File("own.klt"));
    EXPECT_THROW(ExportTraining(file, TExportFormat::Klt6, dir.Path() + "/./own.klt"), std::exception);
    EXPECT_EQ(test::ReadFileBytes(dir.File("own.klt")), before);
}

TEST(KLTMainExport, ExportingAllAsksBeforeReplacingAndGoesOnAfterFailures) {
    test::TTempDir source, target;
    test::WriteTraining(source.File("a.klt"), "AA");
    test::WriteTraining(source.File("b.klt"), "BB");
    TKLTFile a(source.File("a.klt")), b(source.File("b.klt")), missing(source.File("gone.klt"));
    test::WriteFileBytes(target.File("a.klt"), "keep me");
    test::TScriptedPrompt prompt({TPromptAnswer::No});
    ExportTrainings({{&a, 0}, {&missing, 0}, {&b, 0}}, TExportFormat::Klt7, target.Path());
    EXPECT_EQ(test::ReadFileBytes(target.File("a.klt")), "keep me");
    TKLTFile written(target.File("b.klt"));
    EXPECT_NO_THROW(written.ReadFile());
    ASSERT_EQ(prompt.shown.size(), 2u);
    EXPECT_TRUE(prompt.shown[0].question);
    EXPECT_NE(prompt.shown[1].text.find("gone.klt"), std::string::npos) << prompt.shown[1].text;
}

TEST(KLTMainArrange, OtherWindowsFirstThenDocumentsByCaptionKeepingEqualOnes) {
    const std::vector<TArrangedWindow> windows = {{true, "(2) Intervals"}, {false, "Training history"},
                                                  {true, "(1) Warm-up;2"}, {true, "(1) Warm-up;1"},
                                                  {true, "(2) Intervals"}, {false, "Another chart"}};
    EXPECT_EQ(ArrangementKey(windows[0]), "1(2) Intervals");
    EXPECT_EQ(ArrangementKey(windows[1]), "0Training history");
    EXPECT_EQ(ArrangementOrder(windows), (std::vector<size_t>{5, 1, 3, 2, 0, 4}));
}

TEST(KLTMainArrange, TilesFillTheAreaWithoutOverlapping) {
    for (bool vertical : {false, true}) {
        for (size_t count = 1; count <= 26; ++count) {
            const std::vector<TWindowRect> rects = TileRects(count, 1000, 700, vertical);
            ASSERT_EQ(rects.size(), count);
            int64_t area = 0;
            for (size_t i = 0; i < count; ++i) {
                const TWindowRect& r = rects[i];
                EXPECT_TRUE(r.x >= 0 && r.y >= 0 && r.x + r.width <= 1000 && r.y + r.height <= 700);
                area += int64_t{r.width} * r.height;
                for (size_t j = 0; j < i; ++j) {
                    const TWindowRect& o = rects[j];
                    EXPECT_TRUE(r.x >= o.x + o.width || o.x >= r.x + r.width || r.y >= o.y + o.height ||
                                o.y >= r.y + r.height)
                        << count << " windows overlap";
                }
            }
            EXPECT_GT(area, 1000 * 700 * 9 / 10) << count << " windows leave the area empty";
        }
    }
    const std::vector<TWindowRect> sideBySide = TileRects(2, 1000, 700, true);
    EXPECT_EQ(sideBySide[1], (TWindowRect{500, 0, 500, 700}));
    const std::vector<TWindowRect> stacked = TileRects(2, 1000, 700, false);
    EXPECT_EQ(stacked[1], (TWindowRect{0, 350, 1000, 350}));
}

TEST(KLTMainArrange, CascadeStaysInsideTheArea) {
    const std::vector<TWindowRect> rects = CascadeRects(30, 900, 600, 28);
    for (const TWindowRect& r : rects) {
        EXPECT_LE(r.x + r.width, 900);
        EXPECT_LE(r.y + r.height, 600);
    }
    EXPECT_EQ(rects[1].x, 28);
}

} // namespace
} // namespace klt
