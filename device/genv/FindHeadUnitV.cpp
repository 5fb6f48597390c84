// The port search for generation V head units: speeds, parities and the slow-mode wake-up.
#include "device/VeltrakExceptions.h"
#include "device/genv/VeltrakV.h"

namespace klt {
namespace {

constexpr int kPasses = 4;
constexpr int kTriesPerPass = 3;
constexpr uint16_t kLowestFirmware = 0x2000;

} // namespace

void TVeltrakV::FindHeadUnitV() {
    const std::vector<TVeltrakComPort> ports = SearchedPorts();
    std::string portError;
    for (TVeltrakComPort port : ports) {
        try {
            if (ProbeHeadUnitV(port)) {
                SetPort(port);
                searchedAllPorts_ = false;
                return;
            }
        } catch (const EVeltrakAbort&) {
            throw;
        } catch (const EVeltrakComError& e) {
            portError = e.what(); // a port that cannot be opened holds no head unit
        }
    }
    Line().ClosePort();
    if (ports.size() == 1 && !portError.empty()) {
        throw EVeltrakComError(portError); // the one port asked for is not there at all
    }
    searchedAllPorts_ = SearchAllPorts() && ports.size() > 1;
    throw EVeltrakVersion::NoVeltrakV(PortText());
}

bool TVeltrakV::ProbeHeadUnitV(TVeltrakComPort& port) {
    OpenPort(port);
    if (ConfiguredHWVersion() != TVeltrakHWVersion::HWVersionVT5x128) {
        return false;
    }
    Line().ResetLine();
    TLineSettings pass = kNormalLineMode.settings;
    for (int passNumber = 1; passNumber <= kPasses; ++passNumber) {
        if (pass.baudRate == kSlowLineMode.settings.baudRate) {
            static constexpr uint8_t kWakeUp[] = {'x', 'x', 'x', 'x'};
            Line().Configure(pass);
            Line().WriteBytes(kWakeUp, sizeof kWakeUp);
        }
        for (int attempt = 1; attempt <= kTriesPerPass; ++attempt) {
            TLineSettings settings = pass;
            if (attempt == kTriesPerPass) {
                settings.parity = TParity::Even;
            }
            Line().Configure(settings);
            if (TryVersionQuery()) {
                Status().SetHWVersion(TVeltrakHWVersion::HWVersionVT5x128);
                return true;
            }
        }
        if (pass.baudRate == 9600) {
            Line().SetSlowMode(true);
            pass = kSlowLineMode.settings;
        } else if (pass.baudRate == 4800) {
            pass = kRegisterLineMode.settings;
            Line().SetTimeouts(kNormalLineMode.timeouts);
        } else if (passNumber < 3) {
            pass = {2400, 8, TParity::Odd, 1};
        }
    }
    return false;
}

bool TVeltrakV::TryVersionQuery() {
    Status().SetSWVersion(0);
    try {
        TryTelegramV('P', {}, 2);
    } catch (const EVeltrakAbort&) {
        throw;
    } catch (const std::exception&) {
        return false;
    }
    const auto firmware = static_cast<uint16_t>(reply_[0] << 8 | reply_[1]);
    if (firmware <= kLowestFirmware) {
        return false;
    }
    Status().SetSWVersion(firmware);
    return true;
}

} // namespace klt
