#include "online/OnlineSession.h"

#include <algorithm>
#include <variant>

#include "device/live/VeltrakReadThread.h"
#include "online/ReadThreadSwitch.h"

namespace klt {

TOnlineSession::TOnlineSession(TVeltrakOld& veltrak, TOnlineOptions& options, IRunOwner& owner, IPrompt& prompt,
                               const IRunClock& clock, const TOnlineSessionSetup& setup)
    : veltrak_(veltrak), prompt_(prompt),
      speedup_(std::max<int64_t>(1, TOnlineRunController::kSampleMs / std::max<int64_t>(1, setup.cycle.count()))) {
    const bool telemetry = setup.mode == emTelemetrie;
    if (!telemetry) {
        veltrak_.ReadBrakeCalibration();
        if (veltrak_.Status().BremseTyp != TVeltrakBremseTyp::BremseTypKeine) {
            brake_ = std::make_unique<TBreakControl>(veltrak_, veltrak_.Status(), samples_[0],
                                                     options.OnlineCommonOptionSet, setup.databaseDir, access_,
                                                     warnings_);
        }
    }
    TReadThreadSettings reading;
    reading.mode = telemetry ? TReadMode::Telemetry : TReadMode::Polling;
    reading.cycle = setup.cycle;
    reading.logDirectory = setup.databaseDir;
    reader_ = std::make_unique<TVeltrakReadThread>(veltrak_, reading, access_, brake_.get(), queue_);
    readerSwitch_ = std::make_unique<TReadThreadSwitch>(*reader_);
    // the run starts stopped, and a stopped run reads nothing
    reader_->Suspend();
    reader_->Start();
    run_ = std::make_unique<TOnlineRunController>(
        TRunParts{options, samples_, brake_.get(), *readerSwitch_, owner, prompt, clock, setup.databaseDir},
        setup.mode);
}

TOnlineSession::~TOnlineSession() {
    // no regulation step may engage the brake once the run has released it
    reader_->Stop();
    run_.reset();
}

int TOnlineSession::Pump() { return HandOver(queue_.Drain()); }

int TOnlineSession::WaitAndPump(std::chrono::milliseconds wait) { return HandOver(queue_.WaitAndDrain(wait)); }

int TOnlineSession::HandOver(std::vector<TLiveEvent> events) {
    int values = 0;
    for (TLiveEvent& event : events) {
        if (auto* valueSet = std::get_if<TLiveValueSet>(&event)) {
            ++values;
            if (valueSet->elapsedMs > 0) {
                valueSet->elapsedMs *= speedup_;
            }
        }
        run_->Handle(event);
    }
    for (const TBrakeWarning& warning : warnings_.Take()) {
        prompt_.ShowMessage(warning.caption, warning.text);
    }
    return values;
}

} // namespace klt
