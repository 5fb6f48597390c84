// The document's writing side: the data editor's table, the Save command and closing.
#include <algorithm>
#include <array>
#include <exception>

#include "app/KLTChildDocument.h"
#include "app/KLTIniData.h"
#include "app/ReportedFailure.h"
#include "core/Prompt.h"
#include "core/Texts.h"

namespace klt {
namespace {

// Raw units per stored unit of the table's channels (power, heart rate, cadence, speed, altitude,
// temperature).
constexpr std::array<int, TData::kChannelCount> kRawPerStored = {8, 64, 32, 1, 1, 1};

std::vector<TData> SamplesOf(const TTrainingData& table) {
    std::vector<TData> samples;
    samples.reserve(static_cast<size_t>(table.SampleCount()));
    for (int i = 0; i < table.SampleCount(); ++i) {
        samples.push_back(table.Sample(i));
    }
    return samples;
}

} // namespace

std::string TKLTChildDocument::FileDescription() const {
    return file_->MarkerCount() > 0 ? file_->MarkerDescription(0, TDateForm::Long, true) : file_->FileName();
}

bool TKLTChildDocument::PrepareDataEditor() {
    const TSystemData& system = configuration_.SystemData;
    dataEdit_.SetUnits({system.UnitsSPD, system.UnitsAlt, system.UnitsTMP});
    if (trainingData_.Modified()) {
        return true; // edits in progress stay
    }
    // The editor reads the training from disk: what the document changed goes there first, and
    // where that is declined or fails, the editor would show an older training.
    if (file_->Modified() && !SucceedsOrReports([this] { return file_->Save(); })) {
        return false;
    }
    ReloadTable();
    return true;
}

void TKLTChildDocument::ReloadTable() {
    dataEdit_.EndTyping();
    try {
        trainingData_.ReadTraining(file_->FileName());
    } catch (const std::exception& e) {
        trainingData_.Clear();
        Prompt().ShowMessage("Warning", e.what());
    }
    tableAsRead_ = SamplesOf(trainingData_);
    window_.DataTableChanged();
}

void TKLTChildDocument::TakeTableEdits() {
    file_->EnsureLoaded();
    const int count = std::min({trainingData_.SampleCount(), static_cast<int>(tableAsRead_.size()),
                                file_->SampleCount()});
    for (int i = 0; i < count; ++i) {
        const TData& edited = trainingData_.Sample(i);
        const TData& read = tableAsRead_[static_cast<size_t>(i)];
        TSampleElement& sample = file_->Sample(i + 1);
        std::array<int, TData::kChannelCount> raw = {sample.Power(), sample.HeartRate(), sample.Cadence(),
                                                     sample.Speed(), sample.Altitude(), sample.Temperature()};
        for (int channel = 0; channel < TData::kChannelCount; ++channel) {
            if (edited.Value(channel) != read.Value(channel)) {
                raw[static_cast<size_t>(channel)] =
                    edited.Value(channel) * kRawPerStored[static_cast<size_t>(channel)];
            }
        }
        sample.Set(raw[dcPower], raw[dcCadence], raw[dcHeartRate], raw[dcSpeed], raw[dcAltitude],
                   raw[dcTemperature]);
    }
    tableAsRead_ = SamplesOf(trainingData_);
    trainingData_.ClearModified();
    file_->SamplesEdited();
}

bool TKLTChildDocument::WriteTable() {
    dataEdit_.EndTyping();
    // Only the edited values go into the training: what else changed in it meanwhile (properties,
    // markers, another window) is kept. Should saving fail, the edits stay in the training.
    const bool saved = SucceedsOrReports([this] {
        if (trainingData_.Modified()) {
            TakeTableEdits();
        }
        return file_->Save();
    });
    if (saved) {
        ReloadTable(); // the editor shows the training as saved, changes of other windows included
    }
    return saved;
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
    if (!ask) {
        return WriteTable();
    }
    return ResolveTableEdits() && SucceedsOrReports([this] { return file_->CloseQuery(); });
}

bool TKLTChildDocument::CloseQuery() {
    if (!ResolveTableEdits()) {
        return false;
    }
    return file_->Views().size() > 1 || SucceedsOrReports([this] { return file_->CloseQuery(); });
}

} // namespace klt
