// The frame window: start-up, the idle work, drops and closing.
#include "ui/KLTMainForm.h"

#include <QAbstractEventDispatcher>
#include <QCloseEvent>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

#include "app/KLTIni.h"
#include "app/KLTMainStartup.h"
#include "app/OptionDataUnit.h"
#include "core/KLTFile.h"
#include "core/Prompt.h"
#include "core/TrainingEnvironment.h"
#include "device/transport/UsbClass.h"
#include "flow/MemoryImageFile.h"
#include "ui/KLTChildForm.h"

namespace klt {

TKLTMainForm::TKLTMainForm(TStartup startup, QWidget* parent)
    : QMainWindow(parent), probePorts_(std::move(startup.probePorts)) {
    setWindowTitle("KLT Training System");
    setObjectName("KLTMainForm");
    setAcceptDrops(true);

    mdiArea_ = new QMdiArea(this);
    mdiArea_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdiArea_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdiArea_->setBackground(palette().brush(QPalette::Dark));
    setCentralWidget(mdiArea_);
    connect(mdiArea_, &QMdiArea::subWindowActivated, this, &TKLTMainForm::UpdateCommandStates);

    CreateActions();
    CreateMenus();
    CreateToolBar();
    statusBar()->setObjectName("Statusline");
    statusBar()->showMessage("Ready");

    // A sensible first size: most of the screen, never more than it.
    const QRect available = screen() != nullptr ? screen()->availableGeometry() : QRect(0, 0, 1280, 800);
    resize(std::min(1280, available.width() * 9 / 10), std::min(860, available.height() * 9 / 10));

    // Idle handler: the command states follow whatever changed while events were handled.
    if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance()) {
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this,
                &TKLTMainForm::UpdateCommandStates);
    }

    LoadConfiguration(startup.configurationPath, startup.databaseDir);
    LoadOptionTree();
    const TKLTCommandLine commandLine = ParseCommandLine(startup.arguments);
    ApplyStartupFlags(*optionTree_, commandLine.flags);
    actions_.telemetry->setVisible((optionTree_->Sets().System.ProtectionLevel & TStartupFlag::Telemetry) != 0);
    pendingFiles_ = commandLine.pendingFiles;
    tileOpened_ = startup.tileOpened;
    InitHeadUnitSelector();
    CreateUsbWatch(std::move(startup.usbHeadUnit));
    ApplyDisplaySettings();
    UpdateCommandStates();

    if (!pendingFiles_.empty()) {
        QTimer::singleShot(0, this, &TKLTMainForm::OpenPendingFiles);
    }
}

TKLTMainForm::~TKLTMainForm() {
    // Documents talk to the configuration and the option tree until they are gone, closed ones
    // still waiting for their deletion too.
    qDeleteAll(mdiArea_->findChildren<QMdiSubWindow*>());
    if (ini_ != nullptr) {
        ini_->SystemData.SetOnUserNameChange({});
    }
}

void TKLTMainForm::LoadConfiguration(const std::string& path, const std::string& databaseDir) {
    ini_ = std::make_unique<TKLTIniFile>(path);
    if (!databaseDir.empty()) {
        ini_->SystemData.DataBaseDir = databaseDir;
    }
    opener_ = std::make_unique<TKLTDocumentOpener>(static_cast<IDocumentWindows&>(*this), &ini_->FileHistory,
                                                   [this](const std::string& image) { ConvertMemoryImage(image); });
    RebuildHistoryMenu();
    CheckDatabaseDirectory(ini_->SystemData);
    TrainingEnvironment().databaseDir = ini_->SystemData.DataBaseDir;
}

void TKLTMainForm::LoadOptionTree() {
    optionTree_ = std::make_unique<TOptionDataNew>(ini_->SystemData.DataBaseDir, ini_->SystemData.UserName());
    optionTree_->Load();
    // Another user chosen in the options loads that user's profile into the same object, which the
    // options dialog may be holding.
    ini_->SystemData.SetOnUserNameChange([this](const std::string& userName) {
        optionTree_->Assign(TOptionDataNew(ini_->SystemData.DataBaseDir, userName));
        optionTree_->Load();
    });
}

