#include "device/ProtocolLine.h"

#include "core/Texts.h"
#include "device/VeltrakErrors.h"
#include "device/transport/TermiosSerialLine.h"

namespace klt {

std::string PortListText(const std::vector<TVeltrakComPort>& ports) {
    std::string text;
    for (const TVeltrakComPort& port : ports) {
        text += (text.empty() ? "" : ", ") + (port.Name.empty() ? PortText(port) : port.Name);
    }
    return text;
}

TProtocolLine::TProtocolLine(std::unique_ptr<ISerialLine> line, IProtocolClock& clock)
    : line_(std::move(line)), clock_(clock), sleeper_(clock), veltrakLine_(*line_, sleeper_) {}

void TProtocolLine::OpenPort(const TVeltrakComPort& port) {
    ClosePort();
    veltrakLine_.SetPortText(PortText(port));
    if (port.Path.empty()) {
        throw EVeltrakComError(FormatText("Port %s does not exist", {PortText(port)}));
    }
    line_->Open(port.Path);
    ApplyMode(kNormalLineMode);
}

void TProtocolLine::ClosePort() {
    if (line_->IsOpen()) {
        line_->Close();
    }
}

void TProtocolLine::ApplyMode(const TLineMode& mode) {
    veltrakLine_.ApplyMode(mode);
    mode_ = mode;
}

void TProtocolLine::Configure(const TLineSettings& settings) {
    ApplyMode({settings, mode_.timeouts});
}

void TProtocolLine::SetTimeouts(const TLineTimeouts& timeouts) {
    ApplyMode({mode_.settings, timeouts});
}

std::unique_ptr<ISerialLine> CreateSerialLine() {
    return std::make_unique<TTermiosSerialLine>();
}

} // namespace klt
