#pragma once
// Generation V head units: character telegrams paced byte by byte, the port search over speeds
// and parities, the status read with its defaults, settings, clock and the memory download.
#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "core/Exceptions.h"
#include "core/KLTDate.h"
#include "device/kltcomm.h"

namespace klt {

// Setting groups that could not be read or written, named in the summary box.
enum class TSettingGroup : uint8_t {
    SoftwareVersion,
    Status,
    Slope,
    WheelCircumference,
    Initials,
    ZeroOffset,
    StorageInterval,
    Trainingzones,
    ReedSwitch,
    OdoValues,
    CadenceDetectionThreshold,
    TelemetrieZyklusTime,
    TelemetrieIdRepeat,
    TelemetrieTelRepeat,
    ValueFormat,
    HorseMode,
    DisplayMode,
    ProductionDate,
    SerialNumber,
    PowerDownMode,
    WirelessHeartrate,
    WirelessSpeed,
    WirelessPowermeter,
    WirelessCommunication,
    AutomaticZeroOffset,
    HeartrateFilterMode,
    ShowActualTrainingZone,
    Telemetry
};
using TSettingGroups = uint32_t;
inline constexpr TSettingGroups GroupBit(TSettingGroup group) {
    return 1u << static_cast<unsigned>(group);
}
std::string SettingGroupName(TSettingGroup group);
// The names of the groups in the set, joined by ",".
std::string SettingGroupNames(TSettingGroups groups);

inline constexpr std::string_view kReadErrorHeading =
    "Read error while reading from Veltrak.\r\nThe following settings could not be read and are set to there "
    "default value:\r\n";
inline constexpr std::string_view kWriteErrorHeading =
    "Error while writing data to the Veltrak.\r\nThe following settings could not be stored :\r\n";
// The acknowledgement failure of a telegram, named by its command character or request kind.
std::string NotAcknowledgedText(const std::string& telegram);
inline std::string NotAcknowledgedText(char command) {
    return NotAcknowledgedText(std::string(1, command));
}

// The slope as the head unit keeps it and as `SteigungUsed` (x 30.558).
int16_t SteigungFromSlopeWord(uint16_t word);
uint16_t SlopeWordFromSteigung(int16_t steigung);

// Firmware thresholds of generation V.
inline constexpr uint16_t kFirstFramedFirmware = 0x430A;
inline constexpr uint16_t kFirstUnknownFirmware = 0x7931;
inline constexpr uint16_t kFirstNewerDownloadFirmware = 0x3328;
inline constexpr uint16_t kFirstThreeEmptyBlocksFirmware = 0x6411;

// A head-unit clock as date and time of day, before it is known to be possible.
struct TClockReading {
    TCivilDate date;
    int hour = 0, minute = 0, second = 0;
};
// 1 January 2004, 00:00: what an unreadable or impossible head-unit clock is taken as.
inline constexpr TCivilDate kClockFallbackDate{2004, 1, 1};
inline constexpr std::string_view kIncorrectDateText =
    "Incorrect Date from Veltrak received\r\nDate set to 01.01.2004";

// A data byte as two characters, high nibble + 0x30 then low nibble + 0x30.
std::array<uint8_t, 2> NibbleCharacters(uint8_t byte);
uint8_t FoldNibbleCharacters(uint8_t high, uint8_t low);
// The telegram as it goes out: STX, command, data as characters, ETX; or command and raw data.
std::vector<uint8_t> FrameTelegramV(char command, std::span<const uint8_t> data, bool framed);
// Whether a downloaded block holds a run of four or more 0xFF bytes, the mark of a garbled transfer.
bool HasFFRun(std::span<const uint8_t> block);

class TVeltrakV : public TVeltrakOld {
public:
    static constexpr size_t kBlockSize = 64;
    using TProgress = std::function<void(int percent)>;

    explicit TVeltrakV(std::unique_ptr<ISerialLine> line = nullptr, IProtocolClock* clock = nullptr);

    // One command with its retries; the reply data are in Reply(). False when every try failed;
    // EVeltrakTimeout from the seventh failure in a row.
    bool SendTelegramV(char command, std::span<const uint8_t> data, size_t replyLength);
    bool SendTelegramV(char command, std::initializer_list<uint8_t> data, size_t replyLength) {
        return SendTelegramV(command, std::span<const uint8_t>(data.begin(), data.size()), replyLength);
    }
    const std::vector<uint8_t>& Reply() const { return reply_; }

