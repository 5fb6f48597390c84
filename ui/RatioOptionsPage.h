#pragma once
// The "Distribution" page of the options dialog: per channel whether it is shown, its range and
// class width, the smoothing and the grid, over TRatioOptionsModel.
#include <QWidget>
#include <array>

#include "app/RatioOptionsModel.h"

class QCheckBox;
class QSpinBox;

namespace klt {

class TRatioOptionsPage : public QWidget {
    Q_OBJECT

public:
    // Edits `model` (not owned).
    TRatioOptionsPage(TRatioOptionsModel& model, QWidget* parent = nullptr);

    struct TChannelFields {
        QCheckBox* enabled = nullptr;
        QSpinBox* minimum = nullptr;
        QSpinBox* maximum = nullptr;
        QSpinBox* classWidth = nullptr;
    };
    const TChannelFields& Fields(TRatioChannel channel) const { return fields_[static_cast<size_t>(channel)]; }
    QSpinBox& SmootingEdit() const { return *smooting_; }
    QCheckBox& GridBox() const { return *grid_; }
    // Puts the focus on the field of the model's problem.
    void FocusProblem();

private:
    TRatioOptionsModel& model_;
    std::array<TChannelFields, kRatioChannels> fields_;
    QSpinBox* smooting_ = nullptr;
    QCheckBox* grid_ = nullptr;
};

} // namespace klt
