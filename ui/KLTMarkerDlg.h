#pragma once
// A new marker from the selection, or an existing marker: its name, its range by time or by
// sample, and its values for the range as it stands.
#include <QDialog>

#include "app/MarkerEditModel.h"

class QComboBox;
class QLabel;
class QSpinBox;
class QTimeEdit;

namespace klt {

class TKLTFile;
class TPRLabelMesswert;

class TKLTMarkerDlg : public QDialog {
    Q_OBJECT

public:
    // The training must be loaded; see TMarkerEditModel for index and enclosing.
    TKLTMarkerDlg(TKLTFile& file, int index, int enclosing, QWidget* parent = nullptr);

    TMarkerEditModel& Model() { return model_; }
    QComboBox& NameBox() const { return *name_; }
    QTimeEdit& FromTimeEdit() const { return *fromTime_; }
    QTimeEdit& ToTimeEdit() const { return *toTime_; }
    QSpinBox& FromSampleEdit() const { return *fromSample_; }
    QSpinBox& ToSampleEdit() const { return *toSample_; }

    void accept() override;

private:
    QWidget* CreateRange();
    QWidget* CreateValues();
    void ShowRange();

    TMarkerEditModel model_;
    QComboBox* name_ = nullptr;
    QTimeEdit* fromTime_ = nullptr;
    QTimeEdit* toTime_ = nullptr;
    QSpinBox* fromSample_ = nullptr;
    QSpinBox* toSample_ = nullptr;
    QLabel* duration_ = nullptr;
    std::vector<std::pair<TPRLabelMesswert*, int64_t (*)(const TKLTMarker&)>> values_;
};

} // namespace klt
