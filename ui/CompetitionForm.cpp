#include "ui/CompetitionForm.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>
#include <tuple>

#include "ui/CompetitionTrack.h"
#include "ui/canvas/QtCanvas.h"

namespace klt {
namespace {

constexpr int kRaceTickMs = 1000;
constexpr int kDisplayTickMs = 500;
constexpr int kFinalSeconds = 10;

QString ColourName(TRgb colour) {
    return QColor(colour.red, colour.green, colour.blue).name();
}

QLabel* Text(const QString& text, int points, bool bold, Qt::Alignment alignment = Qt::AlignCenter) {
    auto* label = new QLabel(text);
    QFont font = label->font();
    font.setPointSize(points);
    font.setBold(bold);
    label->setFont(font);
    label->setAlignment(alignment);
    return label;
}

// The track, painted through the canvas like every diagram.
class TTrackBox : public QWidget {
public:
    explicit TTrackBox(const TCompetitionRaceState& race) : race_(race) {
        setMinimumHeight(180);
        QFont font = this->font();
        font.setPointSize(14);
        font.setBold(true);
        setFont(font);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setFont(font());
        TQtCanvas canvas(painter);
        canvas.Prepare({0, 0, 0}, PaletteColor, 0, width(), height());
        DrawCompetitionTrack(canvas, race_);
    }

private:
    const TCompetitionRaceState& race_;
};

} // namespace

TCompetitionForm::TCompetitionForm(const ICompetitionFeed& feed, QWidget* parent)
    : QWidget(parent, Qt::Window), race_(feed) {
    setWindowTitle("Competition");
    setObjectName("competition");
    setStyleSheet("#competition { background: #1b1f24; } QLabel { color: #f2f2f2; }"
                  "QLabel[unit=\"true\"] { color: #aab0b8; }"
                  "QPushButton { font-size: 16pt; padding: 8px 32px; }");
    resize(1100, 640);

    countDown_ = Text("", 96, true);
    auto* riders = new QHBoxLayout;
    riders->addWidget(CreateRiderPanel(1), 1);
    riders->addWidget(countDown_, 1);
    riders->addWidget(CreateRiderPanel(2), 1);

    track_ = new TTrackBox(race_);
    start_ = new QPushButton;
    exit_ = new QPushButton("E&xit");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(start_);
    buttons->addWidget(exit_);
    buttons->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 24, 24, 24);
    layout->setSpacing(18);
    layout->addLayout(riders);
    layout->addWidget(track_, 1);
    layout->addLayout(buttons);
    setTabOrder(start_, exit_);

    raceTimer_ = new QTimer(this);
    raceTimer_->setInterval(kRaceTickMs);
    displayTimer_ = new QTimer(this);
    displayTimer_->setInterval(kDisplayTickMs);
    connect(raceTimer_, &QTimer::timeout, this, &TCompetitionForm::RaceTick);
    connect(displayTimer_, &QTimer::timeout, this, &TCompetitionForm::DisplayTick);
    connect(start_, &QPushButton::clicked, this, &TCompetitionForm::PressStart);
    connect(exit_, &QPushButton::clicked, this, &QWidget::close);
    connect(new QShortcut(Qt::Key_Escape, this), &QShortcut::activated, this, &QWidget::close);

    displayTimer_->start();
    ShowRace();
    start_->setFocus();
}

QWidget* TCompetitionForm::CreateRiderPanel(int rider) {
    const size_t index = rider == 2 ? 1 : 0;
    auto* title = Text(QString("Rider %1").arg(rider), 22, true);
    title->setStyleSheet("color: " + ColourName(CompetitionRiderColour(rider)) + ";");
    power_[index] = Text("", 64, true, Qt::AlignRight | Qt::AlignVCenter);
    speed_[index] = Text("", 64, true, Qt::AlignRight | Qt::AlignVCenter);

    auto* panel = new QWidget;
    auto* grid = new QGridLayout(panel);
    grid->addWidget(title, 0, 0, 1, 3);
    int row = 1;
    for (auto [name, value, unit] : {std::tuple{"Power", power_[index], "[Watt]"}, {"Speed", speed_[index], "[km/h]"}}) {
        grid->addWidget(Text(name, 16, false, Qt::AlignLeft | Qt::AlignVCenter), row, 0);
        grid->addWidget(value, row, 1);
        QLabel* unitLabel = Text(unit, 16, false, Qt::AlignLeft | Qt::AlignVCenter);
        unitLabel->setProperty("unit", true);
        grid->addWidget(unitLabel, row, 2);
        ++row;
    }
    grid->setColumnStretch(1, 1);
    return panel;
}

bool TCompetitionForm::TimersActive() const {
    return raceTimer_->isActive() || displayTimer_->isActive();
}

void TCompetitionForm::PressStart() {
    race_.PressButton();
    if (race_.Running()) {
        raceTimer_->start();
    } else {
        raceTimer_->stop();
    }
    ShowRace();
}

void TCompetitionForm::RaceTick() {
    race_.Tick();
    if (!race_.Running()) {
        raceTimer_->stop();
    }
    ShowRace();
}

void TCompetitionForm::DisplayTick() {
    race_.BlinkTick();
    ShowRace();
}

void TCompetitionForm::ShowRace() {
    start_->setText("&" + QString::fromStdString(race_.ButtonText()));
    countDown_->setText(QString::fromStdString(race_.CountDownText()));
    // The last seconds in red, so the crowd sees the end coming.
    countDown_->setStyleSheet(race_.Running() && race_.SecondsLeft() <= kFinalSeconds ? "color: #ff4d4d;" : "");
    for (int rider = 1; rider <= 2; ++rider) {
        PowerLabel(rider).setText(QString::fromStdString(race_.PowerText(rider)));
        SpeedLabel(rider).setText(QString::fromStdString(race_.SpeedText(rider)));
    }
    track_->update();
}

void TCompetitionForm::closeEvent(QCloseEvent* event) {
    raceTimer_->stop();
    displayTimer_->stop();
    QWidget::closeEvent(event);
    emit Closed();
}

} // namespace klt
