#pragma once
// What a training document window does, without the window: the training it shows as a view of
// the shared file object, the current marker, the document's options and the view they choose,
// change handling, marker tabs, selection painting, keys, captions, saving and closing.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "analysis/RatioView.h"
#include "app/DataEditModel.h"
#include "app/OptionData.h"
#include "app/SelectionInversion.h"
#include "core/KLTFile.h"
#include "core/TrainingDataUnit.h"

namespace klt {

class TKLTIniData;
class TOptionDataNew;

// What the document asks of the window that shows it.
class IChildDocumentWindow {
public:
    virtual ~IChildDocumentWindow() = default;
    // The main window's ApplyOptions: it hands the options back through ApplyOptions (and to other
    // documents when so configured).
    virtual void RequestOptions(const TOptionData& options) = 0;
    virtual void SetCaption(const std::string& caption) = 0;
    // Tab texts, the current one selected; changes the window reports meanwhile are refused.
    virtual void SetMarkerTabs(const std::vector<std::string>& texts, int current) = 0;
    // Shows the view's component and hides the others.
    virtual void ShowView(TKLTGraphicType view) = 0;
    // Draws the current view afresh, and then the selection (SelectionErased, SelectionUpdate).
    virtual void Repaint() = 0;
    // Inverts the pixels of samples from..to-1 on the drawn view.
    virtual void InvertSelection(int from, int to) = 0;
    // The statistics follow the current marker again.
    virtual void StatisticsChanged() = 0;
    // The data editor's table was reloaded or written.
    virtual void DataTableChanged() = 0;
};

// The zone set for a training of that date (days since 1880): the first set valid beyond it, or
// the last one.
const TTrainingZoneSet& ChooseZoneSet(const TAnalyseOptionSet& sets, int32_t trainingDate);

class TKLTChildDocument {
public:
    // Opens the training at path through the registry, loads it and registers `view` with it; the
    // path goes to the file history. Throws what loading throws, and the path then leaves the file
    // history again. The document starts inside an update, so the window can finish building
    // itself: its EndUpdate is the first paint.
    TKLTChildDocument(const std::string& path, IKLTFileView* view, IChildDocumentWindow& window,
                      TKLTIniData& configuration, TOptionDataNew& optionTree);
    ~TKLTChildDocument();
    TKLTChildDocument(const TKLTChildDocument&) = delete;
    TKLTChildDocument& operator=(const TKLTChildDocument&) = delete;

    TKLTFile& File() const { return *file_; }
    TKLTIniData& Configuration() const { return configuration_; }
    TOptionDataNew& OptionTree() const { return optionTree_; }
    const TOptionData& Options() const { return options_; }
    TKLTGraphicType View() const { return options_.KLTGraphicType; }
    static bool IsPaintBoxView(TKLTGraphicType view) {
        return view == gtSingleRow || view == gtMultiRow || view == gtAnalyse || view == gtRatio;
    }

    // --- Changes ---
    void TrainingChanged(int changes);
    void BeginUpdate() { ++updateDepth_; }
    void EndUpdate();

    // --- Markers ---
    int CurrentMarker() const { return currentMarker_; }
    void SetCurrentMarker(int marker);
    std::vector<std::string> MarkerTabTexts() const;
    // The user chose a tab; false while the tabs are being rebuilt.
    bool SelectTab(int index);
    // The mouse is over a tab: the marker's range is selected for a preview; returns its info text.
    std::string PreviewTab(int index);
    // The mouse left the tabs: the selection from before the preview returns.
    void EndPreview();
    // The marker's info text, the hint of its tab.
    std::string MarkerInfoText(int index) const;

    // --- Views and options ---
    // Switches to the view or toggles it (one line: trend/detail, multi line: 2..5 rows,
    // analysis: Conconi); false when the user cancelled leaving the data editor.
    bool SetView(TKLTGraphicType view);
    // Takes the options; whether the view needed a repaint. False without change when the user
    // cancelled leaving the data editor with pending edits.
    bool ApplyOptions(const TOptionData& options, bool force);
    // The diagram drawing the current view, or none.
    TKLTGraphicControl* Diagram();
    // The distribution view, over the profile's settings.
    TRatioDataGraphicControl& RatioView() { return ratio_; }
    // The title a diagram of the view carries (the name of its option set in the profile).
    std::string DiagramTitle() const;
    // A key in a view other than the data editor; whether it was used.
    bool KeyDown(int key, uint32_t shift);

    // --- Selection painting ---
    // The file's selection clipped to the current marker, as it should look now.
    TSelectionRange ShownSelection() const;
    // The view was drawn afresh: nothing of the selection is on it.
    void SelectionErased() { painted_ = {}; }
    // The spans to invert to bring the drawn selection up to date; they count as painted.
    std::vector<TSampleSpan> SelectionUpdate();
    void CollapseSelection();

    // --- Caption ---
    // Description of the current marker, with ";" and the view number when the training has
    // several windows.
    std::string CaptionText() const;
    int ViewNumber() const;

    // --- Data editor, saving, closing ---
    TTrainingData& TrainingData() { return trainingData_; }
    TDataEditModel& DataEdit() { return dataEdit_; }
    // Asks about edits pending in the data editor: Yes writes them into the training, No drops
    // them; false when cancelled.
    bool ResolveTableEdits();
    // The Save command: pending table edits, then the training (asking first when `ask`).
    bool Save(bool ask);
    // Changes not yet saved: of the training or pending in the data editor.
    bool Modified() const { return file_->Modified() || trainingData_.Modified(); }
    // Whether the window may close: pending table edits, and the training when this is its last
    // view.
    bool CloseQuery();

private:
    void HandlePending();
    void RebuildMarkerTabs();
    void ChooseZoneSet();
    // False when the document's changes could not be saved first: the editor is not shown.
    bool PrepareDataEditor();
    void ReloadTable();
    // Carries the values edited in the table into the training.
    void TakeTableEdits();
    // The table's edits into the training, and the training saved.
    bool WriteTable();
    std::string FileDescription() const;
    bool ViewNeedsRepaint(const TOptionData& options) const;
    static TKLTGraphicControl* DiagramOf(TOptionData& options);

    IKLTFileView* view_;
    IChildDocumentWindow& window_;
    TKLTIniData& configuration_;
    TOptionDataNew& optionTree_;
    TKLTFile* file_ = nullptr;
    int currentMarker_ = 0;
    int lastMarker_ = 0;
    TOptionData options_;
    TRatioDataGraphicControl ratio_;
    TTrainingData trainingData_;
    TDataEditModel dataEdit_{trainingData_};
    std::vector<TData> tableAsRead_; // the table's samples before the user's edits

    int updateDepth_ = 0;
    int pending_ = 0;
    bool rebuildingTabs_ = false;
    TSelectionRange painted_;
    struct TSavedSelection {
        bool active = false;
        int first = 0;
        int last = 0;
    };
    std::optional<TSavedSelection> previewSaved_;
};

} // namespace klt
