#pragma once
// The head-unit state dialog: live values and clock, refreshed at each full second of the head unit.
// Each read runs off the window's thread.
#include <memory>

#include "flow/StateModel.h"
#include "ui/HeadUnitDialog.h"
#include "ui/HeadUnitWork.h"

class QFormLayout;
class QLabel;
class QTimer;

namespace klt {

class TKLTVtrkStateDlg : public THeadUnitDialog {
    Q_OBJECT

public:
    explicit TKLTVtrkStateDlg(TDownloadConfiguration configuration, std::unique_ptr<TVeltrak> veltrak = nullptr,
                              QWidget* parent = nullptr);
    ~TKLTVtrkStateDlg() override;

    TKLTVtrkStateModel& Model() { return model_; }

protected:
    void StopTalking() override { model_.Close(); }

private:
    void Tick();
    void ShowModel();
    QLabel* AddValue(QFormLayout* form, const char* name, const QString& caption);

    THeadUnitWork* work_; // before the model, which asks through it
    TKLTVtrkStateModel model_;
    std::optional<int> next_; // of the last read: when to read again, or none to close
    bool closed_ = false;
    QTimer* timer_;
    QLabel *power_, *torque_, *cadence_, *heartRate_, *speed_, *temperature_, *temperatureCaption_;
    QLabel *date_, *time_, *firmware_, *hardware_;
};

} // namespace klt
