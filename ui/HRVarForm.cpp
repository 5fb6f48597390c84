#include "ui/HRVarForm.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QKeyEvent>
#include <QSplitter>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
#include <exception>

#include "ui/HRVarChart.h"
#include "ui/HRVarTableModel.h"
#include "ui/canvas/QtCanvas.h"

namespace klt {

std::unique_ptr<TVeltrak> OpenHRVarHeadUnit(const TDownloadConfiguration& configuration) {
    TDownloadConfiguration usb = configuration;
    if (usb.SerialHeadUnit()) {
        usb.headUnitType = 7;
    }
    auto veltrak = std::make_unique<TVeltrak>();
    PrepareHeadUnit(*veltrak, usb);
    try {
        ConnectHeadUnit(*veltrak, usb);
    } catch (const std::exception&) {
        return nullptr; // the window opens empty
    }
    return veltrak;
}

// The chart, drawn through the canvas whenever the window asks for it.
class THRVarChartBox : public QWidget {
public:
    THRVarChartBox(const THRVarRecorder& recorder, QWidget* parent) : QWidget(parent), recorder_(recorder) {
        setObjectName("HRVarChart");
        setMinimumSize(320, 180);
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        TQtCanvas canvas(painter);
        canvas.Prepare({255, 255, 255}, PaletteColor, 0, width(), height());
        DrawHRVarChart(canvas, recorder_.Chart());
    }

private:
    const THRVarRecorder& recorder_;
};

namespace {

QLabel* ValueLabel(const char* name, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setMinimumWidth(label->fontMetrics().horizontalAdvance("-000.0 ms"));
    return label;
}

QPushButton* Button(const char* name, const QString& text, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    return button;
}

} // namespace

THRVarForm::THRVarForm(std::unique_ptr<TVeltrak> veltrak, const std::string& databaseDir, QWidget* parent)
    : QWidget(parent, Qt::Window),
      veltrak_(std::move(veltrak)),
      recorder_(veltrak_.get(), databaseDir, Prompt()) {
    setObjectName("HRVarForm");
    setWindowTitle("Heartrate Variance");
    start_ = Button("StartButton", "&Start", this);
    stop_ = Button("StopButton", "S&top", this);
    mode_ = Button("ChangeModeButton", "Change &Mode", this);
    heartRate_ = ValueLabel("HeartRateLabel", this);
    variance_ = ValueLabel("VarianceLabel", this);
    beats_ = ValueLabel("BeatsLabel", this);
    status_ = new QLabel(this);
    status_->setObjectName("StatusLabel");
    status_->setTextInteractionFlags(Qt::TextSelectableByMouse); // a saved file's path can be copied

    auto* controls = new QHBoxLayout;
    for (QPushButton* button : {start_, stop_, mode_}) {
        controls->addWidget(button);
    }
    controls->addSpacing(fontMetrics().horizontalAdvance("MM"));
    const std::pair<const char*, QLabel*> values[] = {
        {"Heart rate:", heartRate_}, {"Interval change:", variance_}, {"Beats:", beats_}};
    for (const auto& [caption, label] : values) {
        controls->addWidget(new QLabel(caption, this));
        controls->addWidget(label);
    }
    controls->addStretch();

    chart_ = new THRVarChartBox(recorder_, this);
    model_ = new THRVarTableModel(recorder_.Table(), this);
    table_ = new QTableView(this);
    table_->setObjectName("HRVarTable");
    table_->setModel(model_);
    table_->verticalHeader()->hide();
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    auto* splitter = new QSplitter(Qt::Vertical, this);
    splitter->addWidget(chart_);
    splitter->addWidget(table_);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 2);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(controls);
    layout->addWidget(splitter, 1);
    layout->addWidget(status_);
    setTabOrder(start_, stop_);
    setTabOrder(stop_, mode_);
    setTabOrder(mode_, table_);

    connect(start_, &QPushButton::clicked, this, &THRVarForm::Start);
    connect(stop_, &QPushButton::clicked, this, &THRVarForm::Stop);
    connect(mode_, &QPushButton::clicked, this, &THRVarForm::ChangeMode);
    timer_ = new QTimer(this);
    timer_->setInterval(kPumpIntervalMs);
    connect(timer_, &QTimer::timeout, this, &THRVarForm::Pump);
    resize(760, 560);
    ShowState();
}

THRVarForm::~THRVarForm() {
    if (!closed_) {
        recorder_.Close(); // a window let go without closing still writes what it recorded
    }
}

void THRVarForm::closeEvent(QCloseEvent* event) {
    timer_->stop();
    closed_ = recorder_.Close();
    if (closed_) {
        event->accept();
    } else {
        event->ignore();
    }
    ShowState();
}

void THRVarForm::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void THRVarForm::Start() {
    if (recorder_.Start()) {
        timer_->start();
    }
    ShowState();
}

void THRVarForm::Stop() {
    timer_->stop();
    recorder_.Stop();
    ShowState();
}

void THRVarForm::ChangeMode() {
    recorder_.ChangeMode();
    chart_->update();
}

void THRVarForm::Pump() {
    if (recorder_.Pump()) {
        ShowState();
        table_->scrollToBottom();
    }
}

void THRVarForm::ShowState() {
    model_->Refresh();
    const bool recording = recorder_.Recording();
    start_->setEnabled(recorder_.HasHeadUnit() && !recording);
    stop_->setEnabled(recording);
    const std::optional<int32_t> heartRate = recorder_.LiveHeartrate();
    heartRate_->setText(heartRate ? QString("%1 bpm").arg(*heartRate) : QString("–"));
    const std::optional<double> variance = recorder_.LiveVariance();
    variance_->setText(variance ? QString("%1 ms").arg(*variance, 0, 'f', 1) : QString("–"));
    QString beats = QString::number(recorder_.Table().Count());
    if (recorder_.LostBeats() > 0) {
        beats += QString(" (%1 lost)").arg(recorder_.LostBeats());
    }
    beats_->setText(beats);

    QString status;
    if (!recorder_.HasHeadUnit()) {
        status = "No Veltrak VI or 7 answered: nothing can be recorded.";
    } else if (recording) {
        status = recorder_.ConnectionLost() ? "The connection to the head unit is lost; waiting for beats."
                                            : "Recording the beats of the heart-rate strap.";
    } else if (!recorder_.Table().Empty()) {
        status = "These beats could not be written yet; Start or closing the window tries again.";
    } else if (recorder_.SavedFile()) {
        status = "Written to " + QString::fromStdString(*recorder_.SavedFile());
    } else {
        status = "Press Start to record.";
    }
    status_->setText(status);
    chart_->update();
}

} // namespace klt
