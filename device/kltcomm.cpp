#include "device/kltcomm.h"

#include "core/Prompt.h"
#include "device/VeltrakExceptions.h"

namespace klt {
namespace {

IPrompt& UnattendedPrompt() {
    static TCautiousPrompt prompt;
    return prompt;
}

} // namespace

TVeltrakInternal::TVeltrakInternal(std::unique_ptr<ISerialLine> line, IProtocolClock* clock)
    : line_(line != nullptr ? std::move(line) : CreateSerialLine(),
            clock != nullptr ? *clock : RealProtocolClock()),
      prompt_(&UnattendedPrompt()) {
    ownStatus_.SetHWVersion(TVeltrakHWVersion::HWVersionEntwicklung);
    portLister_ = ListComPorts;
}

void TVeltrakInternal::OpenPort(TVeltrakComPort& port) {
    line_.ClosePort();
    TVeltrakComPortList listed;
    listed.Assign(portLister_());
    port = listed.Resolve(port, searchAllPorts_);
    line_.OpenPort(port);
}

std::string TVeltrakInternal::PortText() const {
    return searchedAllPorts_ ? PortListText(SearchedPorts()) : klt::PortText(port_);
}

std::vector<TVeltrakComPort> TVeltrakInternal::SearchedPorts() const {
    if (!searchAllPorts_) {
        return {port_};
    }
    std::vector<TVeltrakComPort> listed = portLister_();
    std::vector<TVeltrakComPort> ports;
    // The configured port first, then the others in list order.
    ports.push_back(port_);
    for (const TVeltrakComPort& port : listed) {
        if (port.Path != port_.Path && !port.Path.empty()) {
            ports.push_back(port);
        }
    }
    if (ports.front().Path.empty() && ports.size() > 1) {
        ports.erase(ports.begin());
    }
    return ports;
}

void TVeltrakInternal::ProcessIdle() {
    const int abortsBefore = abortCounter_;
    ++idleNesting_;
    try {
        Idle();
        if (OnIdle) {
            OnIdle();
        }
    } catch (const EVeltrakAbort&) {
        // RequestAbort left the callback; the counter tells it apart from other aborts
        if (abortCounter_ == abortsBefore) {
            --idleNesting_;
            throw;
        }
    } catch (...) {
        --idleNesting_;
        throw;
    }
    --idleNesting_;
    if (abortCounter_ != abortsBefore) {
        if (OnAbort) {
            OnAbort();
        }
        throw EVeltrakAbort();
    }
}

void TVeltrakInternal::RequestAbort() {
    if (idleNesting_ == 0) {
        if (OnAbort) {
            OnAbort();
        }
        throw EVeltrakAbort();
    }
    ++abortCounter_;
    throw EVeltrakAbort();
}

void TVeltrakInternal::Wait(int milliseconds) {
    const uint32_t start = Clock().Milliseconds();
    while (Clock().Since(start) < static_cast<uint32_t>(milliseconds + 100)) {
        ProcessIdle();
        Clock().Sleep(10);
    }
}

bool TVeltrakInternal::AskRetry(const std::string& text) {
    if (UserPrompt().Ask("Warning", text, TPromptButtons::RetryCancel) == TPromptAnswer::Retry) {
        return true;
    }
    RequestAbort();
    return false;
}

void TVeltrakInternal::RetryOnError(const std::function<void()>& step) {
    for (;;) {
        try {
            step();
            return;
        } catch (const EVeltrakAbort&) {
            throw;
        } catch (const EVeltrak& error) {
            AskRetry(error.what()); // cancel raises EVeltrakAbort
        }
    }
}

void TVeltrakInternal::SetData16(int first, uint16_t value) {
    SetData(first, static_cast<uint8_t>(value >> 8));
    SetData(first + 1, static_cast<uint8_t>(value));
}

uint32_t TVeltrakInternal::Data32() const {
    return uint32_t{Data16(1)} << 16 | Data16(3);
}

void TVeltrakInternal::SetData32(uint32_t value) {
    SetData16(1, static_cast<uint16_t>(value >> 16));
    SetData16(3, static_cast<uint16_t>(value));
}

void TVeltrakOld::Idle() {
    if (ProcessPendingEvent) {
        ProcessPendingEvent();
    }
}

} // namespace klt
