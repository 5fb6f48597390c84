#include "tools/sim/HeadUnitSimulator.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <stdexcept>

#include "tools/sim/CharacterHeadUnit.h"
#include "tools/sim/HeadUnitContext.h"
#include "tools/sim/LiveErgometer.h"
#include "tools/sim/RegisterHeadUnit.h"
#include "tools/sim/RequestHeadUnit.h"
#include "tools/sim/SimLine.h"
#include "tools/sim/TelemetrySender.h"
#include "tools/sim/UsbSimServer.h"

namespace klt::sim {

THeadUnitSimulator::THeadUnitSimulator(TSimOptions options) : options_(std::move(options)) {}

THeadUnitSimulator::~THeadUnitSimulator() {
    Stop();
}

void THeadUnitSimulator::Start() {
    if (thread_.joinable()) {
        return;
    }
    if (options_.generation >= 6) {
        StartErgometer();
        requestHeadUnit_ = std::make_unique<TRequestHeadUnit>(options_, Ergometer());
        usb_ = std::make_unique<TUsbSimServer>("VELTRAK " + std::to_string(options_.generation),
                                               *requestHeadUnit_, options_.lineRate);
        thread_ = std::thread([this] { usb_->Serve(); });
        return;
    }
    line_ = std::make_unique<TSimLine>(options_.Baud());
    context_ = std::make_unique<THeadUnitContext>(options_, *line_);
    thread_ = std::thread([this] { Serve(); });
}

// Rider 2 rides an ergometer of his own whose brake nobody drives: it stays at a moderate load.
void THeadUnitSimulator::StartErgometer() {
    if (!options_.ergometer) {
        return;
    }
    const int riders = std::max(1, options_.telemetryRiders);
    for (int rider = 1; rider <= riders; ++rider) {
        ergometers_.push_back(std::make_unique<TLiveErgometer>(
            options_.rider, options_.seed + static_cast<uint32_t>(rider - 1), options_.speedup, options_.faults.beats));
    }
    if (riders > 1) {
        ergometers_[1]->SetBrake({.offset = kBrakeWorkingPoint + 2000, .limit = 0, .slope = 0, .divisor = 1});
    }
    if (options_.telemetryRiders > 0) {
        std::vector<TLiveErgometer*> senders;
        for (const auto& ergometer : ergometers_) {
            senders.push_back(ergometer.get());
        }
        telemetry_ = std::make_unique<TTelemetrySender>(options_, senders);
        telemetryThread_ = std::thread([this] { telemetry_->Serve(); });
    }
}

TLiveErgometer* THeadUnitSimulator::Ergometer(int rider) const {
    return rider >= 1 && static_cast<size_t>(rider) <= ergometers_.size() ? ergometers_[static_cast<size_t>(rider - 1)].get()
                                                                          : nullptr;
}

const std::string& THeadUnitSimulator::TelemetryPath() const {
    static const std::string none;
    return telemetry_ ? telemetry_->SlavePath() : none;
}

void THeadUnitSimulator::Serve() {
    try {
        if (options_.generation == 4) {
            TRegisterHeadUnit(*context_).Serve();
        } else {
            TCharacterHeadUnit(*context_).Serve();
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "klt-sim: the head unit stopped: %s\n", e.what());
    }
}

void THeadUnitSimulator::Stop() {
    if (line_) {
        line_->Stop();
    }
    if (usb_) {
        usb_->Stop();
    }
    if (telemetry_) {
        telemetry_->Stop();
    }
    if (thread_.joinable()) {
        thread_.join();
    }
    if (telemetryThread_.joinable()) {
        telemetryThread_.join();
    }
}

const std::string& THeadUnitSimulator::SlavePath() const {
    static const std::string none;
    return line_ ? line_->SlavePath() : none;
}

const std::string& THeadUnitSimulator::SocketPath() const {
    static const std::string none;
    return usb_ ? usb_->SocketPath() : none;
}

std::vector<TExpectedTraining> THeadUnitSimulator::ExpectedTrainings() const {
    return requestHeadUnit_ ? klt::sim::ExpectedTrainings(requestHeadUnit_->RecordedSections())
                            : std::vector<TExpectedTraining>{};
}

std::vector<TExpectedTraining> THeadUnitSimulator::RideAgain(int minutes, int64_t gapSeconds) {
    if (!requestHeadUnit_) {
        throw std::logic_error("RideAgain: no generation 6 or 7 head unit has been started");
    }
    if (minutes < 1 || minutes > 120) {
        throw std::invalid_argument("RideAgain: a ride of 1 to 120 minutes");
    }
    return klt::sim::ExpectedTrainings({requestHeadUnit_->RideAgain(minutes, gapSeconds)});
}

TSimState THeadUnitSimulator::State() const {
    if (requestHeadUnit_) {
        return requestHeadUnit_->Snapshot();
    }
    return context_ ? context_->Snapshot() : TSimState{};
}

} // namespace klt::sim
