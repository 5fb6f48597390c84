#include "device/live/VeltrakReadThread.h"

#include <string>
#include <utility>

#include "core/Exceptions.h"
#include "device/VeltrakExceptions.h"
#include "device/live/TelemetryReceiver.h"
#include "device/usb/VeltrakVI.h"

namespace klt {
namespace {

using TClock = std::chrono::steady_clock;

constexpr size_t kPendingMax = 512;

int64_t MillisecondsBetween(TClock::time_point from, TClock::time_point to) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(to - from).count();
}

// Marks an exchange the stop may abort for as long as it runs.
class TAbortableExchange {
public:
    explicit TAbortableExchange(std::atomic<bool>& flag) : flag_(flag) { flag_ = true; }
    ~TAbortableExchange() { flag_ = false; }
    TAbortableExchange(const TAbortableExchange&) = delete;
    TAbortableExchange& operator=(const TAbortableExchange&) = delete;

private:
    std::atomic<bool>& flag_;
};

// Frame bytes that follow what was pending come from the line, within its time-outs.
class TLineSource : public ITelemetryByteSource {
public:
    explicit TLineSource(TProtocolLine& line) : line_(line) {}
    size_t Read(uint8_t* bytes, size_t count) override { return line_.ReadBytes(bytes, count); }

private:
    TProtocolLine& line_;
};

} // namespace

TVeltrakReadThread::TVeltrakReadThread(TVeltrakOld& veltrak, const TReadThreadSettings& settings, TDeviceAccess& access,
                                       IBrakeStep* brake, ILiveSink& sink,
                                       std::array<const TVeltrakStatus*, kRiders> riders)
    : veltrak_(veltrak), settings_(settings), access_(access), brake_(brake), sink_(sink) {
    for (size_t i = 0; i < riders_.size(); ++i) {
        if (riders[i] != nullptr) {
            riders_[i].Assign(*riders[i]);
        } else {
            riders_[i].BremseTyp = TVeltrakBremseTyp::BremseTypKeine;
            riders_[i].SetSWVersion(1);
        }
    }
}

TVeltrakReadThread::~TVeltrakReadThread() { Stop(); }

void TVeltrakReadThread::Start() {
    if (Running()) {
        return;
    }
    if (settings_.mode == TReadMode::BeatIntervals && dynamic_cast<TVeltrakVI*>(&veltrak_) == nullptr) {
        throw ERangeError("Beat-to-beat intervals come only from a Veltrak VI or 7");
    }
    logs_.Open(settings_.logDirectory);
    TakeProtocol();
    stopping_ = false;
    thread_ = std::thread([this] { Run(); });
}

void TVeltrakReadThread::Stop() {
    if (!Running()) {
        return;
    }
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
    ReturnProtocol();
}

void TVeltrakReadThread::Suspend() {
    std::lock_guard lock(mutex_);
    suspended_ = true;
}

void TVeltrakReadThread::Resume() {
    {
        std::lock_guard lock(mutex_);
        suspended_ = false;
    }
    wake_.notify_all();
}

void TVeltrakReadThread::TakeProtocol() {
    saved_ = {veltrak_.OnIdle, veltrak_.OnAbort, veltrak_.ProcessPendingEvent, &veltrak_.UserPrompt()};
    veltrak_.OnIdle = [this] {
        if (reading_ && Stopping()) {
            veltrak_.RequestAbort();
        }
    };
    veltrak_.OnAbort = nullptr;
    veltrak_.ProcessPendingEvent = nullptr; // pumps the window's events: never from this thread
    veltrak_.SetPrompt(prompt_);
}

void TVeltrakReadThread::ReturnProtocol() {
    veltrak_.OnIdle = saved_.onIdle;
    veltrak_.OnAbort = saved_.onAbort;
    veltrak_.ProcessPendingEvent = saved_.processPendingEvent;
    veltrak_.SetPrompt(*saved_.prompt);
}

int64_t TVeltrakReadThread::NowMs() const { return MillisecondsBetween(epoch_, TClock::now()); }

bool TVeltrakReadThread::WaitUntil(TClock::time_point until) {
    std::unique_lock lock(mutex_);
    for (;;) {
        if (Stopping()) {
            return false;
        }
        if (suspended_) {
            wake_.wait(lock);
        } else if (TClock::now() >= until) {
            return true;
        } else {
            wake_.wait_until(lock, until);
        }
    }
}

void TVeltrakReadThread::Run() {
    try {
        switch (settings_.mode) {
        case TReadMode::Polling:
            RunPolling();
            break;
        case TReadMode::Telemetry:
            RunTelemetry();
            break;
        case TReadMode::BeatIntervals:
            RunBeatIntervals();
            break;
        }
    } catch (const EVeltrakAbort&) {
        // stopped inside an exchange
    } catch (const std::exception& error) {
        logs_.timing.Line(std::string(" Read Thread Error: ") + error.what());
        sink_.Post(TLiveConnectionLost{});
    }
}

