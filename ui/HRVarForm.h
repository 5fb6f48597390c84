#pragma once
// "Heartrate Variance": records the beat-to-beat intervals a generation VI or 7 head unit streams
// while the user rides, shows the heart rate and the change between successive intervals live, a
// chart of the changes and the table of beats, and writes each recording to its file below the
// database when it is stopped or the window closes.
#include <QWidget>
#include <memory>
#include <string>

#include "flow/HeadUnitSession.h"
#include "online/HRVarRecorder.h"

class QLabel;
class QPushButton;
class QTableView;
class QTimer;

namespace klt {

class THRVarChartBox;
class THRVarTableModel;

// The configured USB head unit (a serial generation is taken as generation 7, the only other kind
// that streams beats), connected; null when none answers. Nothing is shown when it fails.
std::unique_ptr<TVeltrak> OpenHRVarHeadUnit(const TDownloadConfiguration& configuration);

class THRVarForm : public QWidget {
public:
    static constexpr int kPumpIntervalMs = 100;

    // A null `veltrak` is no head unit: the window opens empty and records nothing. Failures to
    // write a recording are asked about through the program's prompt.
    THRVarForm(std::unique_ptr<TVeltrak> veltrak, const std::string& databaseDir, QWidget* parent = nullptr);
    ~THRVarForm() override;

    THRVarRecorder& Recorder() { return recorder_; }

protected:
    // Closing writes the recording; a recording that cannot be written keeps the window open.
    void closeEvent(QCloseEvent* event) override;
    // Esc closes the window, as it closes a dialog.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Start();
    void Stop();
    void ChangeMode();
    void Pump();
    // The table, chart, values and buttons as the recording stands.
    void ShowState();

    std::unique_ptr<TVeltrak> veltrak_; // outlives the recorder, whose thread reads it
    THRVarRecorder recorder_;
    bool closed_ = false;
    QPushButton *start_, *stop_, *mode_;
    QLabel *heartRate_, *variance_, *beats_, *status_;
    THRVarChartBox* chart_;
    THRVarTableModel* model_;
    QTableView* table_;
    QTimer* timer_;
};

} // namespace klt
