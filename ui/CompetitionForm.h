#pragma once
// The competition window: two riders race over 20 km for one minute, shown large for the crowd.
// It reads the riders through the feed the live window gives it and tells it when it closes.
#include <QWidget>

#include "online/CompetitionRaceState.h"

class QLabel;
class QPushButton;
class QTimer;

namespace klt {

class TCompetitionForm : public QWidget {
    Q_OBJECT

public:
    TCompetitionForm(const ICompetitionFeed& feed, QWidget* parent = nullptr);

    const TCompetitionRaceState& Race() const { return race_; }
    QPushButton& StartButton() const { return *start_; }
    QPushButton& ExitButton() const { return *exit_; }
    QLabel& CountDownLabel() const { return *countDown_; }
    QLabel& PowerLabel(int rider) const { return *power_[rider == 2 ? 1 : 0]; }
    QLabel& SpeedLabel(int rider) const { return *speed_[rider == 2 ? 1 : 0]; }
    QWidget& Track() const { return *track_; }
    bool TimersActive() const;

    // What the one-second race timer and the 500 ms display timer run.
    void RaceTick();
    void DisplayTick();

signals:
    void Closed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* CreateRiderPanel(int rider);
    void PressStart();
    void ShowRace();

    TCompetitionRaceState race_;
    QPushButton* start_ = nullptr;
    QPushButton* exit_ = nullptr;
    QLabel* countDown_ = nullptr;
    QLabel* power_[2] = {};
    QLabel* speed_[2] = {};
    QWidget* track_ = nullptr;
    QTimer* raceTimer_ = nullptr;
    QTimer* displayTimer_ = nullptr;
};

} // namespace klt
