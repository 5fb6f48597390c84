#pragma once
// Generation VI (hardware version 7) and 7 (hardware version 8) head units: binary requests over
// the FTDI link. Everything still reached over a serial port falls back to generation V.
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "device/DownloadResult.h"
#include "device/genv/VeltrakV.h"
#include "device/usb/RequestPort.h"
#include "device/usb/UsbRequest.h"

namespace klt {

class TUsbLink;
class TUsbTrafficLog;
class TVeltrakImage;

// A training offered for download, one line of the selection list.
struct TSectionChoice {
    std::string line;   // 120 characters, blank-filled
    bool chosen = true;
};

class TVeltrakVI : public TVeltrakV, public IRequestPort {
public:
    // Without a USB link the program's one (UsbLink()) is used.
    explicit TVeltrakVI(std::unique_ptr<ISerialLine> line = nullptr, IProtocolClock* clock = nullptr,
                        TUsbLink* usb = nullptr);
    ~TVeltrakVI() override;

    // Opens "VELTRAK 6" and identifies the head unit; EVeltrakVersion when it does not answer.
    void ConnectVI();

    // Below hardware version 7 each falls back to generation V.
    void ReadStatus() override;
    void WriteSettings(const TVeltrakStatus& settings) override;
    void ReadClock() override;
    void WriteClock() override;
    void ReadLiveValues() override;
    void StartRecording() override;
    // With `wait`, IsBusy is polled until the head unit is ready again.
    void StartRecording(bool wait);
    bool IsBusy();
    void ResetOdometer();
    // The USB chip's CBUS reset, the busy poll and the clock set to the computer's time.
    void ResetHeadUnit();

    // Reads the data sections into training files in the database. With `select`, the list of
    // trainings goes to OnSelectSections first and only the chosen ones are read. Stops between
    // sections once the abort flag is set.
    TDownloadResult DownloadSections(TVeltrakImage& image, const TProgress& progress, bool select);
    std::function<void(std::vector<TSectionChoice>& choices)> OnSelectSections;
    void SetAbortFlag(bool on) { abortFlag_ = on; }
    bool AbortFlag() const { return abortFlag_; }

    // Logs every USB byte into LogCommFiles below the training database.
    void OpenTrafficLog(const std::string& databaseDir);

    // One request of the given kind (see the kind table); false when no valid reply came.
    bool Request(int kind, std::span<const uint8_t> data = {}) override;
    const std::vector<uint8_t>& Payload() const override;
    TUsbLink& Usb() { return usb_; }

protected:
    // Opens the link with `description` and asks for the firmware version; false when it failed.
    bool Connect(const std::string& description, bool cycleFirst);

private:
    TUsbLink& usb_;
    std::unique_ptr<TUsbTrafficLog> log_;
    std::unique_ptr<TUsbRequestLink> requests_;
    bool abortFlag_ = false;
};

class TVeltrak : public TVeltrakVI {
public:
    using TVeltrakVI::TVeltrakVI;
    // Opens "VELTRAK 7" and identifies the head unit; false when it does not answer.
    bool ConnectV7();
};

} // namespace klt
