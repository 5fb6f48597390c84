#pragma once
// The save dialog without its window: what was read, the memory and battery state, the initials and
// storage interval of the next recording, and whether the head unit's memory is cleared.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "device/DownloadResult.h"
#include "flow/HeadUnitSession.h"
#include "flow/SaveDataTexts.h"

namespace klt {

inline constexpr std::string_view kDeleteAllQuestion =
    "Do you really want to delete all data of Veltrak? Warning: Data will be lost!";

class TKLTVtrkSaveDataModel {
public:
    // The memory of generation VI and 7 head units in bytes, and the bytes one sample takes there.
    static constexpr int32_t kUsbMemoryBytes = 0x68000;
    static constexpr int32_t kUsbSampleBytes = 16;
    static constexpr int kAlertPercent = 97;

    // Register head units: the image is split into trainings now. `downloaded` is the read dialog's
    // result; the trainings saved here through `sink` are added to it.
    TKLTVtrkSaveDataModel(TVeltrakImage& image, TVeltrak& veltrak, TDownloadResult& downloaded, IDownloadSink& sink,
                          TDownloadConfiguration configuration, std::vector<std::string> knownInitials);

    // --- What was read ---
    int TrainingFileCount() const { return fileCount_; }
    std::string TotalTime() const;

    // --- Memory and battery (generation VI and 7 only) ---
    bool MemoryShown() const { return usbHeadUnit_; }
    // The bytes the head unit's memory holds, as its recordings announced them.
    int32_t MemoryUsed() const { return memoryUsed_; }
    std::string TimeLeft() const; // "12.5 h"; "0 h" when the memory is full
    bool MemoryAlert() const { return usbHeadUnit_ && int64_t{memoryUsed_} * 100 > int64_t{kUsbMemoryBytes} * kAlertPercent; }
    std::string Battery() const { return BatteryText(batteryRemaining_); }
    bool BatteryFlashing() const { return usbHeadUnit_ && BatteryFlashes(batteryRemaining_); }
    // The flashing phase, advanced by the dialog's timer: memory gauge and time red or black, the
    // battery symbol narrow and red or wide and green.
    void Tick() { flashPhase_ = !flashPhase_; }
    bool FlashPhase() const { return flashPhase_; }

    // --- Next recording ---
    const std::vector<TStorageInterval>& Intervals() const { return intervals_; }
    int SelectedInterval() const { return selectedInterval_; }
    void SelectInterval(int index);
    const std::vector<std::string>& InitialsList() const { return knownInitials_; }
    const std::string& Initials() const { return initials_; }
    void SetInitials(const std::string& initials) { initials_ = initials; }
    // Initials that no training folder has yet: the box turns red.
    bool InitialsUnknown() const;

    // --- Buttons; each returns whether the dialog closes ---
    // "Delete data from Veltrak": saves (register head units) and starts a new recording, which
    // clears the head unit, but only when every training read was saved; otherwise says why and
    // leaves the head unit as it is. `keepImage` (Shift and Ctrl held) keeps a backup of the image.
    bool SaveAndClear(bool keepImage);
    // "Keep data in Veltrak": saves (register head units); nothing goes to the head unit.
    bool SaveAndKeep(bool keepImage);
    // Delete only, after the warning question; nothing is saved.
    bool ClearOnly();
    // After "&Options...": the training limits and what is shown, anew.
    void Refresh(const TDownloadConfiguration& configuration);

    // Whether the head unit was told to start a new recording.
    bool Cleared() const { return cleared_; }

private:
    bool RegisterHeadUnit() const { return configuration_.headUnitType < 5; }
    void ParseImage();
    void Summarise();
    void SaveTrainingsOnce(bool keepImage);
    bool StartNewRecording();

    TVeltrakImage& image_;
    TVeltrak& veltrak_;
    TDownloadResult& downloaded_;
    IDownloadSink& sink_;
    TDownloadConfiguration configuration_;
    std::vector<std::string> knownInitials_;
    bool usbHeadUnit_;
    std::vector<TStorageInterval> intervals_;
    int selectedInterval_ = -1;
    std::string initials_;
    int fileCount_ = 0;
    int64_t totalTime_ = 0; // hundredths
    int32_t memoryUsed_ = 0;
    int32_t batteryRemaining_;
    bool flashPhase_ = false;
    bool saved_ = false;
    bool cleared_ = false;
};

// The training files' count, samples and recorded time, read back from their headers.
struct TTrainingFilesSummary {
    int files = 0;
    int64_t samples = 0;
    int64_t hundredths = 0;
};
TTrainingFilesSummary SummariseTrainingFiles(const std::vector<std::string>& files);

} // namespace klt
