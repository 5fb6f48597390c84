// Connecting generation VI and 7 head units, their requests, the reset through the USB chip, the
// busy poll, new recordings, the odometer reset and the traffic log.
#include "device/usb/VeltrakVI.h"

#include <algorithm>
#include <array>

#include "core/Exceptions.h"
#include "core/KLTDate.h"
#include "core/Prompt.h"
#include "device/VeltrakExceptions.h"
#include "device/VeltrakImage.h"
#include "device/transport/UsbLink.h"
#include "device/usb/RequestKinds.h"
#include "device/usb/SectionDownload.h"

namespace klt {
namespace {

// CBUS bit-bang: the high nibble makes the pins outputs, the low one is their level.
constexpr uint8_t kCbusBitBangMode = 0x20;
constexpr std::array<uint8_t, 6> kResetSequence = {0x30, 0x31, 0x30, 0x30, 0x31, 0x30};

std::string ResetQuestion(const std::string& description) {
    const std::string name = description == kVeltrak7Description ? "Veltrak 7" : "Veltrak VI";
    return "There are problems to communicate with your " + name +
           "\r\nPlease press OK to reset your Veltrak\r\nPress Cancel to quit";
}

} // namespace

TVeltrakVI::TVeltrakVI(std::unique_ptr<ISerialLine> line, IProtocolClock* clock, TUsbLink* usb)
    : TVeltrakVI(std::move(line), clock, usb, TVeltrakHWVersion::HWVersionVT6x128) {}

TVeltrakVI::TVeltrakVI(std::unique_ptr<ISerialLine> line, IProtocolClock* clock, TUsbLink* usb,
                       TVeltrakHWVersion hardware)
    : TVeltrakV(std::move(line), clock),
      usb_(usb != nullptr ? *usb : UsbLink()),
      requests_(usb_.Driver(), Clock(), &log_, [this] { ProcessIdle(); },
                [this] { return UserPrompt().Ask("Warning", kBusyText, TPromptButtons::OkCancel) == TPromptAnswer::Ok; }),
      hardware_(hardware) {}

TVeltrakVI::~TVeltrakVI() = default;

TVeltrak::TVeltrak(std::unique_ptr<ISerialLine> line, IProtocolClock* clock, TUsbLink* usb)
    : TVeltrakVI(std::move(line), clock, usb, TVeltrakHWVersion::HWVersionVT7x128) {}

void TVeltrakVI::ConnectVI() {
    if (!Connect(std::string(kVeltrak6Description), false)) {
        throw EVeltrakVersion::NoVeltrakVI();
    }
}

bool TVeltrak::ConnectV7() {
    return Connect(std::string(kVeltrak7Description), true);
}

bool TVeltrakVI::Connect(const std::string& description, bool cycleFirst) {
    usb_.SetErrorDisplay(false); // probing is silent
    hardware_ = description == kVeltrak7Description ? TVeltrakHWVersion::HWVersionVT7x128
                                                    : TVeltrakHWVersion::HWVersionVT6x128;
    const int resetOfferedAt = cycleFirst ? 2 : 1;
    bool opened = false;
    int failures = 0;
    for (int attempt = 0; attempt < kConnectAttempts; ++attempt) {
        usb_.CloseHeadUnitLink();
        if (usb_.OpenHeadUnitLink(description) != FT_OK && usb_.OpenHeadUnitLink(description) != FT_OK) {
            continue;
        }
        opened = true;
        Status().SetHWVersion(hardware_);
        Status().SetSWVersion(0);
        if (ReadFirmwareVersion()) {
            return true;
        }
        ++failures;
        if (cycleFirst && failures == 1) {
            usb_.CyclePort();
            Pause(kCycleWaitMs);
        } else if (failures == resetOfferedAt && !OfferReset(description)) {
            break;
        }
    }
    if (!opened) {
        usb_.CloseHeadUnitLink();
    }
    return false;
}

bool TVeltrakVI::ReadFirmwareVersion() {
    try {
        if (Request(TRequestKindNumber::Identification) && Payload().size() >= 2) {
            Status().SetSWVersion(static_cast<uint16_t>(Payload()[0] << 8 | Payload()[1]));
            return true;
        }
    } catch (const EVeltrakAbort&) {
        throw;
    } catch (const std::exception&) {
        // a garbled or missing answer is a failed identification like silence
    }
    return false;
}

bool TVeltrakVI::OfferReset(const std::string& description) {
    if (UserPrompt().Ask("Warning", ResetQuestion(description), TPromptButtons::OkCancel) != TPromptAnswer::Ok) {
        return false;
    }
    try {
        ResetHeadUnit();
    } catch (const EVeltrakAbort&) {
        throw;
    } catch (const std::exception&) {
        // the next attempt tells whether the reset helped
    }
    return true;
}

void TVeltrakVI::ResetHeadUnit() {
    for (size_t step = 0; step < kResetSequence.size(); ++step) {
        usb_.SetBitMode(kResetSequence[step], kCbusBitBangMode);
        Pause(step + 1 < kResetSequence.size() ? kResetStepMs : kResetSettleMs);
    }
    for (int poll = 0; poll < kResetBusyPolls && IsBusy(); ++poll) {
        Pause(kBusyPollMs);
    }
    const TDateTimeMark now = TDateTimeMark::Now();
    Status().ClockDay = static_cast<uint16_t>(now.days);
    Status().ClockTime = now.time;
    WriteClockVI();
}

bool TVeltrakVI::IsBusy() {
    if (!UsesRequests()) {
        return false;
    }
    const TUsbRequestKind& live = RequestKind(TRequestKindNumber::LiveValues).request;
    std::vector<uint8_t> body;
    try {
        if (!requests_.Exchange(BuildUsbRequest(live.requestClass, live.code, {}), body)) {
            return true;
        }
    } catch (const std::exception&) {
        return true; // no valid reply
    }
    return (body[0] == 0xFF && body[1] == 5) || (body[0] == 4 && body[1] == 7);
}

void TVeltrakVI::StartRecording() {
    StartRecording(false);
}

void TVeltrakVI::StartRecording(bool wait) {
    if (UsesRequests()) {
        StartRecordingVI(wait);
    } else {
        TVeltrakV::StartRecording();
    }
}

void TVeltrakVI::StartRecordingVI(bool wait) {
    RequiredRequest(TRequestKindNumber::StorageInterval,
                    EncodeSetting(TRequestKindNumber::StorageInterval, Status()));
    RequiredRequest(TRequestKindNumber::StartRecording);
    if (!wait) {
        return;
    }
    const uint32_t start = Clock().Milliseconds();
    while (IsBusy()) {
        // a head unit that went away reads as busy for ever
        if (Clock().Since(start) >= static_cast<uint32_t>(kRecordingReadyTimeoutMs)) {
            throw EVeltrakTimeout("USB");
        }
        Pause(kBusyPollMs);
    }
}

void TVeltrakVI::ResetOdometer() {
    TVeltrakStatus& s = Status();
    s.SetJahresstrecke(0);
    s.GesamtBetrieb = 0;
    s.GesamtEnergie = 0;
    if (!UsesRequests()) {
        return;
    }
    ClearFailedSettings();
    const std::array<uint8_t, 10> zeros{};
    if (!SettingRequest(TRequestKindNumber::Odometer, zeros) &&
        !SettingRequest(TRequestKindNumber::Odometer, zeros)) {
        MarkFailed(TSettingGroup::OdoValues);
        ShowFailedSettings(kWriteErrorHeading);
    }
}

TDownloadResult TVeltrakVI::DownloadSections(TVeltrakImage& image, IDownloadSink& sink,
                                             const TSectionDownloadSettings& settings) {
    return DownloadTrainingSections(*this, image, sink, settings);
}

void TVeltrakVI::OpenTrafficLog(const std::string& databaseDir) {
    const TDateTimeMark now = TDateTimeMark::Now();
    const TVeltrakStatus& s = Status();
    log_.Open(databaseDir, "USB traffic of Veltrak " + HWVersionName(s.HWVersion()) + ", firmware " +
                               s.SWVersionText() + ", from " + FormatIsoDate(static_cast<uint16_t>(now.days)) +
                               " " + FormatTimeOfDay(now.time, false) + "\n");
}

bool TVeltrakVI::Request(int kind, std::span<const uint8_t> data) {
    return requests_.SendRequest(RequestKind(kind).request, data);
}

const std::vector<uint8_t>& TVeltrakVI::Payload() const {
    return requests_.Payload();
}

bool TVeltrakVI::FullRequest(int kind, std::span<const uint8_t> data) {
    // a write is acknowledged by class and code alone
    return Request(kind, data) && (!data.empty() || Payload().size() >= RequestKind(kind).size);
}

bool TVeltrakVI::SettingRequest(int kind, std::span<const uint8_t> data) {
    try {
        return FullRequest(kind, data);
    } catch (const EVeltrakAbort&) {
        throw;
    } catch (const std::exception&) {
        if (requests_.ConsecutiveFailures() >= TUsbRequestLink::kFailuresBeforeGivingUp) {
            throw;
        }
        return false;
    }
}

void TVeltrakVI::RequiredRequest(int kind, std::span<const uint8_t> data) {
    if (!FullRequest(kind, data)) {
        throw Exception(NotAcknowledgedText(std::to_string(kind)));
    }
}

void TVeltrakVI::CheckFirmwareVersion() {
    if (versionCheck_ && Status().SWVersion() >= kFirstUnknownFirmwareVI && WarnNewerFirmware()) {
        throw NewerFirmwareError();
    }
}

void TVeltrakVI::Pause(int milliseconds) {
    const uint32_t start = Clock().Milliseconds();
    for (uint32_t passed = 0; passed < static_cast<uint32_t>(milliseconds); passed = Clock().Since(start)) {
        ProcessIdle();
        Clock().Sleep(static_cast<int>(std::min<uint32_t>(10, static_cast<uint32_t>(milliseconds) - passed)));
    }
}

} // namespace klt
