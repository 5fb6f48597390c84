#include "device/ProtocolLine.h"

#include <limits>

#include "core/Texts.h"
#include "device/VeltrakErrors.h"

namespace klt {

TLineSettings NormalLineSettings() {
    return {9600, 8, TParity::None, 1};
}
TLineSettings SlowLineSettings() {
    return {4800, 8, TParity::None, 1};
}
TLineSettings RegisterLineSettings() {
    return {19200, 8, TParity::None, 1};
}
TLineTimeouts NormalLineTimeouts() {
    return {50, 50, 50, 50, 50};
}
TLineTimeouts SlowLineTimeouts() {
    return {500, 200, 500, 200, 500};
}
TLineTimeouts PollingLineTimeouts() {
    return {std::numeric_limits<int>::max(), 0, 0, 0, 0};
}

std::string PortListText(const std::vector<TVeltrakComPort>& ports) {
    std::string text;
    for (const TVeltrakComPort& port : ports) {
        text += (text.empty() ? "" : ", ") + (port.Name.empty() ? PortText(port) : port.Name);
    }
    return text;
}

TProtocolLine::TProtocolLine(std::unique_ptr<ISerialLine> line, IProtocolClock& clock)
    : line_(std::move(line)), clock_(clock) {}

void TProtocolLine::OpenPort(const TVeltrakComPort& port) {
    ClosePort();
    if (port.Path.empty()) {
        throw EVeltrakComError(FormatText("Port %s does not exist", {PortText(port)}));
    }
    line_->Open(port.Path);
    Configure(NormalLineSettings());
    SetTimeouts(NormalLineTimeouts());
}

void TProtocolLine::ClosePort() {
    if (line_->IsOpen()) {
        line_->Close();
    }
}

void TProtocolLine::Configure(const TLineSettings& settings) {
    settings_ = settings;
    line_->Configure(settings);
}

void TProtocolLine::SetTimeouts(const TLineTimeouts& timeouts) {
    timeouts_ = timeouts;
    line_->SetTimeouts(timeouts);
}

void TProtocolLine::SetSlowMode(bool on) {
    TLineSettings settings = settings_;
    settings.baudRate = on ? SlowLineSettings().baudRate : NormalLineSettings().baudRate;
    Configure(settings);
    SetTimeouts(on ? SlowLineTimeouts() : NormalLineTimeouts());
}

void TProtocolLine::Purge() {
    line_->Purge();
}

void TProtocolLine::ResetLine() {
    if (resetting_) {
        return;
    }
    resetting_ = true;
    try {
        line_->Purge();
        if (line_->SetBreak(true)) {
            clock_.Sleep(500);
            line_->SetBreak(false);
            clock_.Sleep(500);
        } else {
            static const std::string kFiller(20, ' ');
            WriteBlock(reinterpret_cast<const uint8_t*>(kFiller.data()), kFiller.size());
            clock_.Sleep(100);
        }
    } catch (...) {
        resetting_ = false;
        throw;
    }
    resetting_ = false;
}

size_t TProtocolLine::WriteBytes(const uint8_t* bytes, size_t count) {
    size_t written = 0;
    for (; written < count; ++written) {
        bool taken = line_->Write(bytes + written, 1) == 1;
        for (int retry = 0; !taken && retry < 3; ++retry) {
            clock_.Sleep(2);
            taken = line_->Write(bytes + written, 1) == 1;
        }
        if (!taken) {
            break;
        }
        clock_.Sleep(10);
    }
    line_->Flush();
    return written;
}

size_t TProtocolLine::WriteBlock(const uint8_t* bytes, size_t count) {
    size_t written = 0;
    while (written < count) {
        const size_t taken = line_->Write(bytes + written, count - written);
        if (taken == 0) {
            break;
        }
        written += taken;
    }
    line_->Flush();
    return written;
}

size_t TProtocolLine::ReadBytes(uint8_t* bytes, size_t count) {
    const size_t got = line_->Read(bytes, count);
    return got != 0 ? got : line_->Read(bytes, count);
}

} // namespace klt
