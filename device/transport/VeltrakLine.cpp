#include "device/transport/VeltrakLine.h"

#include <array>
#include <chrono>
#include <thread>

#include "core/Texts.h"
#include "device/VeltrakErrors.h"
#include "device/transport/PortTexts.h"

namespace klt {
namespace {

class TSystemSleeper : public ISleeper {
public:
    void Sleep(int milliseconds) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }
};

// Sets a flag for the lifetime of a scope.
class TFlagGuard {
public:
    explicit TFlagGuard(bool& flag) : flag_(flag) { flag_ = true; }
    ~TFlagGuard() { flag_ = false; }
    TFlagGuard(const TFlagGuard&) = delete;
    TFlagGuard& operator=(const TFlagGuard&) = delete;

private:
    bool& flag_;
};

// Characters a head unit ignores while it is not inside a telegram.
constexpr uint8_t kFiller = ' ';

} // namespace

ISleeper& SystemSleeper() {
    static TSystemSleeper sleeper;
    return sleeper;
}

TVeltrakLine::TVeltrakLine(ISerialLine& line, ISleeper& sleeper) : line_(line), sleeper_(sleeper) {}

void TVeltrakLine::RequireOpen() const {
    if (!line_.IsOpen()) {
        throw EVeltrakComError(FormatText(LoadText(kTextPortNotExisting), {portText_}));
    }
}

void TVeltrakLine::ApplyMode(const TLineMode& mode) {
    RequireOpen();
    line_.Configure(mode.settings);
    line_.SetTimeouts(mode.timeouts);
}

void TVeltrakLine::ResetLine() {
    if (resetting_) {
        return;
    }
    TFlagGuard guard(resetting_);
    RequireOpen();
    line_.Purge();
    if (line_.SetBreak(true)) {
        sleeper_.Sleep(kBreakMs);
        line_.SetBreak(false);
        sleeper_.Sleep(kBreakMs);
    } else {
        std::array<uint8_t, kFillerLength> filler{};
        filler.fill(kFiller);
        line_.Write(filler.data(), filler.size());
        sleeper_.Sleep(kFillerPauseMs);
    }
}

size_t TVeltrakLine::WriteBytes(const uint8_t* bytes, size_t count) {
    RequireOpen();
    size_t written = 0;
    for (; written < count; ++written) {
        bool taken = line_.Write(bytes + written, 1) == 1;
        for (int retry = 0; !taken && retry < kRetries; ++retry) {
            sleeper_.Sleep(kRetryPauseMs);
            taken = line_.Write(bytes + written, 1) == 1;
        }
        if (!taken) {
            break; // the caller sees the short count
        }
        sleeper_.Sleep(kBytePaceMs);
    }
    line_.Flush();
    return written;
}

size_t TVeltrakLine::WriteBlock(const uint8_t* bytes, size_t count) {
    RequireOpen();
    return line_.Write(bytes, count);
}

size_t TVeltrakLine::ReadBytes(uint8_t* bytes, size_t count) {
    RequireOpen();
    for (int wait = 0; reading_ && wait < kIdleWaits; ++wait) {
        if (idle_) {
            idle_();
        }
    }
    if (reading_) {
        return 0;
    }
    TFlagGuard guard(reading_);
    size_t got = line_.Read(bytes, count);
    if (got == 0) {
        got = line_.Read(bytes, count);
    }
    return got;
}

} // namespace klt
