#pragma once
// The read dialog without its window: identifies the head unit, reads its status and downloads its
// memory, with a progress gauge, a remaining-time estimate and an abort button. Download() may run
// on a thread of its own: it then touches nothing but this model, its protocol object and its sink,
// and reports every change through OnChanged on that thread; Abort() may come from any thread.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "device/DownloadResult.h"
#include "flow/DatabaseSink.h"
#include "flow/HeadUnitSession.h"

namespace klt {

enum class TDownloadOutcome { Running, Done, Cancelled, Aborted };

// What the read dialog shows.
struct TReadDataView {
    std::string caption;
    int progress = 0;
    bool remainingVisible = true;
    std::string remaining;
};

class TKLTVtrkReadDataModel {
public:
    // Without a protocol object the real one is made (serial line, program's USB link). Questions
    // and messages go to `prompt`, which must answer on the thread Download() runs on.
    TKLTVtrkReadDataModel(TDownloadConfiguration configuration, bool readWholeMemory, std::string captionTemplate,
                          std::string remainingTemplate, IPrompt& prompt, std::unique_ptr<TVeltrak> veltrak = nullptr);

    // The first activation: the status, then the memory. True when the save dialog is to follow;
    // false after an abort or a failure (shown).
    bool Download();
    // The Abort button: the download stops at its next request or wait. Safe from any thread.
    void Abort() { sink_.RequestAbort(); }

    TDownloadOutcome Outcome() const { return outcome_; }
    const TReadDataView& View() const { return view_; }
    const std::string& Caption() const { return view_.caption; }
    int Progress() const { return view_.progress; }
    bool RemainingTimeVisible() const { return view_.remainingVisible; }
    const std::string& RemainingTime() const { return view_.remaining; }

    // Called after each change of what the dialog shows, on the thread the download runs on.
    std::function<void()> OnChanged;
    // The trainings of a generation VI or 7 head unit offered for download; the handler unticks
    // those not to be read. Without one all are read.
    std::function<void(std::vector<TSectionChoice>& choices)>& OnSelectSections() { return sink_.OnChoose; }

    const TDownloadConfiguration& Configuration() const { return configuration_; }
    TVeltrak& Veltrak() { return *veltrak_; }
    TVeltrakImage& Image() { return image_; }
    TDatabaseSink& Sink() { return sink_; }
    // What was saved so far, and why the memory must stay; the save dialog adds the trainings of
    // register head units.
    TDownloadResult& Downloaded() { return downloaded_; }

private:
    void ReadStatus();
    // How a download stopped by the user ends: cancelled for serial head units, aborted for USB.
    TDownloadOutcome StoppedOutcome() const;
    void Changed();

    TDownloadConfiguration configuration_;
    bool readWholeMemory_;
    std::string captionTemplate_;
    std::string remainingTemplate_;
    TDatabaseSink sink_;
    TVeltrakImage image_; // before the protocol object, which reports into it
    THeadUnitSession veltrak_;
    TDownloadResult downloaded_;
    TDownloadOutcome outcome_ = TDownloadOutcome::Running;
    TReadDataView view_;
};

} // namespace klt