void TKLTMainForm::InitHeadUnitSelector() {
    veltrakSelect_->setCurrentIndex(HeadUnitSelectorItem(*optionTree_));
    connect(veltrakSelect_, &QComboBox::activated, this,
            [this](int item) { SelectHeadUnitItem(*optionTree_, item); });
}

void TKLTMainForm::OpenPendingFiles() {
    if (openingPending_) {
        return; // a question while opening runs events; the outer call goes on
    }
    openingPending_ = true;
    while (!pendingFiles_.empty()) {
        const std::string path = pendingFiles_.back();
        pendingFiles_.pop_back();
        try {
            OpenTrainingFile(path);
        } catch (const std::exception& e) {
            OnCommandFailed(e);
        }
    }
    openingPending_ = false;
    if (tileOpened_ && !Documents().empty()) {
        tileOpened_ = false;
        ArrangeWindows(false, false);
    }
}

void TKLTMainForm::ConvertMemoryImage(const std::string& path) {
    klt::ConvertMemoryImage(path, TrainingLimits(ini_->SystemData), ini_->SystemData.DataBaseDir, Prompt(),
                            [this](const std::string& training) { OpenTrainingFile(training); });
}

void TKLTMainForm::OnCommandFailed(const std::exception& error) {
    Prompt().ShowMessage("Warning", error.what());
}

void TKLTMainForm::UpdateCommandStates() {
    QMdiSubWindow* current = mdiArea_->currentSubWindow();
    TKLTChildForm* document = ActiveDocument();
    const bool anyChild = current != nullptr;
    const bool hasDocument = document != nullptr;
    const bool anyWindow = !mdiArea_->subWindowList().isEmpty();
    for (QAction* action : {actions_.tileVertical, actions_.cascade, actions_.tileHorizontal, actions_.print,
                            actions_.printPdf, actions_.copyImage}) {
        action->setEnabled(anyChild);
    }
    for (QAction* action :
         {actions_.arrangeIcons, actions_.normalAll, actions_.minimizeAll, actions_.closeAll}) {
        action->setEnabled(anyWindow);
    }
    const std::pair<QAction*, TKLTGraphicType> views[] = {
        {actions_.singleRow, gtSingleRow},   {actions_.multiRow, gtMultiRow}, {actions_.analyse, gtAnalyse},
        {actions_.statistic, gtStatistical}, {actions_.ratio, gtRatio},       {actions_.edit, gtEdit}};
    for (const auto& [action, view] : views) {
        action->setEnabled(hasDocument);
        action->setChecked(hasDocument && document->View() == view);
    }
    for (QAction* action : {actions_.exportFile, actions_.properties, actions_.marker}) {
        action->setEnabled(hasDocument);
    }
    actions_.save->setEnabled(hasDocument && document->Document().Modified());
}

void TKLTMainForm::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (ini_ != nullptr &&
        (event->type() == QEvent::PaletteChange || event->type() == QEvent::LocaleChange)) {
        // New system colours or number formats: the diagrams take them and redraw.
        displayState_.palette = -1;
        ApplyDisplaySettings();
    }
}

void TKLTMainForm::closeEvent(QCloseEvent* event) {
    if (!CloseQueryAllTrainings() || !CloseAllWindows()) {
        event->ignore();
        return;
    }
    if (probePorts_ != nullptr && NeedsDisconnectWarning(ProbeVeltrakPorts(*probePorts_))) {
        Prompt().ShowMessage("Attention", std::string(kDisconnectVeltrakMessage));
    }
    event->accept();
}

void TKLTMainForm::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    }
}

void TKLTMainForm::dropEvent(QDropEvent* event) {
    std::vector<std::string> paths;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) {
            paths.push_back(url.toLocalFile().toStdString());
        }
    }
    event->acceptProposedAction();
    OpenTrainingFiles(paths);
}

void TKLTMainForm::ShowHint(const std::string& text) {
    statusBar()->showMessage(QString::fromStdString(text));
}

TKLTIniData& TKLTMainForm::Configuration() {
    return *ini_;
}

} // namespace klt
