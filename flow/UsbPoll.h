#pragma once
// The main window's watch over the USB bus: every poll (a timer, and each USB arrival or removal)
// notices a generation VI or 7 head unit appearing or leaving, shows it in place of the serial
// head-unit selector, offers the firmware update once per connection, and keeps the commands that
// need a head unit from running without one.
#include <cstdint>
#include <string>
#include <string_view>

#include "flow/UsbHeadUnit.h"

namespace klt {

class TOptionDataNew;

// Firmware below this is offered an update when the head unit appears.
inline constexpr uint16_t kLatestUsbFirmware = 58647;

inline constexpr std::string_view kNoAnswerVI =
    "No answer from Veltrak VI\r\nIf the screen of your Veltrak is blank please reprogramm your VTVI by clicking OK";
inline constexpr std::string_view kNoAnswer7 =
    "No answer from Veltrak 7\r\nIf the screen of your Veltrak is blank please reprogramm your VT 7 by clicking OK";
inline constexpr std::string_view kNewFirmwareVI =
    "New Veltrak VI Firmware available\r\nPlease update your VTVI by clicking OK";
inline constexpr std::string_view kNewFirmware7 =
    "New Veltrak 7 Firmware available\r\nPlease update your VT7 by clicking OK";
inline constexpr std::string_view kResetDeletesData = "Reseting the Veltrak will delete all data";
inline constexpr std::string_view kResetRestarts =
    "Reseting the Veltrak will restart your Veltrak\r\nNo data will be deleted";

// What the window does for the watch.
class IUsbPollView {
public:
    virtual ~IUsbPollView() = default;
    virtual void SetBusy(bool busy) = 0;
    // A USB head unit appeared or left: the selector, the status line and the commands follow
    // the watch's state.
    virtual void HeadUnitChanged() = 0;
    // The user agreed to update the firmware.
    virtual void OpenFirmwareWindow() = 0;
    // Lets the window run (and with it the watch) for about `milliseconds`.
    virtual void WaitForHeadUnit(int milliseconds) = 0;
};

class TUsbPoll {
public:
    // While one exists, polls do nothing: a dialog or a download is using the head unit.
    class TPause {
    public:
        explicit TPause(TUsbPoll& poll) : poll_(poll) { ++poll_.pauses_; }
        ~TPause() { --poll_.pauses_; }
        TPause(const TPause&) = delete;
        TPause& operator=(const TPause&) = delete;

    private:
        TUsbPoll& poll_;
    };

    static constexpr int kIntervalMs = 500;
    static constexpr int kGateWaitMs = 3000;

    TUsbPoll(IUsbHeadUnit& headUnit, TOptionDataNew& optionTree, IUsbPollView& view);
    // Closes the link to a head unit still attached.
    ~TUsbPoll();
    TUsbPoll(const TUsbPoll&) = delete;
    TUsbPoll& operator=(const TUsbPoll&) = delete;

    // One look at the bus. Does nothing while paused or already polling (a question asked while
    // connecting lets the window, and its timer, run).
    void Poll();

    // 0 with no USB head unit attached, else its hardware version (IUsbHeadUnit's constants).
    int Attached() const { return attached_; }
    // "VT VI" or "VT 7" for the selector; empty with none attached.
    std::string SelectorText() const;
    // A line for the status bar; empty with none attached.
    std::string StatusText() const;
    // Firmware prompts are given only until the first head unit after start (or after one left)
    // has been identified.
    bool FirstConnect() const { return firstConnect_; }
    bool Paused() const { return pauses_ > 0; }

    // Before a command that needs the head unit of the selected generation: true to go on. With a
    // USB generation selected and none attached, waits a moment for one, then tells the user.
    bool HeadUnitGate();
    // The reset command: a warning, and with OK the head unit restarts.
    void ResetHeadUnit();

private:
    // "VI" or "7"; empty with none attached.
    std::string_view GenerationName() const;
    void Arrived(int hardwareVersion);
    void Left();
    void OfferFirmwareUpdate();

    IUsbHeadUnit& headUnit_;
    TOptionDataNew& optionTree_;
    IUsbPollView& view_;
    int attached_ = 0;
    int serialGeneration_ = 5; // the selector's generation before the USB head unit took its place
    bool firstConnect_ = true;
    bool polling_ = false;
    int pauses_ = 0;
};

} // namespace klt
