#pragma once
// Closing the program: the questions about unsaved trainings, and the warning about a head unit
// left on a serial port.
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

namespace klt {

// Asks about every training shown in a window, the most recently used first, whether to save its
// changes. False when the user cancelled: the program stays open.
bool CloseQueryAllTrainings();

// A serial port as the closing probe uses it. Every call returns within its time-out.
class IProbePort {
public:
    virtual ~IProbePort() = default;
    // Sets 8N1 at `baud` with small queues; false when the port's state cannot be read.
    virtual bool Configure(int baud) = 0;
    virtual void SetBaud(int baud) = 0;
    virtual void SendBreak(int milliseconds) = 0;
    virtual bool WriteByte(uint8_t byte) = 0;
    // One byte, waiting at most the port's read time-out.
    virtual std::optional<uint8_t> ReadByte() = 0;
};

// Opens the ports to probe; null for a port that cannot be opened.
class IProbePorts {
public:
    virtual ~IProbePorts() = default;
    static constexpr int kPortCount = 4;
    virtual std::unique_ptr<IProbePort> Open(int index) = 0; // 0 … kPortCount - 1
};

// Asks one port for a head unit's version word: a break, then up to three attempts (9600, 19200,
// then 4800 Bd) of sending "P" up to twice and, when it is echoed, reading two bytes.
std::optional<uint16_t> ProbeVeltrakVersion(IProbePort& port);
// The version word of the first port that answers.
std::optional<uint16_t> ProbeVeltrakPorts(IProbePorts& ports);

inline constexpr uint16_t kLastVersionWithBatteryWarning = 11043;
inline constexpr std::string_view kDisconnectVeltrakMessage =
    "Please disconnect the Veltrak from your Computer\r\nIf the Veltrak stay connected the Veltrak will show "
    "a "
    "wrong Batteriecapacity";

// Whether a head unit that answered with `version` must be unplugged before the program ends.
bool NeedsDisconnectWarning(std::optional<uint16_t> version);

} // namespace klt
