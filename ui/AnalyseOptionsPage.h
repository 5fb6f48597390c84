#pragma once
// The settings of the heart-rate/power analysis or of the Conconi analysis: histograms,
// averaging, the delays tried (in seconds) and the two axes, with "Defaults".
#include <QWidget>

class QCheckBox;
class QComboBox;
class QPushButton;
class QSpinBox;

namespace klt {

class TKLTAnalyseData;
class TPRGroupboxMesswertSkala;

class TAnalyseOptionsPage : public QWidget {
    Q_OBJECT

public:
    // Edits `analyse` directly (not owned).
    explicit TAnalyseOptionsPage(TKLTAnalyseData& analyse, QWidget* parent = nullptr);

    QCheckBox& HistogramBox() const { return *histogram_; }
    QComboBox& AveragingBox() const { return *averaging_; }
    QSpinBox& MinDelayEdit() const { return *minDelay_; }
    QSpinBox& DelayStepEdit() const { return *delayStep_; }
    QSpinBox& MaxDelayEdit() const { return *maxDelay_; }
    QPushButton& DefaultsButton() const { return *defaults_; }

private:
    // Shows the settings as they are now.
    void Load();
    QSpinBox* DelayEdit(int32_t& hundredths);

    TKLTAnalyseData& data_;
    QCheckBox* histogram_;
    QComboBox* averaging_;
    QSpinBox* minDelay_;
    QSpinBox* delayStep_;
    QSpinBox* maxDelay_;
    TPRGroupboxMesswertSkala* power_;
    TPRGroupboxMesswertSkala* heartRate_;
    QPushButton* defaults_;
};

} // namespace klt
