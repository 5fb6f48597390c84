#pragma once
// The save dialog: what was read, the memory and battery of the head unit, the initials and
// storage interval of the next recording, and whether the head unit's memory is cleared.
#include <functional>
#include <string>
#include <vector>

#include "flow/SaveDataModel.h"
#include "ui/HeadUnitDialog.h"
#include "ui/HeadUnitWork.h"
#include "ui/KLTVtrkReadDataDlg.h"

class QComboBox;
class QFrame;
class QLabel;
class QProgressBar;
class QTimer;

namespace klt {

// Its buttons save and talk to the head unit on the read dialog's work, off the window's thread.
class TKLTVtrkSaveDataDlg : public THeadUnitDialog {
    Q_OBJECT

public:
    TKLTVtrkSaveDataDlg(TKLTVtrkReadDataModel& read, THeadUnitWork& work, std::vector<std::string> knownInitials,
                        TOpenDownloadOptions openOptions, const QString& caption, QWidget* parent = nullptr);
    ~TKLTVtrkSaveDataDlg() override;

    TKLTVtrkSaveDataModel& Model() { return model_; }

protected:
    void StopTalking() override {} // saving and clearing run to their end

private:
    void ShowModel();
    void ShowFlashing();
    // Runs a button's action on the work; the dialog closes when it says so.
    void Act(std::function<bool()> action);
    // Shift and Ctrl held while saving keep a backup of the memory image.
    static bool KeepImageRequested();

    THeadUnitWork& work_;
    TKLTVtrkSaveDataModel model_;
    TOpenDownloadOptions openOptions_;
    bool closes_ = false;
    QWidget* buttons_;
    QLabel* fileCount_;
    QLabel* totalTime_;
    QLabel* memoryCaption_;
    QProgressBar* memory_;
    QLabel* timeLeftCaption_;
    QLabel* timeLeft_;
    QLabel* battery_;
    QFrame* batteryShape_;
    QComboBox* interval_;
    QComboBox* initials_;
    QTimer* flash_;
};

} // namespace klt