    // Looks for the head unit on the configured port (or every listed one); EVeltrakVersion.
    void FindHeadUnitV();

    void SetModeByte(uint8_t mode) override;
    void WriteClock() override;
    void ReadClock() override;
    void Disconnect() override;
    void ReadLiveValues() override;
    void ReadStatus() override;
    void WriteSettings(const TVeltrakStatus& settings) override;
    void WriteZones() override;
    void ReadBrakeState() override;
    void ReadBrakeCalibration() override;
    void WriteBrakeCalibration() override;
    void StartRecording() override;

    // Reads the recording memory into 64-byte blocks; progress in percent after each block.
    void DownloadMemoryV(const TProgress& progress, bool newerCommand);
    const std::vector<uint8_t>& Memory() const { return memory_; }
    // The blocks still garbled after their last attempt.
    const std::vector<size_t>& GarbledBlocks() const { return garbled_; }
    // The blocks the head unit said it would send; more than BlockCount() when it went silent.
    size_t AnnouncedBlocks() const { return announcedBlocks_; }
    size_t BlockCount() const { return memory_.size() / kBlockSize; }
    std::span<const uint8_t, kBlockSize> Block(size_t index) const {
        return std::span<const uint8_t, kBlockSize>(memory_.data() + index * kBlockSize, kBlockSize);
    }

    // The groups the last status read or settings write could not handle.
    TSettingGroups FailedSettings() const { return failed_; }

protected:
    void ClearFailedSettings() { failed_ = 0; }
    void MarkFailed(TSettingGroup group) { failed_ |= GroupBit(group); }
    // One box naming every failed group under the heading; nothing when all went well.
    void ShowFailedSettings(std::string_view heading);
    // The warning that the firmware is newer than this program knows; true when the user chose to
    // stop there (OK).
    bool WarnNewerFirmware();
    Exception NewerFirmwareError();

    // Takes a clock reading into the status; false, leaving the status alone, when it names no
    // possible moment the status can hold.
    bool SetClock(const TClockReading& reading);
    void SetFallbackClock();
    // Tells the user and takes the fallback clock.
    void ReplaceIncorrectDate();
    // The status clock as it goes to the head unit; the fallback date when it holds none.
    TClockReading ClockToWrite();

private:
    bool IsGenerationV() { return Status().HWVersion() == TVeltrakHWVersion::HWVersionVT5x128; }
    bool Framed() { return Status().SWVersion() >= kFirstFramedFirmware || Status().SWVersion() == 0; }
    // The generation V operation on a generation V head unit, else the register one, falling back
    // to generation V when the head unit turned out to be one meanwhile.
    void ByGeneration(const std::function<void()>& generationV, const std::function<void()>& registers);

    // One try of a telegram; throws on any failure.
    void TryTelegramV(char command, std::span<const uint8_t> data, size_t replyLength);
    bool ReadByteV(uint8_t& byte);
    void ReadAcknowledgement(char command);
    void ReadReplyData(char command, size_t length);
    void ReadVersionReply();
    void ResetLineV();
    void DrainLine();

    bool ProbeHeadUnitV(TVeltrakComPort& port);
    bool TryVersionQuery();

    // Reads one setting; on failure its default holds and its group is marked.
    bool ReadSetting(char command, std::initializer_list<uint8_t> request, size_t replyLength,
                     TSettingGroup group);
    void ReadSettingsV();
    void ReadClockV();
    void WriteClockV();
    void CorrectOdometerYear();
    void WriteSetting(char command, std::span<const uint8_t> data, size_t replyLength, TSettingGroup group);
    void WriteSettingsV(const TVeltrakStatus& settings);
    void StartRecordingV();

    void DownloadOnce(const TProgress& progress, bool newerCommand);
    void StartDownload(char command);
    size_t ReadBlock(uint8_t* block);

    std::vector<uint8_t> reply_;
    std::vector<uint8_t> memory_;
    std::vector<size_t> garbled_;
    size_t announcedBlocks_ = 0;
    TSettingGroups failed_ = 0;
    bool powerDownSuspended_ = false; // switched off for the download; the new recording restores it
};

} // namespace klt
