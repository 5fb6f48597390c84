#pragma once
// The head-unit state dialog without its window: the whole status once, then the clock and the
// live values each full second of the head unit's clock.
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
    TKLTVtrkStateModel(TDownloadConfiguration configuration, std::string captionTemplate,
                       std::unique_ptr<TVeltrak> veltrak = nullptr);

    // The timer fired (the dialog stops it first): reads and returns the milliseconds until the
    // head unit's next full second, or nothing when the dialog is to close aborted.
    std::optional<int> Tick();
    // The dialog is closing: a running exchange is abandoned at its next idle call.
    void Close() { closing_ = true; }

    const std::string& Caption() const { return caption_; }
    const TVeltrakStateTexts& Texts() const { return texts_; }
    TVeltrakStatus& Status() { return status_; }
    TVeltrak& Veltrak() { return *veltrak_; }
    const TDownloadConfiguration& Configuration() const { return configuration_; }
    // Whether the next tick reads the whole status.
    bool FullReadNext() const { return fullRead_; }
    void SetEventPump(std::function<void()> pump) { veltrak_.SetEventPump(std::move(pump)); }

private:
    void Read();
    void UpdateTexts();

    TDownloadConfiguration configuration_;
    std::string captionTemplate_;
    TVeltrakStatus status_;
    THeadUnitSession veltrak_;
    bool fullRead_ = true;
    bool closing_ = false;
    std::string caption_;
    TVeltrakStateTexts texts_;
};

} // namespace klt
