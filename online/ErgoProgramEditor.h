#pragma once
// The "Predefined File" page of the live options without its dialog: the selected program is
// edited on a working copy of the options, and "Apply" takes the copy into the live options and
// saves them with the program. Failures are shown through the prompt.
#include <cstdint>
#include <string>

#include "online/OnlineOptions.h"

namespace klt {

class TErgoProgramEditor {
public:
    explicit TErgoProgramEditor(TOnlineOptions& live);

    const TOnlineOptions& Working() const { return working_; }
    const TKLTErgoFile& Program() const { return Predefined().Program(); }
    // "Apply" is enabled: the working copy differs from the live options.
    bool Modified() const { return !working_.SameAs(live_); }

    void SelectProgram(const std::string& name);
    // "Create": after offering to apply pending changes, a new program of one empty step joins
    // the list, selected and saved. False when it could not be saved.
    bool CreateProgram(const std::string& name);
    // "Delete ": removes the program's file; nothing is selected afterwards.
    void DeleteProgram();

    int SelectedStep() const { return selectedStep_; }
    void SelectStep(int step);
    // "New Zone": an empty step before the selected one, then selected.
    void InsertStep();
    // "Delete Zone": only while the program has two steps or more.
    bool DeleteStep();
    void MoveStepUp();
    void MoveStepDown();

    void SetValue(int step, TErgoUnit unit, int32_t value);
    // Time's check mark: the step is one the marked-step buttons stop at.
    void SetMarked(int step, bool marked);
    // Checks the one quantity that controls the brake in the step, unchecking the others.
    void SetControlledBy(int step, TErgoControl control);

    int64_t TotalTime() const { return Program().TotalTime(); } // 1/100 s
    double TotalWork() const { return Program().TotalWork(); }  // kJ

    // Takes the working copy into the live options and saves them. False, with the message shown,
    // when saving failed: the live options stay as they were and the changes stay pending, so
    // "Apply" can be tried again.
    bool Apply();
    // How often the live options were applied and saved, "Create" included.
    int Applications() const { return applications_; }

protected:
    const TPredefinedFileOptionSet& Predefined() const {
        return working_.OnlineErgometerOptions.PredefinedFileOptionSet;
    }
    TKLTErgoFile& EditProgram() {
        programEdited_ = true;
        return working_.OnlineErgometerOptions.PredefinedFileOptionSet.EditProgram();
    }
    // The step's copy, changed by `change` and put back; ignored for a step that does not exist.
    template <typename TChange> void ChangeStep(int step, TChange change);

    TOnlineOptions& live_;
    TOnlineOptions working_;
    int selectedStep_ = 0;
    int applications_ = 0;
    bool programEdited_ = false; // the program's steps changed since it was loaded or applied
};

} // namespace klt
