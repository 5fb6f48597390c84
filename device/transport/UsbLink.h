#pragma once
// The USB link of generation VI and 7 head units: one per program, since one USB head unit is
// served at a time. Every operation returns the driver status (FT_OK for success); while error
// display is on, a failure shows a box with the operation's name and what went wrong.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/Prompt.h"
#include "device/FtdiLink.h"

namespace klt {

// Line format codes as the driver library counts them.
inline constexpr int kFtBits8 = 8;
inline constexpr int kFtStopBits1 = 0;
inline constexpr int kFtParityNone = 0;

inline constexpr std::string_view kVeltrak6Description = "VELTRAK 6";
inline constexpr std::string_view kVeltrak7Description = "VELTRAK 7";
inline constexpr size_t kMaxDescriptionLength = 49;

// " - Invalid Handle..." and the like for statuses 1 to 5; empty for the others.
std::string_view FtStatusText(TFtStatus status);

class TUsbLink {
public:
    explicit TUsbLink(IFtdiLink& link) : link_(link) {}

    IFtdiLink& Driver() { return link_; }
    bool IsOpen() const { return open_; }
    bool ErrorDisplay() const { return errorDisplay_; }
    void SetErrorDisplay(bool on) { errorDisplay_ = on; }
    // Where failing calls are shown while the display is on; without one they are not shown.
    void SetErrorPrompt(IPrompt* prompt) { errorPrompt_ = prompt; }
    const std::string& LastDescription() const { return lastDescription_; }
    TFtStatus LastStatus() const { return lastStatus_; }

    TFtStatus DeviceCount(int& count);
    TFtStatus DeviceDescription(int index, std::string& description);
    TFtStatus OpenByDescription(const std::string& description);
    TFtStatus Close();
    TFtStatus ResetDevice();
    TFtStatus Purge(); // transmit, then receive
    TFtStatus SetBreak(bool on);
    TFtStatus SetBaudRate(int baud);
    TFtStatus SetDataCharacteristics(int dataBits, int stopBits, int parity);
    TFtStatus SetFlowControl();
    TFtStatus SetTimeouts(int readMs, int writeMs);
    TFtStatus QueueStatus(size_t& waiting);
    TFtStatus Write(const uint8_t* bytes, size_t count, size_t& written);
    TFtStatus Read(uint8_t* bytes, size_t count, size_t& read);
    TFtStatus SetBitMode(uint8_t mask, uint8_t mode);
    TFtStatus CyclePort();

    // Opens "VELTRAK 6" or "VELTRAK 7" and sets it up: reset, 38400 baud, no flow control, 8N1,
    // 500 ms time-outs. The status of the open; nothing escapes.
    TFtStatus OpenHeadUnitLink(const std::string& description);
    TFtStatus CloseHeadUnitLink();
    // Silently looks for a USB head unit: 7 for the first "VELTRAK 6", 8 for the first "VELTRAK 7",
    // 0 when there is none.
    int DetectUsbHeadUnit();
    // Whether the open link is gone (never opened, closed, or the device stopped answering);
    // clears the open flag when so.
    bool UsbLinkLost();

    static constexpr int kBaudRate = 38400;
    static constexpr uint8_t kXon = 0x11;
    static constexpr uint8_t kXoff = 0x13;
    static constexpr int kTimeoutMs = 500;

private:
    TFtStatus Checked(TFtStatus status, std::string_view operation);

    IFtdiLink& link_;
    bool open_ = false;
    bool errorDisplay_ = true;
    IPrompt* errorPrompt_ = nullptr;
    std::string lastDescription_;
    TFtStatus lastStatus_ = FT_OK;
    int baudRate_ = kBaudRate;
    int dataBits_ = kFtBits8;
    int stopBits_ = kFtStopBits1;
    int parity_ = kFtParityNone;
};

// The program's USB link over the backend chosen at first use: the simulator when KLT_USB_SIM
// holds the path of its socket, libftdi1 otherwise.
TUsbLink& UsbLink();

TFtStatus OpenHeadUnitLink(const std::string& description);
TFtStatus CloseHeadUnitLink();
int DetectUsbHeadUnit();
bool UsbLinkLost();

} // namespace klt
