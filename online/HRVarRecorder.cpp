#include "online/HRVarRecorder.h"

#include <algorithm>

#include "core/Exceptions.h"
#include "online/HeartRateVarianceFile.h"

namespace klt {
namespace {

constexpr double kLowestHeartrate = 20;
constexpr double kHighestHeartrate = 255;

std::unique_ptr<TVeltrakReadThread> BeatThread(TVeltrak* veltrak, const std::string& databaseDir,
                                               std::chrono::milliseconds cycle, TDeviceAccess& access,
                                               ILiveSink& sink) {
    if (veltrak == nullptr) {
        return nullptr;
    }
    TReadThreadSettings settings;
    settings.mode = TReadMode::BeatIntervals;
    settings.cycle = cycle;
    settings.logDirectory = databaseDir;
    return std::make_unique<TVeltrakReadThread>(*veltrak, settings, access, nullptr, sink);
}

} // namespace

THRVarRecorder::THRVarRecorder(TVeltrak* veltrak, std::string databaseDir, IPrompt& prompt,
                               std::chrono::milliseconds cycle)
    : databaseDir_(std::move(databaseDir)),
      prompt_(prompt),
      thread_(BeatThread(veltrak, databaseDir_, cycle, access_, queue_)) {}

bool THRVarRecorder::Start() {
    if (!HasHeadUnit() || Recording()) {
        return false;
    }
    // a recording kept after a failed write would otherwise run on into the new one
    if (!Table().Empty() && !Save()) {
        return false;
    }
    beats_.Clear();
    queue_.Drain(); // events of an earlier recording, after its last pump
    thread_->Start();
    return true;
}

bool THRVarRecorder::Stop() {
    if (!Recording()) {
        return false;
    }
    thread_->Stop();
    Take(queue_.Drain());
    return Save();
}

bool THRVarRecorder::Close() {
    if (Recording()) {
        thread_->Stop();
        Take(queue_.Drain());
    }
    return Table().Empty() || Save();
}

bool THRVarRecorder::Pump() {
    const size_t count = Table().Count();
    const bool lost = ConnectionLost();
    Take(queue_.Drain());
    return Table().Count() != count || ConnectionLost() != lost;
}

void THRVarRecorder::Take(const std::vector<TLiveEvent>& events) {
    for (const TLiveEvent& event : events) {
        beats_.Take(event);
    }
}

bool THRVarRecorder::Save() {
    for (;;) {
        try {
            saved_ = SaveHRVariance(Table(), databaseDir_);
            beats_.Clear();
            return true;
        } catch (const EInOutError& error) {
            const std::string text = "The heart rate variance could not be written: " + std::string(error.what()) +
                                     "\nThe " + std::to_string(Table().Count()) + " beats recorded are kept.";
            if (prompt_.Ask("Warning", text, TPromptButtons::RetryCancel) != TPromptAnswer::Retry) {
                return false;
            }
        }
    }
}

void THRVarRecorder::ChangeMode() {
    axis_ = axis_ == THRVarAxis::Index ? THRVarAxis::Heartrate : THRVarAxis::Index;
}

THRVarChart HRVarChart(const THRDistTable& table, THRVarAxis axis) {
    THRVarChart chart;
    chart.axis = axis;
    const std::vector<THRDistRecord>& records = table.Records();
    if (axis == THRVarAxis::Heartrate) {
        chart.minimum = kLowestHeartrate;
        chart.maximum = kHighestHeartrate;
    } else {
        chart.maximum = std::max<double>(static_cast<double>(records.size()), 1);
        chart.minimum = LastBeatsMinimum(chart.maximum).value_or(0);
    }
    // by beat only the last ones are shown, and the index is the place in the table
    const size_t first = axis == THRVarAxis::Index ? static_cast<size_t>(chart.minimum) : 0;
    for (size_t i = first; i < records.size(); ++i) {
        const THRDistRecord& record = records[i];
        const double x = axis == THRVarAxis::Heartrate ? record.heartrate : record.index;
        if (record.heartrateVariance && x >= chart.minimum && x <= chart.maximum) {
            chart.points.push_back({x, *record.heartrateVariance});
        }
    }
    return chart;
}

std::optional<int32_t> THRVarRecorder::LiveHeartrate() const {
    return Table().Empty() ? std::nullopt : std::optional(Table().Records().back().heartrate);
}

std::optional<double> THRVarRecorder::LiveVariance() const {
    return Table().Empty() ? std::nullopt : Table().Records().back().heartrateVariance;
}

} // namespace klt
