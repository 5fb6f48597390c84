#include "app/KLTMainClosing.h"

#include <vector>

#include "app/ReportedFailure.h"
#include "core/KLTFileRegistry.h"

namespace klt {

bool CloseQueryAllTrainings() {
    // Questions may change the registry (a revert reloads), so the trainings are taken first.
    std::vector<TKLTFile*> shown;
    const auto& files = KLTFileRegistry().Files();
    for (auto it = files.rbegin(); it != files.rend(); ++it) {
        if (!(*it)->Views().empty()) {
            shown.push_back(it->get());
        }
    }
    for (TKLTFile* file : shown) {
        if (!SucceedsOrReports([file] { return file->CloseQuery(); })) {
            return false;
        }
    }
    return true;
}

std::optional<uint16_t> ProbeVeltrakVersion(IProbePort& port) {
    int baud = 9600;
    if (!port.Configure(baud)) {
        return std::nullopt;
    }
    port.SendBreak(50);
    for (int attempt = 0; attempt < 3; ++attempt) {
        for (int send = 0; send < 2; ++send) {
            if (!port.WriteByte('P')) {
                break;
            }
            const std::optional<uint8_t> echo = port.ReadByte();
            if (echo && *echo == 'P') {
                const std::optional<uint8_t> high = port.ReadByte();
                const std::optional<uint8_t> low = high ? port.ReadByte() : std::nullopt;
                if (high && low) {
                    return static_cast<uint16_t>(*high << 8 | *low);
                }
                break;
            }
        }
        if (attempt < 2) {
            baud = baud == 9600 ? 19200 : 4800;
            port.SetBaud(baud);
        }
    }
    return std::nullopt;
}

std::optional<uint16_t> ProbeVeltrakPorts(IProbePorts& ports) {
    for (int index = 0; index < IProbePorts::kPortCount; ++index) {
        if (std::unique_ptr<IProbePort> port = ports.Open(index)) {
            if (std::optional<uint16_t> version = ProbeVeltrakVersion(*port)) {
                return version;
            }
        }
    }
    return std::nullopt;
}

bool NeedsDisconnectWarning(std::optional<uint16_t> version) {
    return version && *version <= kLastVersionWithBatteryWarning;
}

} // namespace klt
