#include "ui/KLTOnlineForm.h"

#include <QAction>
#include <QApplication>
#include <QBoxLayout>
#include <QColor>
#include <QFrame>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <QToolButton>

#include "analysis/DiagramColours.h"
#include "core/Exceptions.h"
#include "online/DemoRunRecord.h"
#include "ui/CompetitionForm.h"
#include "ui/DemoResultsForm.h"
#include "ui/ModalWindow.h"
#include "ui/LiveChartView.h"
#include "ui/OnlineOptionsDlg.h"
#include "ui/OnlineSaveDataDialog.h"
#include "ui/OnlineUserDlg.h"

namespace klt {
namespace {

constexpr int kClockMs = 48;
constexpr int kStartDetectionMs = 1000;

const char* const kStyle = R"(
QDialog#KLTOnlineForm { background: #1d232c; }
QFrame#ValuePanel { background: #262e3a; border: 1px solid #3a4555; border-radius: 6px; }
QLabel { color: #e8edf3; }
QLabel[role="title"] { color: #9aa8ba; font-size: 11pt; }
QLabel[role="value"] { font-size: 30pt; font-weight: bold; }
QLabel[role="unit"] { color: #9aa8ba; font-size: 11pt; }
QLabel[role="target"] { font-size: 16pt; font-weight: bold; min-width: 3.5em; }
QPushButton { background: #33404f; color: #e8edf3; border: 1px solid #4a5a6e; border-radius: 4px;
              padding: 6px 12px; font-size: 11pt; }
QPushButton:hover { background: #3d4d60; }
QPushButton:focus { border: 2px solid #6fa8ff; }
QPushButton:disabled { color: #6b7786; background: #2a323d; }
QPushButton#PauseButton { background: #2f6f3e; font-weight: bold; min-width: 6em; }
QPushButton#EndButton { background: #7a2e2e; font-weight: bold; min-width: 6em; }
QToolButton { background: #33404f; color: #e8edf3; border: 1px solid #4a5a6e; border-radius: 3px;
              min-width: 1.8em; }
QMenuBar { background: #262e3a; color: #e8edf3; }
QMenuBar::item:selected { background: #3d4d60; }
)";

// The colour of a kind's values on the dark panels: its chart colour, lightened.
QString PanelColour(TMesswertArtType kind) {
    if (kind == mwaNone) {
        return "#e8edf3";
    }
    const TRgb colour =
        MixColour(DiagramColours(PaletteColor, {255, 255, 255}).Curve(kind), {255, 255, 255}, 0.35);
    return QColor(colour.red, colour.green, colour.blue).name();
}

// "130 Heartrate [1/min]" shown as a large "130" over "Heartrate [1/min]".
std::pair<QString, QString> ValueAndCaption(const std::string& text) {
    const size_t space = text.find(' ');
    if (space == std::string::npos) {
        return {QString::fromStdString(text), {}};
    }
    return {QString::fromStdString(text.substr(0, space)), QString::fromStdString(text.substr(space + 1))};
}

const char* PauseCaption(TRunState state, bool rode) {
    switch (state) {
    case TRunState::Running:
        return "Pause";
    case TRunState::Paused:
        return "Resume";
    default:
        return rode ? "Restart" : "Start";
    }
}

const char* EndCaption(TRunState state) {
    switch (state) {
    case TRunState::Running:
    case TRunState::Paused:
        return "End";
    case TRunState::Waiting:
        return "Abort";
    default:
        return "Exit";
    }
}

struct TModeEntry {
    TErgometerMode mode;
    const char* name;
};
constexpr TModeEntry kModes[] = {{emPredefinedFile, "Predefined File"},
                                 {emOpenEndTest, "Open End Test"},
                                 {emDemoMode, "Demo Mode"},
                                 {emManual, "Manual"}};

QString ModeName(TErgometerMode mode) {
    for (const TModeEntry& entry : kModes) {
        if (entry.mode == mode) {
            return entry.name;
        }
    }
    return mode == emCalibrationMode ? "Calibration" : "Telemetry";
}

// The two riders of the telemetry as the competition window reads them.
class TRiderFeed : public ICompetitionFeed {
public:
    explicit TRiderFeed(const TOnlineRunController& run) : run_(run) {}
    TCompetitorValues Rider(int rider) const override {
        const TKLTOnlineDatas& samples = run_.Samples(rider);
        const std::optional<TKLTOnlineData> last = samples.Sample(samples.LastIndex());
        TCompetitorValues values;
        if (last) {
            values.watts = last->Power();
            values.kmh = last->Speed() * 3.6 / 1000.0;
        }
        values.metres = run_.DistanceMetres();
        return values;
    }

private:
    const TOnlineRunController& run_;
};

// Serial head units are found by their first telegram; USB ones by opening their link.
void ConnectLiveHeadUnit(TVeltrak& veltrak, const TDownloadConfiguration& configuration) {
    if (!configuration.SerialHeadUnit()) {
        ConnectHeadUnit(veltrak, configuration);
    } else if (configuration.headUnitType == 5) {
        veltrak.FindHeadUnitV();
    } else {
        veltrak.Identify();
    }
}

} // namespace

struct TKLTOnlineForm::TRiderPanels {
    QLabel* power = nullptr;
    QLabel* heartRate = nullptr;
    QLabel* cadence = nullptr;
    QLabel* speed = nullptr;
    QLabel* time = nullptr;
    QLabel* secondTitle = nullptr;
    QLabel* secondValue = nullptr;
    QLabel* heartRateUnit = nullptr;
    QLabel* cadenceUnit = nullptr;
    QLabel* speedUnit = nullptr;
};

TKLTOnlineForm::TKLTOnlineForm(TVeltrakOld& veltrak, TOnlineFormSetup setup, QWidget* parent)
    : QDialog(parent), setup_(std::move(setup)), veltrak_(veltrak),
      prompt_(setup_.prompt != nullptr ? *setup_.prompt : Prompt()),
      options_(setup_.telemetry ? std::make_unique<TTelemetrieOptions>(setup_.databaseDir)
                                : std::make_unique<TOnlineOptions>(setup_.databaseDir)),
      demoResults_(setup_.databaseDir, options_->OnlineDemoModeOptionSet) {
    setObjectName("KLTOnlineForm");
    setWindowTitle("KLT-Online");
    options_->Load();
    TOnlineSessionSetup session;
    session.mode = setup_.telemetry ? emTelemetrie : options_->OnlineErgometerOptions.ErgometerMode();
    session.cycle = setup_.cycle;
    session.databaseDir = setup_.databaseDir;
    session_ =
        std::make_unique<TOnlineSession>(veltrak_, *options_, static_cast<IRunOwner&>(*this), prompt_,
                                         setup_.clock != nullptr ? *setup_.clock : systemClock_, session);
    BuildWindow();
    clockTimer_ = new QTimer(this);
    clockTimer_->setInterval(kClockMs);
    connect(clockTimer_, &QTimer::timeout, this, &TKLTOnlineForm::ClockTick);
    startTimer_ = new QTimer(this);
    startTimer_->setInterval(kStartDetectionMs);
    connect(startTimer_, &QTimer::timeout, this, &TKLTOnlineForm::StartDetectionTick);
    Refresh();
}

// The session ends first: the reading stops, the brake is released and a ride still recording kept.
TKLTOnlineForm::~TKLTOnlineForm() {
    session_.reset();
}

void TKLTOnlineForm::BuildWindow() {
    setStyleSheet(kStyle);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 6, 10, 10);
    layout->setSpacing(8);
    BuildMenu();
    layout->setMenuBar(menuBar_);

    auto* top = new QHBoxLayout;
    modeTitle_ = new QLabel("Mode:", this);
    modeButton_ = new QPushButton(this);
    modeButton_->setObjectName("ModePanel");
    modeButton_->setToolTip("The kind of test (F5)");
    auto* modeMenu = new QMenu(modeButton_);
    for (const TModeEntry& entry : kModes) {
        modeMenu->addAction(entry.name, this, [this, mode = entry.mode] { ChooseMode(mode); });
    }
    modeButton_->setMenu(modeMenu);
    modeTitle_->setVisible(!setup_.telemetry);
    modeButton_->setVisible(!setup_.telemetry);
    auto* fileTitle = new QLabel("File Name:", this);
    programButton_ = new QPushButton(this);
    programButton_->setObjectName("TestFilePanel");
    programButton_->setToolTip("The ergo program to ride (F6)");
    programMenu_ = new QMenu(programButton_);
    connect(programMenu_, &QMenu::aboutToShow, this, &TKLTOnlineForm::FillProgramMenu);
    programButton_->setMenu(programMenu_);
    fileTitle->setVisible(!setup_.telemetry);
    programButton_->setVisible(!setup_.telemetry);
    userButton_ = new QPushButton("User", this);
    userButton_->setObjectName("UserButton");
    userButton_->setToolTip("The rider's name and demo category (F7)");
    userButton_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    connect(userButton_, &QPushButton::clicked, this, &TKLTOnlineForm::EditPerson);
    top->addWidget(modeTitle_);
    top->addWidget(modeButton_);
    top->addSpacing(16);
    top->addWidget(fileTitle);
    top->addWidget(programButton_, 1);
    top->addSpacing(16);
    top->addStretch(setup_.telemetry ? 1 : 0);
    top->addWidget(userButton_);
    layout->addLayout(top);

    const int riders = setup_.telemetry ? 2 : 1;
    auto* ridersLayout = new QHBoxLayout;
    for (int rider = 1; rider <= riders; ++rider) {
        riders_[rider - 1] = std::make_unique<TRiderPanels>();
        auto* column = new QVBoxLayout;
        column->addWidget(BuildRiderPanels(*riders_[rider - 1], rider));
        charts_[rider - 1] =
            new TLiveChartView(session_->Run().Samples(rider), options_->OnlineMainChartOptionSet,
                               riders > 1 ? "Rider " + std::to_string(rider) : std::string(), this);
        charts_[rider - 1]->setObjectName(QString("LiveChart%1").arg(rider));
        column->addWidget(charts_[rider - 1], 1);
        ridersLayout->addLayout(column, 1);
    }
    layout->addLayout(ridersLayout, 1);
    layout->addWidget(BuildTargets());
    layout->addWidget(BuildCommandBar());
    BuildShortcuts();
}

void TKLTOnlineForm::BuildMenu() {
    menuBar_ = new QMenuBar(this);
    QAction* options = menuBar_->addAction("&Options");
    options->setObjectName("OptionsItem");
    connect(options, &QAction::triggered, this, &TKLTOnlineForm::OpenOptions);
    QAction* competition = menuBar_->addAction("&Competition");
    competition->setObjectName("CompetitionItem");
    competition->setEnabled(setup_.telemetry);
    connect(competition, &QAction::triggered, this, &TKLTOnlineForm::OpenCompetition);
    QAction* calibrate = menuBar_->addAction("C&alibrate");
    calibrate->setObjectName("CalibrateItem");
    calibrate->setEnabled(!setup_.telemetry && session_->HasBrake());
    connect(calibrate, &QAction::triggered, this, [this] { ChooseMode(emCalibrationMode); });
    analyzeAction_ = menuBar_->addAction("A&nalyze");
    analyzeAction_->setObjectName("AnalyzeItem");
    analyzeAction_->setToolTip("Open the stored ride in the main window");
    connect(analyzeAction_, &QAction::triggered, this, [this] {
        if (!lastStored_.empty() && setup_.openTraining) {
            setup_.openTraining(lastStored_);
        }
    });
}

QWidget* TKLTOnlineForm::BuildRiderPanels(TRiderPanels& panels, int rider) {
    auto* box = new QWidget(this);
    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(8);
    int column = 0;
    auto panel = [&](const QString& title, TMesswertArtType kind, QLabel** value, QLabel** unit) {
        auto* frame = new QFrame(box);
        frame->setObjectName("ValuePanel");
        auto* inner = new QVBoxLayout(frame);
        inner->setContentsMargins(10, 6, 10, 6);
        auto* titleLabel = new QLabel(title, frame);
        titleLabel->setProperty("role", "title");
        *value = new QLabel(frame);
        (*value)->setProperty("role", "value");
        (*value)->setStyleSheet("color: " + PanelColour(kind));
        (*value)->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        inner->addWidget(titleLabel);
        inner->addWidget(*value);
        if (unit != nullptr) {
            *unit = new QLabel(frame);
            (*unit)->setProperty("role", "unit");
            (*unit)->setAlignment(Qt::AlignRight);
            inner->addWidget(*unit);
        }
        grid->addWidget(frame, 0, column++);
        return titleLabel;
    };
    panel("Power [W]", mwaLeistung, &panels.power, nullptr);
    panel("Heart rate", mwaHerzfrequenz, &panels.heartRate, &panels.heartRateUnit);
    panel("Cadence", mwaTretfrequenz, &panels.cadence, &panels.cadenceUnit);
    panel("Speed", mwaGeschwindigkeit, &panels.speed, &panels.speedUnit);
    panel("Time", mwaNone, &panels.time, nullptr);
    panels.secondTitle = panel(QString(), mwaNone, &panels.secondValue, nullptr);
    panels.power->setObjectName(QString("PowerPanel%1").arg(rider));
    panels.heartRate->setObjectName(QString("HeartRatePanel%1").arg(rider));
    panels.cadence->setObjectName(QString("CadencePanel%1").arg(rider));
    panels.speed->setObjectName(QString("SpeedPanel%1").arg(rider));
    panels.time->setObjectName(QString("TimePanel%1").arg(rider));
    return box;
}

QWidget* TKLTOnlineForm::BuildTargets() {
    auto* box = new QWidget(this);
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    auto target = [&](const QString& title, TTarget which, const char* name, const QString& keys) {
        auto* label = new QLabel(title, box);
        label->setObjectName(QString(name) + "Title");
        auto* value = new QLabel(box);
        value->setObjectName(QString(name) + "Value");
        value->setAlignment(Qt::AlignCenter);
        auto* down = new QToolButton(box);
        down->setText("▼");
        down->setObjectName(QString(name) + "Down");
        auto* up = new QToolButton(box);
        up->setText("▲");
        up->setObjectName(QString(name) + "Up");
        up->setToolTip("Raise " + title.toLower() + keys);
        down->setToolTip("Lower " + title.toLower() + keys);
        const auto step = [this, which] {
            return which == TTarget::Power && session_->Run().Mode() != emOpenEndTest
                       ? TOnlineRunController::kPowerStep
                       : 1;
        };
        connect(up, &QToolButton::clicked, this,
                [=, this] { Guarded([&] { session_->Run().ChangeTarget(which, step()); }); });
        connect(down, &QToolButton::clicked, this,
                [=, this] { Guarded([&] { session_->Run().ChangeTarget(which, -step()); }); });
        row->addWidget(label);
        row->addWidget(down);
        row->addWidget(value);
        row->addWidget(up);
        row->addSpacing(24);
        value->setProperty("role", "target");
        return value;
    };
    targetPower_ = target("Target power", TTarget::Power, "TargetPower", " (keys A and Y)");
    targetPowerTitle_ = box->findChild<QLabel*>("TargetPowerTitle");
    targetCadence_ = target("Target cadence", TTarget::Cadence, "TargetCadence", QString());
    targetHeartRate_ = target("Target heart rate", TTarget::HeartRate, "TargetHeartRate", QString());
    row->addStretch(1);
    controlButton_ = new QPushButton(box);
    controlButton_->setObjectName("ControlPanel");
    auto* controlMenu = new QMenu(controlButton_);
    const std::pair<const char*, TBrakeControlBy> controls[] = {{"Power", TBrakeControlBy::Power},
                                                                {"Cadence", TBrakeControlBy::Cadence},
                                                                {"Heartrate", TBrakeControlBy::HeartRate}};
    for (const auto& [name, control] : controls) {
        controlMenu->addAction(name, this, [this, control = control] {
            Guarded([&] { session_->Run().SetControlBy(control); });
        });
    }
    controlButton_->setMenu(controlMenu);
    brakeButton_ = new QPushButton(box);
    brakeButton_->setObjectName("BrakePanel");
    brakeButton_->setToolTip("Switch the brake on or off (Ctrl+B)");
    connect(brakeButton_, &QPushButton::clicked, this,
            [this] { Guarded([&] { session_->Run().ToggleBrake(); }); });
    row->addWidget(controlButton_);
    row->addWidget(brakeButton_);
    return box;
}

QWidget* TKLTOnlineForm::BuildCommandBar() {
    auto* box = new QWidget(this);
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    auto button = [&](const char* name, const QString& text, const QString& hint, auto action) {
        auto* b = new QPushButton(text, box);
        b->setObjectName(name);
        b->setToolTip(hint);
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, [this, action] { Guarded(action); });
        row->addWidget(b);
        return b;
    };
    TOnlineRunController& run = session_->Run();
    // the pause and end panels' captions follow the run's state
    pauseButton_ =
        button("PauseButton", "", "Start, pause and resume the test (Space)", [&run] { run.TogglePause(); });
    prevButton_ = button("PrevStepButton", "Prev. Step", "The program's step before (Page Up)",
                         [&run] { run.PrevStepButton(); });
    nextButton_ = button("NextStepButton", "Next Step", "The program's next step (Page Down)",
                         [&run] { run.NextStepButton(); });
    markerButton_ = button("SetMarkerButton", "Set Marker", "Mark this moment of the ride (Ctrl+M)",
                           [&run] { run.SetMarker(); });
    saveButton_ = button("SaveDataButton", "Save Data", "Store the ride as a training (Ctrl+S)",
                         [&run] { run.OfferSave(); });
    stopErgoButton_ = button("StopErgoButton", "Stop Ergo", "Brake the flywheel to a stop (Ctrl+E)",
                             [&run] { run.StopErgo(); });
    row->addStretch(1);
    endButton_ = button("EndButton", "", "End the test, or close the window (Esc)", [this] { EndPanel(); });
    return box;
}

void TKLTOnlineForm::BuildShortcuts() {
    const std::pair<QKeySequence, QPushButton*> keys[] = {
        {Qt::Key_Space, pauseButton_},        {Qt::Key_PageUp, prevButton_},
        {Qt::Key_PageDown, nextButton_},      {Qt::CTRL | Qt::Key_M, markerButton_},
        {Qt::CTRL | Qt::Key_S, saveButton_},  {Qt::CTRL | Qt::Key_E, stopErgoButton_},
        {Qt::CTRL | Qt::Key_B, brakeButton_}, {Qt::Key_F5, modeButton_},
        {Qt::Key_F6, programButton_},         {Qt::Key_F7, userButton_},
        {Qt::Key_F8, controlButton_}};
    for (const auto& [key, target] : keys) {
        auto* shortcut = new QShortcut(key, this);
        connect(shortcut, &QShortcut::activated, target, [target = target] {
            if (target->isEnabled()) {
                target->animateClick();
            }
        });
    }
}

void TKLTOnlineForm::Guarded(const std::function<void()>& action) {
    try {
        action();
    } catch (const std::exception& error) {
        prompt_.ShowMessage("Warning", error.what());
    }
    Refresh();
}

void TKLTOnlineForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (shownOnce_) {
        return;
    }
    shownOnce_ = true;
    SetUpRun();
    startTimer_->start();
    clockTimer_->start();
    if (setup_.competition) {
        QTimer::singleShot(0, this, &TKLTOnlineForm::OpenCompetition);
    }
}

void TKLTOnlineForm::SetUpRun() {
    TOnlineRunController& run = session_->Run();
    if (!setup_.telemetry) {
        run.SetMode(options_->OnlineErgometerOptions.ErgometerMode());
    }
    run.SetDemoCategorie(person_.categorie);
    run.SwitchBrakeOn();
    run.WaitForRider();
    Refresh();
}

void TKLTOnlineForm::ClockTick() {
    Guarded([this] {
        session_->Pump();
        session_->Run().Tick();
    });
}

void TKLTOnlineForm::StartDetectionTick() {
    Guarded([this] { session_->Run().DetectStart(); });
}

void TKLTOnlineForm::Refresh() {
    TOnlineRunController& run = session_->Run();
    const TSampleRange range = run.ChartRange();
    for (int rider = 1; rider <= 2; ++rider) {
        if (!riders_[rider - 1]) {
            continue;
        }
        TRiderPanels& panels = *riders_[rider - 1];
        const TRunDisplay display = run.Display(rider);
        panels.power->setText(QString::fromStdString(display.power));
        const auto [heartRate, heartRateUnit] = ValueAndCaption(display.heartRate);
        panels.heartRate->setText(heartRate);
        panels.heartRateUnit->setText(heartRateUnit);
        const auto [cadence, cadenceUnit] = ValueAndCaption(display.cadence);
        panels.cadence->setText(cadence);
        panels.cadenceUnit->setText(cadenceUnit);
        const auto [speed, speedUnit] = ValueAndCaption(display.speed);
        panels.speed->setText(speed);
        panels.speedUnit->setText(speedUnit);
        panels.time->setText(QString::fromStdString(display.time));
        panels.secondTitle->setText(QString::fromStdString(display.secondTitle));
        panels.secondValue->setText(QString::fromStdString(display.secondValue));
        panels.secondTitle->parentWidget()->setVisible(!display.secondTitle.empty());
        charts_[rider - 1]->Show(range, display.chartNote, run.MarkerTimes());
    }
    const TRunDisplay display = run.Display();
    const TRunState state = run.State();
    // a demo rider sees his average power until the next ride
    if (state != TRunState::Stopped) {
        demoAverage_.reset();
    } else if (demoAverage_) {
        riders_[0]->power->setText(QString::number(*demoAverage_));
    }
    const bool recording = state == TRunState::Running || state == TRunState::Paused;
    modeButton_->setText(display.mode.empty() ? ModeName(run.Mode()) : QString::fromStdString(display.mode));
    programButton_->setText(QString::fromStdString(display.program));
    targetPower_->setText(QString::number(run.TargetPower()));
    // the open-end test sets a resistance level, not watts
    targetPowerTitle_->setText(run.Mode() == emOpenEndTest ? "Resistance level" : "Target power");
    targetCadence_->setText(QString::number(run.TargetCadence()));
    targetHeartRate_->setText(QString::number(run.TargetHeartRate()));
    controlButton_->setText(QString::fromStdString(display.controlBy));
    brakeButton_->setText(QString::fromStdString(display.brake));
    // the targets and the brake's buttons share a row: without a brake there is nothing to aim at
    controlButton_->parentWidget()->setEnabled(session_->HasBrake());
    pauseButton_->setText(PauseCaption(state, run.Samples().Count() > 1));
    pauseButton_->setEnabled(run.Mode() != emError);
    endButton_->setText(EndCaption(state));
    const bool program = run.Mode() == emPredefinedFile && recording;
    nextButton_->setEnabled(program);
    prevButton_->setEnabled(program);
    markerButton_->setEnabled(recording);
    saveButton_->setEnabled(run.CanSave());
    stopErgoButton_->setEnabled(session_->HasBrake() && options_->OnlineCommonOptionSet.Breakfreewheel != 0);
    modeButton_->setEnabled(!setup_.telemetry && !recording);
    programButton_->setEnabled(!setup_.telemetry && !recording);
    analyzeAction_->setEnabled(!lastStored_.empty() && static_cast<bool>(setup_.openTraining));
}

void TKLTOnlineForm::keyPressEvent(QKeyEvent* event) {
    const QString text = event->text().toLower();
    if (event->modifiers() == Qt::NoModifier && (text == "a" || text == "y")) {
        Guarded([&] { session_->Run().Key(text.at(0).toLatin1()); });
        return;
    }
    QDialog::keyPressEvent(event);
}

void TKLTOnlineForm::reject() {
    if (closing_) {
        QDialog::reject();
    } else {
        EndPanel();
    }
}

// The window's close button closes whatever the run does: the session ends with the window,
// releasing the brake and keeping a ride still recording for the next start.
void TKLTOnlineForm::closeEvent(QCloseEvent* event) {
    clockTimer_->stop();
    startTimer_->stop();
    closing_ = true;
    QDialog::closeEvent(event);
}

void TKLTOnlineForm::EndPanel() {
    TOnlineRunController& run = session_->Run();
    switch (run.State()) {
    case TRunState::Running:
    case TRunState::Paused:
        run.EndTest();
        break;
    case TRunState::Waiting:
        run.EndTest(); // nothing recorded yet: back to stopped
        break;
    default:
        clockTimer_->stop();
        startTimer_->stop();
        QDialog::reject();
    }
}

void TKLTOnlineForm::ChooseMode(TErgometerMode mode) {
    Guarded([&] {
        options_->OnlineErgometerOptions.SetErgometerMode(mode);
        TOnlineRunController& run = session_->Run();
        run.EndTest();
        run.SetMode(mode);
        run.SetDemoCategorie(person_.categorie);
        run.WaitForRider();
    });
}

void TKLTOnlineForm::ChooseProgram(const std::string& name) {
    Guarded([&] {
        TPredefinedFileOptionSet& programs = options_->OnlineErgometerOptions.PredefinedFileOptionSet;
        programs.SetSelectedFileName(name);
        options_->Save();
        session_->Run().EndTest();
        SetUpRun();
    });
}

void TKLTOnlineForm::FillProgramMenu() {
    programMenu_->clear();
    TPredefinedFileOptionSet& programs = options_->OnlineErgometerOptions.PredefinedFileOptionSet;
    programs.RefreshFileNames();
    for (const std::string& name : programs.FileNames()) {
        QAction* entry = programMenu_->addAction(QString::fromStdString(name), this,
                                                 [this, name] { ChooseProgram(name); });
        entry->setCheckable(true);
        entry->setChecked(name == programs.SelectedFileName());
    }
    if (programs.FileNames().empty()) {
        programMenu_->addAction("No programs yet: make one under Options")->setEnabled(false);
    }
}

void TKLTOnlineForm::EditPerson() {
    if (TOnlineUserDlg::Edit(person_, options_->OnlineDemoModeOptionSet, this)) {
        Guarded([this] { session_->Run().SetDemoCategorie(person_.categorie); });
    }
}

void TKLTOnlineForm::OpenOptions() {
    TOnlineRunController& run = session_->Run();
    TOnlineOptionsDlg dialog(*options_, setup_.databaseDir, this);
    connect(&dialog, &TOnlineOptionsDlg::Applied, this, [this] { SetUpRun(); });
    dialog.exec();
    Guarded([&] {
        run.EndTest();
        if (options_->OnlineCommonOptionSet.StartTestBy != 1) {
            SetUpRun();
        }
    });
}

void TKLTOnlineForm::OpenCompetition() {
    const TRiderFeed feed(session_->Run());
    TCompetitionForm competition(feed, this);
    RunModal(competition);
    // the race is over: the live window goes with it
    session_->Run().EndTest();
    clockTimer_->stop();
    startTimer_->stop();
    QDialog::reject();
}

std::optional<TSaveDetails> TKLTOnlineForm::AskSaveDetails(const TSaveDetails& proposed) {
    TSaveDetails filled = proposed;
    filled.initials = session_->Status().Initialen();
    if (setup_.askSaveDetails) {
        return setup_.askSaveDetails(filled);
    }
    return TOnlineSaveDataDialog::Ask(filled, this);
}

void TKLTOnlineForm::TrainingStored(const std::string& path) {
    lastStored_ = path;
    if (setup_.openTraining) {
        setup_.openTraining(path);
    }
}

void TKLTOnlineForm::ShowDemoResult(const TKLTOnlineDatas& samples) {
    if (!demoResultsLoaded_) {
        demoResults_.Load();
        demoResultsLoaded_ = true;
    }
    std::optional<TRecordedDemoRun> recorded;
    try {
        recorded = RecordDemoRun(demoResults_, options_->OnlineDemoModeOptionSet, samples, person_);
    } catch (const Exception& error) {
        // the result stays with the window's results; the ride is not lost with it
        prompt_.ShowMessage("Warning", error.what());
        return;
    }
    if (!recorded) {
        return;
    }
    demoAverage_ = recorded->result.AveragePower;
    Refresh();
    const int demoMode = options_->OnlineDemoModeOptionSet.DemoMode;
    TDemoResultsForm results(*options_, person_.categorie, this);
    results.exec();
    if (options_->OnlineDemoModeOptionSet.DemoMode != demoMode) {
        // the ranking chosen there is the demo kind from now on, also after a restart
        Guarded([this] { options_->Save(); });
    }
}

void ExecuteOnlineForm(QWidget* parent, const TDownloadConfiguration& configuration, TOnlineFormSetup setup) {
    setup.databaseDir = configuration.databaseDir;
    std::unique_ptr<TVeltrak> veltrak;
    try {
        veltrak = std::make_unique<TVeltrak>();
        veltrak->SetPrompt(Prompt());
        veltrak->Status().SetHWVersion(configuration.HWVersion());
        PrepareHeadUnit(*veltrak, configuration);
        if (setup.telemetry) {
            // the riders' radio receiver sits on the configured serial port whatever the generation
            veltrak->SetPort(configuration.port);
            veltrak->Line().OpenPort(veltrak->Port());
        } else {
            ConnectLiveHeadUnit(*veltrak, configuration);
        }
    } catch (const std::exception& error) {
        Prompt().ShowMessage("Warning", std::string("The live window cannot open: no Veltrak answers.\r\n") +
                                            error.what());
        return;
    }
    std::unique_ptr<TKLTOnlineForm> form;
    try {
        form = std::make_unique<TKLTOnlineForm>(*veltrak, std::move(setup), parent);
    } catch (const std::exception& error) {
        Prompt().ShowMessage("Warning", std::string("The live window cannot open.\r\n") + error.what());
        return;
    }
    form->setWindowState(Qt::WindowMaximized);
    form->exec();
}

} // namespace klt
