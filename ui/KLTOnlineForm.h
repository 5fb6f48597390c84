#pragma once
// The live ergometer window "KLT-Online": a thin view over a live session. It shows the run's
// panels and chart(s), passes the buttons and keys to the run, drives it from two timers (48 ms:
// the read thread's values, the clock and the panels; 1 s: start detection) and does for the run
// what needs a window: the save dialog, the demo results, the stored training handed on.
#include <QDialog>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "flow/HeadUnitSession.h"
#include "online/DemoPerson.h"
#include "online/DemoResults.h"
#include "online/OnlineSession.h"

class QLabel;
class QMenu;
class QMenuBar;
class QPushButton;
class QTimer;

namespace klt {

class TLiveChartView;

struct TOnlineFormSetup {
    bool telemetry = false; // two riders, "TelemetrieOptions.cfg"
    // Where the options, programs, results, logs and stored rides are.
    std::string databaseDir;
    // Real time between two reads: shorter against a simulator that runs faster.
    std::chrono::milliseconds cycle{500};
    // The questions and messages of the run; the program's prompt when not set.
    IPrompt* prompt = nullptr;
    // The run's time; the system's when not set.
    const IRunClock* clock = nullptr;
    // A stored training, to be opened in the main window.
    std::function<void(const std::string& path)> openTraining;
    // The competition window opens with the live window, and closing it ends both.
    bool competition = false;
    // The save dialog; TOnlineSaveDataDialog when not set.
    std::function<std::optional<TSaveDetails>(const TSaveDetails& proposed)> askSaveDetails;
};

class TKLTOnlineForm : public QDialog, private IRunOwner {
public:
    // `veltrak` is connected (a telemetry receiver needs only its port) and outlives the window.
    TKLTOnlineForm(TVeltrakOld& veltrak, TOnlineFormSetup setup, QWidget* parent = nullptr);
    ~TKLTOnlineForm() override;

    TOnlineSession& Session() { return *session_; }
    TOnlineOptions& Options() { return *options_; }
    // The program panel's choice: selects the program and sets the window up for it.
    void ChooseProgram(const std::string& name);
    void ChooseMode(TErgometerMode mode);
    // The timers' work, for tests that drive the window without waiting.
    void ClockTick();
    void StartDetectionTick();
    // The panels from the run's state now.
    void Refresh();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override; // Esc: the end panel

private:
    // IRunOwner
    std::optional<TSaveDetails> AskSaveDetails(const TSaveDetails& proposed) override;
    void TrainingStored(const std::string& path) override;
    void ShowDemoResult(const TKLTOnlineDatas& samples) override;

    struct TRiderPanels;
    void BuildWindow();
    QWidget* BuildCommandBar();
    QWidget* BuildTargets();
    QWidget* BuildRiderPanels(TRiderPanels& panels, int rider);
    void BuildMenu();
    void BuildShortcuts();
    // After showing, applying options and choosing a program: the run starts afresh.
    void SetUpRun();
    void EndPanel();
    void OpenOptions();
    void OpenCompetition();
    void EditPerson();
    void FillProgramMenu();
    void Guarded(const std::function<void()>& action);

    TOnlineFormSetup setup_;
    TVeltrakOld& veltrak_;
    IPrompt& prompt_;
    TSystemRunClock systemClock_;
    std::unique_ptr<TOnlineOptions> options_;
    std::unique_ptr<TOnlineSession> session_;
    TDemoPerson person_;
    TKLTDemoResults demoResults_;
    bool demoResultsLoaded_ = false;
    std::string lastStored_;
    std::optional<int> demoAverage_; // W, of the demo ride that ended
    bool shownOnce_ = false;
    bool closing_ = false;

    std::unique_ptr<TRiderPanels> riders_[2];
    TLiveChartView* charts_[2] = {};
    QMenuBar* menuBar_ = nullptr;
    QLabel* modeTitle_ = nullptr;
    QPushButton* modeButton_ = nullptr;
    QPushButton* programButton_ = nullptr;
    QMenu* programMenu_ = nullptr;
    QPushButton* userButton_ = nullptr;
    QLabel* targetPower_ = nullptr;
    QLabel* targetPowerTitle_ = nullptr;
    QLabel* targetCadence_ = nullptr;
    QLabel* targetHeartRate_ = nullptr;
    QPushButton* pauseButton_ = nullptr;
    QPushButton* nextButton_ = nullptr;
    QPushButton* prevButton_ = nullptr;
    QPushButton* markerButton_ = nullptr;
    QPushButton* saveButton_ = nullptr;
    QPushButton* stopErgoButton_ = nullptr;
    QPushButton* endButton_ = nullptr;
    QPushButton* brakeButton_ = nullptr;
    QPushButton* controlButton_ = nullptr;
    QAction* analyzeAction_ = nullptr;
    QTimer* clockTimer_ = nullptr;
    QTimer* startTimer_ = nullptr;
};

// Connects to the head unit the configuration names and runs the window modally; a head unit that
// cannot be reached is told through the prompt and no window opens.
// `setup` brings the flavour and what the main window does with a stored training.
void ExecuteOnlineForm(QWidget* parent, const TDownloadConfiguration& configuration, TOnlineFormSetup setup);

} // namespace klt