void TVeltrakReadThread::RunPolling() {
    TPollErrorCount errors(NowMs());
    TClock::time_point previousRead = TClock::now();
    TClock::time_point previousSet = previousRead;
    std::optional<TClock::time_point> previousBrake;
    TClock::time_point next = previousRead;
    while (WaitUntil(next)) {
        const TClock::time_point start = TClock::now();
        logs_.timing.Line(" SleepTime:" + std::to_string(MillisecondsBetween(previousRead, start)));
        previousRead = start;
        next = start + settings_.cycle;
        const bool read = Poll(errors, [this] {
            veltrak_.ReadLiveValues();
            // The head unit's status stays the protocol's, shared with the brake control under the
            // lock; the thread hands on its own copy.
            riders_[0].Assign(veltrak_.Status());
        });
        if (!read) {
            if (errors.Silent(NowMs())) {
                sink_.Post(TLiveConnectionLost{});
            }
            continue;
        }
        const TVeltrakStatus& s = riders_[0];
        const TClock::time_point now = TClock::now();
        sink_.Post(TLiveValueSet{1, MillisecondsBetween(previousSet, now), s.Leistung, s.Tretfrequenz, s.Herzfrequenz,
                                 s.Geschwindigkeit, s.Temperatur, now});
        previousSet = now;
        if (!previousBrake || now - *previousBrake >= settings_.cycle) {
            previousBrake = now;
            RunBrakeStep();
        }
    }
}

void TVeltrakReadThread::RunBeatIntervals() {
    auto& veltrak = dynamic_cast<TVeltrakVI&>(veltrak_);
    TPollErrorCount errors(NowMs());
    // The head unit collects beats whether anyone reads them or not: what the first read brings
    // is of unknown age and is dropped.
    bool first = true;
    TClock::time_point next = TClock::now();
    while (WaitUntil(next)) {
        next = TClock::now() + settings_.cycle;
        TBeatIntervals beats;
        if (!Poll(errors, [&] { beats = veltrak.ReadBeatIntervals(); })) {
            if (errors.Silent(NowMs())) {
                sink_.Post(TLiveConnectionLost{});
            }
            continue;
        }
        if (std::exchange(first, false)) {
            continue;
        }
        if (beats.lost > 0) {
            logs_.timing.Line(" Beats lost:" + std::to_string(beats.lost));
        }
        const TClock::time_point now = TClock::now();
        int lost = beats.lost;
        for (const uint16_t interval : beats.intervals) {
            sink_.Post(TLiveBeatInterval{interval, now, std::exchange(lost, 0)});
        }
    }
}

bool TVeltrakReadThread::Poll(TPollErrorCount& errors, const std::function<void()>& read) {
    TPollErrorCount::TVerdict verdict;
    try {
        const TDeviceAccess::TLock lock = access_.Acquire();
        const TAbortableExchange exchange(reading_);
        read();
        errors.Success(NowMs());
        return true;
    } catch (const EVeltrakAbort&) {
        if (Stopping()) {
            throw;
        }
        verdict = errors.OtherError(NowMs());
        logs_.timing.Line(" Other Read Error Nr:" + std::to_string(verdict.number));
    } catch (const EVeltrakTimeout&) {
        verdict = errors.Timeout(NowMs());
        logs_.timing.Line(" EVeltrakTimeout Read Error Nr:" + std::to_string(verdict.number));
    } catch (const std::exception& error) {
        verdict = errors.OtherError(NowMs());
        logs_.timing.Line(" Other Read Error Nr:" + std::to_string(verdict.number) + " " + error.what());
    }
    if (verdict.lost) {
        sink_.Post(TLiveConnectionLost{});
    }
    return false;
}

void TVeltrakReadThread::RunBrakeStep() {
    if (brake_ == nullptr) {
        return;
    }
    try {
        brake_->AfterRead();
    } catch (const std::exception& error) {
        sink_.Post(TLiveBrakeFailure{error.what()});
    }
}

std::vector<uint8_t> TVeltrakReadThread::PendingBytes() {
    TProtocolLine& line = veltrak_.Line();
    const TLineTimeouts frameTimeouts = line.Timeouts();
    line.SetTimeouts(kPollingTimeouts);
    std::vector<uint8_t> pending(kPendingMax);
    pending.resize(line.ReadBytes(pending.data(), pending.size()));
    line.SetTimeouts(frameTimeouts);
    return pending;
}

void TVeltrakReadThread::RunTelemetry() {
    if (veltrak_.Port().Path.empty()) {
        return;
    }
    veltrak_.Line().OpenPort(veltrak_.Port());
    TTelemetryReceiver receiver({&riders_[0], &riders_[1]}, settings_.telemetryCycle, NowMs(), sink_, logs_);
    TLineSource line(veltrak_.Line());
    const auto pause = std::min<std::chrono::milliseconds>(kTelemetryPause, settings_.cycle);
    while (WaitUntil(TClock::now() + pause)) {
        const TDeviceAccess::TLock lock = access_.Acquire();
        const std::vector<uint8_t> pending = PendingBytes();
        receiver.Receive(pending, line, NowMs());
        receiver.CheckWatchdogs(NowMs());
    }
}

} // namespace klt
