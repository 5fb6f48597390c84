#pragma once
// The head-unit state dialog without its window: the whole status once, then the clock and the
// live values each full second of the head unit's clock.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "flow/HeadUnitSession.h"

namespace klt {

// The head unit reports this temperature when it has no sensor.
inline constexpr int16_t kNoTemperature = -198;

struct TVeltrakStateTexts {
    std::string power, torque, cadence, heartRate, speed, temperature;
    bool temperatureShown = true;
    std::string date, time, firmware, hardware;
};

class TKLTVtrkStateModel {
public:
    // Questions and messages go to `prompt`, which must answer on the thread Tick() runs on.
    TKLTVtrkStateModel(TDownloadConfiguration configuration, std::string captionTemplate, IPrompt& prompt,
                       std::unique_ptr<TVeltrak> veltrak = nullptr);

    // The timer fired (the dialog stops it first): reads and returns the milliseconds until the
    // head unit's next full second, or nothing when the dialog is to close aborted. May run on a
    // thread of its own, one tick at a time.
    std::optional<int> Tick();
    // The dialog is closing: a running exchange is abandoned at its next idle call. Safe from any
    // thread.
    void Close() { closing_ = true; }
    // Whether the dialog was asked to close, also when the read ended before it noticed.
    bool Closing() const { return closing_; }

    const std::string& Caption() const { return caption_; }
    const TVeltrakStateTexts& Texts() const { return texts_; }
    TVeltrakStatus& Status() { return status_; }
    TVeltrak& Veltrak() { return *veltrak_; }
    const TDownloadConfiguration& Configuration() const { return configuration_; }
    // Whether the next tick reads the whole status.
    bool FullReadNext() const { return fullRead_; }

private:
    void Read();
    void UpdateTexts();

    TDownloadConfiguration configuration_;
    std::string captionTemplate_;
    TVeltrakStatus status_;
    THeadUnitSession veltrak_;
    bool fullRead_ = true;
    std::atomic<bool> closing_ = false;
    std::string caption_;
    TVeltrakStateTexts texts_;
};

} // namespace klt
