#pragma once
// Date, start time, comment, initials and calibration of a training, with what it holds.
#include <QDialog>

#include "app/FilePropertyModel.h"

class QDateEdit;
class QLineEdit;
class QTimeEdit;

namespace klt {

class TKLTFile;
class TPREditMesswert;

class TKLTFilePropertyDlg : public QDialog {
    Q_OBJECT

public:
    // The training must be loaded.
    explicit TKLTFilePropertyDlg(TKLTFile& file, QWidget* parent = nullptr);

    // Whether OK changed the training.
    bool Changed() const { return changed_; }

    QDateEdit& DateEdit() const { return *date_; }
    QTimeEdit& StartTimeEdit() const { return *startTime_; }
    QLineEdit& CommentEdit() const { return *comment_; }
    QLineEdit& InitialsEdit() const { return *initials_; }
    TPREditMesswert& ZeroOffsetEdit() const { return *zeroOffset_; }
    TPREditMesswert& SlopeEdit() const { return *slope_; }
    TPREditMesswert& AltitudeEdit() const { return *altitude_; }
    TPREditMesswert& CircumferenceEdit() const { return *circumference_; }

    void accept() override;

private:
    QWidget* CreateTraining();
    QWidget* CreateCalibration();
    QWidget* CreateSummary();
    TFileProperties Wanted();

    TFilePropertyModel model_;
    QDateEdit* date_ = nullptr;
    QTimeEdit* startTime_ = nullptr;
    QLineEdit* comment_ = nullptr;
    QLineEdit* initials_ = nullptr;
    TPREditMesswert* zeroOffset_ = nullptr;
    TPREditMesswert* slope_ = nullptr;
    TPREditMesswert* altitude_ = nullptr;
    TPREditMesswert* circumference_ = nullptr;
    bool changed_ = false;
};

} // namespace klt
