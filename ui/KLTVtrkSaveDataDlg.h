#pragma once
// The save dialog: what was read, the memory and battery of the head unit, the initials and
// storage interval of the next recording, and whether the head unit's memory is cleared.
#include <QDialog>
#include <string>
#include <vector>

#include "flow/SaveDataModel.h"
#include "ui/KLTVtrkReadDataDlg.h"

class QComboBox;
class QFrame;
class QLabel;
class QProgressBar;
class QTimer;

namespace klt {

class TKLTVtrkSaveDataDlg : public QDialog {
    Q_OBJECT

public:
    TKLTVtrkSaveDataDlg(TKLTVtrkReadDataModel& read, std::vector<std::string> knownInitials,
                        TOpenDownloadOptions openOptions, const QString& caption, QWidget* parent = nullptr);

    TKLTVtrkSaveDataModel& Model() { return model_; }

private:
    void ShowModel();
    void ShowFlashing();
    void Finish(bool closes);
    // Shift and Ctrl held while saving keep a backup of the memory image.
    static bool KeepImageRequested();

    TKLTVtrkSaveDataModel model_;
    TOpenDownloadOptions openOptions_;
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
