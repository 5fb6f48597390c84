#include "online/ErgoProgramEditor.h"

#include <algorithm>

#include "core/Exceptions.h"
#include "core/Prompt.h"

namespace klt {

TErgoProgramEditor::TErgoProgramEditor(TOnlineOptions& live) : live_(live), working_(live) {}

void TErgoProgramEditor::SelectProgram(const std::string& name) {
    working_.OnlineErgometerOptions.PredefinedFileOptionSet.SetSelectedFileName(name);
    selectedStep_ = 0;
    programEdited_ = false;
}

bool TErgoProgramEditor::CreateProgram(const std::string& name) {
    if (Modified() &&
        Prompt().Ask("Attention", "Save Changes?", TPromptButtons::YesNo) == TPromptAnswer::Yes) {
        Apply();
    }
    selectedStep_ = 0;
    programEdited_ = false;
    try {
        working_.OnlineErgometerOptions.PredefinedFileOptionSet.AddFileName(name);
        return true;
    } catch (const EInOutError& error) {
        Prompt().ShowMessage("Attention", error.Message());
        return false;
    }
}

void TErgoProgramEditor::DeleteProgram() {
    working_.OnlineErgometerOptions.PredefinedFileOptionSet.DeleteSelected();
    selectedStep_ = 0;
    programEdited_ = false;
}

void TErgoProgramEditor::SelectStep(int step) {
    selectedStep_ = std::clamp(step, 0, std::max(Program().Count() - 1, 0));
}

void TErgoProgramEditor::InsertStep() {
    EditProgram().InsertSection(selectedStep_);
}

bool TErgoProgramEditor::DeleteStep() {
    if (Program().Count() < 2) {
        return false;
    }
    EditProgram().DeleteSection(selectedStep_);
    SelectStep(selectedStep_);
    return true;
}

void TErgoProgramEditor::MoveStepUp() {
    if (selectedStep_ > 0) {
        EditProgram().SwapSections(selectedStep_, selectedStep_ - 1);
        --selectedStep_;
    }
}

void TErgoProgramEditor::MoveStepDown() {
    if (selectedStep_ + 1 < Program().Count()) {
        EditProgram().SwapSections(selectedStep_, selectedStep_ + 1);
        ++selectedStep_;
    }
}

template <typename TChange> void TErgoProgramEditor::ChangeStep(int step, TChange change) {
    if (const TKLTErgoSection* section = Program().Section(step)) {
        TKLTErgoSection changed = *section;
        change(changed);
        EditProgram().PutSection(step, changed);
    }
}

void TErgoProgramEditor::SetValue(int step, TErgoUnit unit, int32_t value) {
    ChangeStep(step, [&](TKLTErgoSection& section) { section.Unit(unit).Value = value; });
}

void TErgoProgramEditor::SetMarked(int step, bool marked) {
    ChangeStep(step, [&](TKLTErgoSection& section) { section.Time.Checked = marked; });
}

void TErgoProgramEditor::SetControlledBy(int step, TErgoControl control) {
    ChangeStep(step, [&](TKLTErgoSection& section) {
        section.Power.Checked = control == TErgoControl::Power;
        section.Cadence.Checked = control == TErgoControl::Cadence;
        section.Heartrate.Checked = control == TErgoControl::Heartrate;
    });
}

bool TErgoProgramEditor::Apply() {
    const TOnlineOptions before(live_);
    live_.AssignFrom(working_);
    try {
        live_.Save();
    } catch (const EInOutError& error) {
        live_.AssignFrom(before);
        Prompt().ShowMessage("Attention", error.Message());
        return false;
    }
    // Saving may have unselected a program it could not write; the page shows what is live.
    working_.AssignFrom(live_);
    ++applications_;
    programEdited_ = false;
    return true;
}

} // namespace klt
