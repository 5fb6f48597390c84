#include "online/ErgoRun.h"

#include <variant>

#include "core/Exceptions.h"
#include "device/live/VeltrakReadThread.h"
#include "online/BreakControl.h"
#include "online/LiveRunParts.h"

namespace klt {
namespace {

constexpr int64_t kSampleMs = 500; // two samples a second, whatever the real cycle
constexpr double kMsPerDay = 86'400'000.0;
constexpr double kHundredthsPerDay = 8'640'000.0;

// Whatever ends the run, the reader stops first and the brake is released last, so no step of
// the regulator can engage it again afterwards.
class TStopAndRelease {
public:
    TStopAndRelease(TVeltrakReadThread& reader, TBreakControl& brake) : reader_(reader), brake_(brake) {}
    ~TStopAndRelease() {
        reader_.Stop();
        try {
            brake_.SetActive(false);
        } catch (const std::exception&) {
            // the head unit is gone: nothing is left to brake with
        }
    }
    TStopAndRelease(const TStopAndRelease&) = delete;
    TStopAndRelease& operator=(const TStopAndRelease&) = delete;

private:
    TVeltrakReadThread& reader_;
    TBreakControl& brake_;
};

} // namespace

TErgoRun::TErgoRun(TVeltrakOld& veltrak, const TKLTErgoFile& program, TErgoRunSettings settings)
    : veltrak_(veltrak), player_(program), settings_(std::move(settings)) {
    if (!settings_.recoveryDirectory.empty()) {
        recovery_.emplace(settings_.recoveryDirectory);
    }
}

TTrainingData TErgoRun::Training() const {
    if (started_.IsNone()) {
        return {}; // the rider never started
    }
    TLiveTrainingInfo info = StartedAt(started_);
    info.initials = settings_.ride.initials;
    info.comment = settings_.ride.comment;
    info.circumference = settings_.ride.circumference;
    return LiveTraining(samples_, info);
}

void TErgoRun::RideStored() {
    if (recovery_) {
        recovery_->Discard();
    }
}

void TErgoRun::Run(const std::function<void(const TErgoRunProgress&)>& progress, const std::function<bool()>& cancelled) {
    // However the ride ends, all of it is kept until the caller has stored it.
    const auto keepRide = [&] {
        if (recovery_) {
            recovery_->Keep(Training(), true);
        }
    };
    try {
        Ride(progress, cancelled);
    } catch (...) {
        keepRide();
        throw;
    }
    keepRide();
}

void TErgoRun::Ride(const std::function<void(const TErgoRunProgress&)>& progress, const std::function<bool()>& cancelled) {
    samples_.Reset();
    started_ = TDateTimeMark::None();
    TDeviceAccess access;
    TBreakControl brake(veltrak_, veltrak_.Status(), samples_, settings_.options, settings_.logDirectory, access,
                        warnings_);
    TLiveEventQueue queue;
    TReadThreadSettings reading;
    reading.cycle = settings_.cycle;
    reading.logDirectory = settings_.logDirectory;
    TVeltrakReadThread reader(veltrak_, reading, access, &brake, queue);
    const TStopAndRelease stopAndRelease(reader, brake);

    brake.SetErgometerMode(emPredefinedFile);
    brake.SetActive(true);
    brake.SetBrakeEnabled(true);
    int step = 0;
    ApplyTargets(brake, player_.Targets(step));
    brake.ResetRegulation();
    reader.Start();

    int index = -1;
    int waited = 0;
    while (!cancelled()) {
        for (const TLiveEvent& event : queue.WaitAndDrain(settings_.cycle * 4)) {
            if (std::holds_alternative<TLiveConnectionLost>(event)) {
                throw EInOutError("The connection to the head unit was lost.");
            }
            if (const auto* failure = std::get_if<TLiveBrakeFailure>(&event)) {
                throw EInOutError(failure->message);
            }
            const auto* values = std::get_if<TLiveValueSet>(&event);
            if (values == nullptr || values->rider != 1) {
                continue;
            }
            if (index < 0 && values->power <= 0) {
                // the program starts when the rider does
                if (++waited > settings_.startSamples) {
                    throw EInOutError("The rider did not start pedalling.");
                }
                continue;
            }
            if (index < 0) {
                started_ = TDateTimeMark::Now();
            }
            const int64_t elapsed = (index + 1) * kSampleMs;
            const int next = player_.StepAt(elapsed);
            if (next < 0) {
                return;
            }
            TKLTOnlineData sample = LiveSampleOf(*values);
            sample.ElapsedTime = static_cast<double>(elapsed) / kMsPerDay;
            sample.WallTime = started_.days + (started_.time + static_cast<double>(elapsed) / 10) / kHundredthsPerDay;
            sample.SetPower = static_cast<int16_t>(player_.Targets(next).watts);
            index = index < 0 ? (samples_.PutSample(0, sample), 0) : samples_.Append(sample);
            if (next != step) {
                step = next;
                ApplyTargets(brake, player_.Targets(step));
            }
            if (recovery_) {
                recovery_->Keep(Training());
            }
            if (progress) {
                progress({index, step, elapsed, player_.TotalMs(), player_.Targets(step).watts, sample.Power()});
            }
        }
    }
}

std::vector<TRegulationSample> TErgoRun::RegulationSamples() const {
    std::vector<TRegulationSample> ride;
    for (int i = 0; i < samples_.Count(); ++i) {
        if (const std::optional<TKLTOnlineData> sample = samples_.Sample(i)) {
            ride.push_back({static_cast<double>(i) * kSampleMs / 1000.0, sample->SetPower, sample->Power()});
        }
    }
    return ride;
}

} // namespace klt
