#pragma once
// A training document without its window: a window that records what it was asked and hands
// options straight back, as the main window does for the active document.
#include <memory>
#include <string>
#include <vector>

#include "app/KLTChildDocument.h"
#include "app/KLTIniData.h"
#include "app/OptionDataUnit.h"
#include "core/KLTFile.h"
#include "core/TrainingEnvironment.h"
#include "tests/support/MemoryTraining.h"
#include "tests/support/RawTraining.h"

namespace klt::test {

struct TRecordingWindow : IChildDocumentWindow, IKLTFileView {
    TKLTChildDocument* document = nullptr;
    std::string caption;
    std::vector<std::string> tabs;
    int currentTab = -1;
    bool tabChangeAccepted = true; // what the document said to a tab change during the rebuild
    TKLTGraphicType shown = gtSingleRow;
    int repaints = 0;
    int tableChanges = 0;
    std::vector<TSampleSpan> inversions;

    void RequestOptions(const TOptionData& options) override { document->ApplyOptions(options, false); }
    void SetCaption(const std::string& text) override { caption = text; }
    void SetMarkerTabs(const std::vector<std::string>& texts, int current) override {
        tabs = texts;
        currentTab = current;
        tabChangeAccepted = document->SelectTab(texts.size() > 1 ? 1 : 0);
    }
    void ShowView(TKLTGraphicType view) override { shown = view; }
    void Repaint() override {
        ++repaints;
        document->SelectionErased();
        for (const TSampleSpan& span : document->SelectionUpdate()) {
            inversions.push_back(span);
        }
    }
    void InvertSelection(int from, int to) override { inversions.push_back({from, to}); }
    void StatisticsChanged() override {}
    void DataTableChanged() override { ++tableChanges; }

    void TrainingChanged(TKLTFile&, int changes) override {
        if (document != nullptr) {
            document->TrainingChanged(changes);
        }
    }
    void CloseView(TKLTFile& file) override { file.RemoveView(this); }
};

// One open document window.
struct TOpenDocument {
    TRecordingWindow window;
    std::unique_ptr<TKLTChildDocument> document;

    TOpenDocument(const std::string& path, TKLTIniData& configuration, TOptionDataNew& tree) {
        document = std::make_unique<TKLTChildDocument>(path, &window, window, configuration, tree);
        window.document = document.get();
        document->EndUpdate();
    }
    TKLTChildDocument* operator->() const { return document.get(); }
};

class ChildDocumentTest : public ::testing::Test {
protected:
    static constexpr uint16_t kDate = 53000;

    void SetUp() override {
        configuration_.SetToDefaults();
        TrainingEnvironment().fileHistory = &configuration_.FileHistory;
    }
    void TearDown() override { TrainingEnvironment().fileHistory = nullptr; }

    // 100 one-second samples with markers 1 [10, 50], 2 [20, 30] inside it and 3 [60, 80].
    std::string WriteTraining(const std::string& name = "ride.klt") {
        TKLTFile file;
        FillTraining(file, 100, {}, "JD", kDate);
        file.InsertMarker(TKLTMarker("Climb", 10, 50));
        file.InsertMarker(TKLTMarker("Steep", 20, 30));
        file.InsertMarker(TKLTMarker("Sprint", 60, 80));
        file.Normalise();
        const std::string path = dir_.File(name);
        file.WriteKLT7(path, TDateTimeMark::None());
        return path;
    }

    TTempDir dir_;
    TKLTIniData configuration_;
    TOptionDataNew tree_{dir_.Path(), ""};
};

} // namespace klt::test
