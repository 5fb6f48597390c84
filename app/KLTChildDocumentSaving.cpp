// The document's writing side: the data editor's table, the Save command and closing.
#include <exception>

#include "app/KLTChildDocument.h"
#include "app/KLTIniData.h"
#include "core/Prompt.h"
#include "core/Texts.h"
#include "core/TrainingEnvironment.h"
#include "core/TrainingIndex.h"

namespace klt {

std::string TKLTChildDocument::FileDescription() const {
    return file_->MarkerCount() > 0 ? file_->MarkerDescription(0, TDateForm::Long, true) : file_->FileName();
}

void TKLTChildDocument::PrepareDataEditor() {
    const TSystemData& system = configuration_.SystemData;
    dataEdit_.SetUnits({system.UnitsSPD, system.UnitsAlt, system.UnitsTMP});
    if (trainingData_.Modified()) {
        return; // edits in progress stay
    }
    // The editor reads the file from disk: what the document changed goes there first.
    if (file_->Modified()) {
        file_->Save();
    }
    ReloadTable();
}

void TKLTChildDocument::ReloadTable() {
    dataEdit_.EndTyping();
    try {
        trainingData_.ReadTraining(file_->FileName());
    } catch (const std::exception& e) {
        trainingData_.Clear();
        Prompt().ShowMessage("Warning", e.what());
    }
    window_.DataTableChanged();
}

bool TKLTChildDocument::WriteTable() {
    try {
        trainingData_.WriteTraining(file_->FileName());
        UpdateTrainingIndex(TrainingEnvironment().databaseDir, file_->FileName());
    } catch (const std::exception& e) {
        Prompt().ShowMessage("Warning", e.what());
        return false; // the edits stay for another attempt
    }
    trainingData_.ClearModified();
    dataEdit_.EndTyping();
    BeginUpdate();
    try {
        file_->Clear();
        file_->EnsureLoaded();
    } catch (const std::exception& e) {
        Prompt().ShowMessage("Warning", e.what());
    }
    EndUpdate();
    window_.DataTableChanged();
    return true;
}

bool TKLTChildDocument::ResolveTableEdits() {
    if (!trainingData_.Modified()) {
        return true;
    }
    switch (Prompt().Ask("Warning", FormatText(LoadText(274), {FileDescription()}),
                         TPromptButtons::YesNoCancel)) {
    case TPromptAnswer::Yes:
        return WriteTable();
    case TPromptAnswer::No:
        ReloadTable();
        return true;
    default:
        return false;
    }
}

bool TKLTChildDocument::Save(bool ask) {
    if (trainingData_.Modified() && !(ask ? ResolveTableEdits() : WriteTable())) {
        return false;
    }
    return ask ? file_->CloseQuery() : file_->Save();
}

bool TKLTChildDocument::CloseQuery() {
    if (!ResolveTableEdits()) {
        return false;
    }
    return file_->Views().size() > 1 || file_->CloseQuery();
}

} // namespace klt
