#pragma once
// The read dialog: identifies the head unit and downloads its memory with a progress gauge and an
// abort button, then hands over to the save dialog. The download runs off the window's thread.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "flow/ReadDataModel.h"
#include "ui/HeadUnitDialog.h"
#include "ui/HeadUnitWork.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace klt {

// Opens the options dialog and returns the configuration as it is afterwards.
using TOpenDownloadOptions = std::function<TDownloadConfiguration()>;

class TKLTVtrkReadDataDlg : public THeadUnitDialog {
    Q_OBJECT

public:
    TKLTVtrkReadDataDlg(TDownloadConfiguration configuration, bool readWholeMemory,
                        std::vector<std::string> knownInitials, TOpenDownloadOptions openOptions,
                        std::unique_ptr<TVeltrak> veltrak = nullptr, QWidget* parent = nullptr);
    ~TKLTVtrkReadDataDlg() override;

    TKLTVtrkReadDataModel& Model() { return model_; }

protected:
    void showEvent(QShowEvent* event) override;
    void StopTalking() override { model_.Abort(); }

private:
    void Download();
    void Downloaded();
    void ShowView(const TReadDataView& view);

    THeadUnitWork* work_; // before the model, which asks through it
    TKLTVtrkReadDataModel model_;
    std::vector<std::string> knownInitials_;
    TOpenDownloadOptions openOptions_;
    bool activated_ = false;
    bool saveFollows_ = false;
    QProgressBar* progress_;
    QLabel* remaining_;
    QPushButton* abort_;
};

} // namespace klt
