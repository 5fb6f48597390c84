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
#include "device/VeltrakImage.h"
#include "device/usb/BeatIntervals.h"
#include "device/genv/VeltrakV.h"
#include "device/usb/RequestPort.h"
#include "device/usb/SectionDownload.h"
#include "device/usb/UsbRequest.h"
#include "device/usb/UsbTrafficLog.h"

namespace klt {

class TUsbLink;
class TVeltrakImage;

// Firmware from this version on is newer than this program knows.
inline constexpr uint16_t kFirstUnknownFirmwareVI = 0xE518;

class TVeltrakVI : public TVeltrakV, public IRequestPort {
public:
    // Without a USB link the program's one (UsbLink()) is used.
    explicit TVeltrakVI(std::unique_ptr<ISerialLine> line = nullptr, IProtocolClock* clock = nullptr,
                        TUsbLink* usb = nullptr);
    ~TVeltrakVI() override;

    // Opens "VELTRAK 6" and identifies the head unit; EVeltrakVersion when it does not answer.
    void ConnectVI();

    // Off: a firmware newer than this program knows is served without the warning.
    void SetVersionCheck(bool on) { versionCheck_ = on; }
    // Warns when the firmware is newer than this program knows; a general error when the user
    // chooses to stop.
    void CheckFirmwareVersion();

    // Below hardware version 7 each falls back to generation V.
    void ReadStatus() override;
    void WriteSettings(const TVeltrakStatus& settings) override;
    void ReadClock() override;
    void WriteClock() override;
    void ReadLiveValues() override;
    // The brake values of the status: offset, limit, slope and divisor (docs/usb-brake.md); reading
    // also tells the brake type.
    void ReadBrakeCalibration() override;
    void WriteBrakeCalibration() override;
    // The beat-to-beat intervals the head unit received since the previous read
    // (docs/usb-beats.md). Generation VI and 7 only; the acknowledgement error when the head unit
    // does not answer, the invalid-data error for a reply that does not add up.
    TBeatIntervals ReadBeatIntervals();
    void StartRecording() override;
    // With `wait`, IsBusy is polled until the head unit is ready again.
    void StartRecording(bool wait);
    bool IsBusy();
    void ResetOdometer();
    // The USB chip's CBUS reset, the busy poll and the clock set to the computer's time.
    void ResetHeadUnit();

    // Reads the data sections and hands their trainings to the sink (see DownloadTrainingSections).
    TDownloadResult DownloadSections(TVeltrakImage& image, IDownloadSink& sink, const TSectionDownloadSettings& settings);

    // Logs every USB byte into LogCommFiles below the training database; without a database, or
    // when the files cannot be made, nothing is logged.
    void OpenTrafficLog(const std::string& databaseDir);

    // One request of the given kind (see the kind table); false when no valid reply came.
    // ERangeError for a kind that does not exist.
    bool Request(int kind, std::span<const uint8_t> data = {}) override;
    const std::vector<uint8_t>& Payload() const override;
    TUsbLink& Usb() { return usb_; }

    static constexpr int kConnectAttempts = 3;
    static constexpr int kCycleWaitMs = 4000;
    static constexpr int kResetStepMs = 250;
    static constexpr int kResetSettleMs = 500;
    static constexpr int kResetBusyPolls = 5;
    static constexpr int kBusyPollMs = 250;
    // How long a new recording may keep the head unit busy before it counts as gone.
    static constexpr int kRecordingReadyTimeoutMs = 120000;

protected:
    TVeltrakVI(std::unique_ptr<ISerialLine> line, IProtocolClock* clock, TUsbLink* usb,
               TVeltrakHWVersion hardware);
    // Opens the link with `description` and asks for the firmware version; false when it failed.
    // Generation 7 (`cycleFirst`) cycles the USB port after the first failure before it offers the
    // reset.
    bool Connect(const std::string& description, bool cycleFirst);

private:
    bool UsesRequests() { return Status().HWVersion() >= TVeltrakHWVersion::HWVersionVT6x128; }
    // Kind 0 into the status; false when the head unit did not tell.
    bool ReadFirmwareVersion();
    // Tells the user the link is in trouble and resets the head unit when asked to; false to quit.
    bool OfferReset(const std::string& description);
    // Idles for `milliseconds`.
    void Pause(int milliseconds);

    // A request with a valid reply that, for a read, carries the whole payload.
    bool FullRequest(int kind, std::span<const uint8_t> data);
    // A request whose failure only marks a setting group: false when it failed, unless the link has
    // failed too often in a row, when the failure passes on.
    bool SettingRequest(int kind, std::span<const uint8_t> data = {});
    // A request that must succeed with a full payload; the acknowledgement error otherwise.
    void RequiredRequest(int kind, std::span<const uint8_t> data = {});

    void ReadStatusVI();
    void ReadSettingVI(int kind);
    void DecodeSetting(int kind, std::span<const uint8_t> payload);
    std::vector<uint8_t> EncodeSetting(int kind, const TVeltrakStatus& settings) const;
    void WriteSettingsVI(const TVeltrakStatus& settings);
    bool KnowsKind(int kind);
    void ReadClockVI();
    void WriteClockVI();
    void ReadLiveValuesVI();
    void ReadBrakeValuesVI();
    void WriteBrakeValuesVI();
    void StartRecordingVI(bool wait);

    TUsbLink& usb_;
    TUsbTrafficLog log_;
    TUsbRequestLink requests_;
    TVeltrakHWVersion hardware_; // what an identified head unit of this class is
    bool versionCheck_ = true;
};

class TVeltrak : public TVeltrakVI {
public:
    explicit TVeltrak(std::unique_ptr<ISerialLine> line = nullptr, IProtocolClock* clock = nullptr,
                      TUsbLink* usb = nullptr);
    // Opens "VELTRAK 7" and identifies the head unit; false when it does not answer.
    bool ConnectV7();
};

} // namespace klt
