#pragma once
// The read dialog without its window: identifies the head unit, reads its status and downloads its
// memory by generation, with a progress gauge, a remaining-time estimate and an abort button.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "device/DownloadResult.h"
#include "flow/HeadUnitSession.h"

namespace klt {

enum class TDownloadOutcome { Running, Done, Cancelled, Aborted };

class TKLTVtrkReadDataModel {
public:
    // With the read-whole-memory flag a register head unit is read this far, whatever it reports.
    static constexpr int kWholeMemoryRecords = 26038 + 7;
    static constexpr int kRecordsPerEstimate = 100;

    // Without a protocol object the real one is made (serial line, program's USB link).
    TKLTVtrkReadDataModel(TDownloadConfiguration configuration, bool readWholeMemory, std::string captionTemplate,
                          std::string remainingTemplate, std::unique_ptr<TVeltrak> veltrak = nullptr);

    // The first activation: the status, then the memory. True when the save dialog is to follow;
    // false after an abort or a failure (shown).
    bool Download();
    // The Abort button. Takes effect at the next idle call of the protocol, never across the
    // window system's event handling.
    void Abort();

    TDownloadOutcome Outcome() const { return outcome_; }
    const std::string& Caption() const { return caption_; }
    int Progress() const { return progress_; }
    bool RemainingTimeVisible() const { return remainingVisible_; }
    const std::string& RemainingTime() const { return remaining_; }

    // Called after each change of what the dialog shows.
    std::function<void()> OnChanged;
    // Lets the window system handle pending events while the protocol waits.
    void SetEventPump(std::function<void()> pump) { veltrak_.SetEventPump(std::move(pump)); }
    // The trainings of a generation VI or 7 head unit offered for download; the handler unticks
    // those not to be read. Without one all are read.
    std::function<void(std::vector<TSectionChoice>& choices)> OnSelectSections;

    const TDownloadConfiguration& Configuration() const { return configuration_; }
    TVeltrak& Veltrak() { return *veltrak_; }
    TVeltrakImage& Image() { return image_; }
    // The trainings written so far; the save dialog adds those of register head units.
    TDownloadResult& Downloaded() { return downloaded_; }

private:
    void ReadStatus();
    void DownloadRegisterMemory();
    void DownloadGenerationV();
    void DownloadUsbSections();
    void ShowProgress(int percent);
    void EstimateRemainingTime(uint32_t lapMs, int recordsLeft);
    void Changed();

    TDownloadConfiguration configuration_;
    bool readWholeMemory_;
    std::string captionTemplate_;
    std::string remainingTemplate_;
    TVeltrakImage image_; // before the protocol object, which reports into it
    THeadUnitSession veltrak_;
    TDownloadResult downloaded_;
    TDownloadOutcome outcome_ = TDownloadOutcome::Running;
    bool abortRequested_ = false;
    std::string caption_;
    int progress_ = 0;
    bool remainingVisible_ = true;
    std::string remaining_;
};

} // namespace klt
