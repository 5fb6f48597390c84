// The menus, the speed-button bar and the lists the menus show: recent files and windows.
#include <QAction>
#include <QApplication>
#include <QGuiApplication>
#include <QComboBox>
#include <QKeySequence>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QStyle>
#include <QToolBar>
#include <filesystem>

#include "app/KLTIni.h"
#include "app/KLTMainStartup.h"
#include "core/KLTFile.h"
#include "core/KLTFileRegistry.h"
#include "core/Texts.h"
#include "ui/Dialogs.h"
#include "ui/KLTChildForm.h"
#include "ui/KLTMainForm.h"
#include "ui/ToolBarIcons.h"

namespace klt {
namespace {

constexpr int kHistoryMenuEntries = 10;
const QString kNotAvailableYet = "Head-unit communication is not available yet";

QIcon StandardIcon(QStyle::StandardPixmap pixmap) {
    return QApplication::style()->standardIcon(pixmap);
}

// The description a recent file is listed with; empty when it cannot be read.
std::string HistoryDescription(const std::string& path) {
    try {
        TKLTFile file(path);
        file.ReadHeader();
        return file.MarkerDescription(0, TDateForm::Short, false);
    } catch (const std::exception&) {
        return {};
    }
}

bool IsShownInWindow(const std::string& path) {
    const TKLTFile* file = KLTFileRegistry().Find(path);
    return file != nullptr && !file->Views().empty();
}

} // namespace

QAction* TKLTMainForm::NewAction(const char* name, const QString& text, const QString& hint,
                                 const QIcon& icon) {
    auto* action = new QAction(icon, text, this);
    action->setObjectName(name);
    action->setStatusTip(hint);
    QString tip = text;
    tip.remove('&');
    tip.remove("...");
    action->setToolTip(tip);
    return action;
}

void TKLTMainForm::CreateActions() {
    TActions& a = actions_;
    a.open = NewAction("FileOpenItem", "&Open...", "Open trainings of the training database",
                       StandardIcon(QStyle::SP_DialogOpenButton));
    a.open->setShortcut(QKeySequence::Open);
    a.import = NewAction("FileImportItem", "&Import...", "Store training files in the training database");
    a.exportFile = NewAction("FileExportItem", "E&xport...", "Write the training to a file of its own");
    a.save =
        NewAction("FileSaveItem", "&Save", "Save the training", StandardIcon(QStyle::SP_DialogSaveButton));
    a.save->setShortcut(QKeySequence::Save);
    a.properties = NewAction("FilePropertyItem", "P&roperties...",
                             "Date, time, comment and calibration of the training");
    a.print =
        NewAction("FilePrintItem", "&Print...", "Print the active window", ToolGlyphIcon(TToolGlyph::Print));
    a.print->setShortcut(QKeySequence::Print);
    a.printPdf = NewAction("FilePrintPdfItem", "Print to P&DF...", "Print the active window into a PDF file");
    a.exit = NewAction("FileExitItem", "E&xit", "End the program");
    // Ctrl+Q and Ctrl+X belong to the diagrams (marker values, helper lines): the standard keys of
    // Quit and Cut would end the program or swallow them.
    a.exit->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Q));

    a.cut = NewAction("EditCutItem", "Cu&t", "Cut the text of the focused field");
    a.cut->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_Delete));
    a.copy = NewAction("EditCopyItem", "&Copy", "Copy the text of the focused field");
    a.copy->setShortcut(QKeySequence::Copy);
    a.paste = NewAction("EditPasteItem", "&Paste", "Paste text into the focused field");
    a.paste->setShortcut(QKeySequence::Paste);
    a.marker = NewAction("EditMarkerItem", "&Marker...", "Edit the shown marker");
    a.marker->setShortcut(Qt::Key_F4);

    a.singleRow = NewAction("ViewSingleRowItem", "&One line", "Show the training in one diagram",
                            ToolGlyphIcon(TToolGlyph::SingleRow));
    a.multiRow = NewAction("ViewMultiRowItem", "&Multi line", "Show each value in a diagram of its own",
                           ToolGlyphIcon(TToolGlyph::MultiRow));
    a.analyse = NewAction("ViewKLTAnalyseItem", "&Analysis", "Heart rate over power",
                          ToolGlyphIcon(TToolGlyph::Analyse));
    a.statistic = NewAction("StatisticButton", "&Statistic", "Statistics of the shown marker",
                            ToolGlyphIcon(TToolGlyph::Statistic));
    a.ratio = NewAction("RatioSpeedButton", "Proportion", "Distribution of the values (New Statistic)",
                        ToolGlyphIcon(TToolGlyph::Ratio));
    a.ratio->setToolTip("New Statistic");
    a.edit = NewAction("EditDataButton", "&Edit", "Edit the samples of the training",
                       ToolGlyphIcon(TToolGlyph::EditData));
    a.edit->setToolTip("Edit data");
    for (QAction* view : {a.singleRow, a.multiRow, a.analyse, a.statistic, a.ratio, a.edit}) {
        view->setCheckable(true);
    }
    a.periodic = NewAction("PeriodicButton", "&Periodic",
                           "Training history over days, weeks and months (not available yet)",
                           ToolGlyphIcon(TToolGlyph::Periodic));
    a.periodic->setEnabled(false);

    a.options = NewAction("ViewOptionsItem", "&Options", "Options of the diagrams and the program");
    a.options->setShortcut(Qt::Key_F12);

    a.download = NewAction("VeltrakReadDataItem", "Save &data",
                           "Read the trainings of the Veltrak into the training database (Shift: whole memory)",
                           ToolGlyphIcon(TToolGlyph::Download));
    // Shift+F11 reads the whole memory of a serial head unit, or offers the trainings of a USB one.
    a.download->setShortcuts({QKeySequence(Qt::Key_F11), QKeySequence(Qt::SHIFT | Qt::Key_F11)});
    a.download->setToolTip("Download Data");
    a.indicateState = NewAction("VeltrakStatus", "&Indicate state", "Live values and clock of the Veltrak");
    a.setup = NewAction("VeltrakSetupItem", "&Setup...", kNotAvailableYet, ToolGlyphIcon(TToolGlyph::Setup));
    a.setup->setToolTip("Setup of Veltrak");
    a.flashFirmware = NewAction("FlashFirmware1", "FlashFirmware", kNotAvailableYet);
    a.reset = NewAction("ResetVTVISpeedButton", "Reset of Veltrak", "Restart the Veltrak on USB");
    a.online = NewAction("OnlineButton", "Online", "Live ergometer: ride a program on the ergometer",
                         ToolGlyphIcon(TToolGlyph::Online));
    a.telemetry = NewAction("TeleButton", "Telemetry", "Live values of two riders sent by radio",
                            ToolGlyphIcon(TToolGlyph::Online));
    a.telemetry->setVisible(false);
    // Commands of the trade-fair stand, on no menu or toolbar.
    a.hrVariance = NewAction("HRVariance", "HRVariance", "Heart-rate variability of the rider on the Veltrak");
    a.hrVariance->setShortcut(Qt::CTRL | Qt::SHIFT | Qt::Key_H);
    a.competition = NewAction("CompetitionButton", "Competition", "Two riders race on telemetry");
    a.competition->setShortcut(Qt::CTRL | Qt::SHIFT | Qt::Key_C);
    addActions({a.hrVariance, a.competition});
    a.upload =
        NewAction("UploadSpeedButton", "Send Data to Server",
                  "Synchronise with the server (not available yet)", ToolGlyphIcon(TToolGlyph::Upload));
    // The reset follows the USB head unit; the others wait for their dialogs.
    for (QAction* later : {a.setup, a.flashFirmware, a.reset, a.upload}) {
        later->setEnabled(false);
    }

    a.cascade = NewAction("WindowCascadeItem", "C&ascade", "Arrange the windows overlapping");
    a.tileHorizontal = NewAction("WindowTileHorizontalItem", "Tile &Horizontally",
                                 "Arrange the windows one below the other");
    a.tileVertical =
        NewAction("WindowTileVerticalItem", "Tile &Vertically", "Arrange the windows side by side");
    a.arrangeIcons = NewAction("WindowArrangeItem", "Arrange &Icons", "Line up the minimised windows");
    a.normalAll = NewAction("WindowAllNormalItem", "&Normal all", "Restore every window");
    a.minimizeAll = NewAction("WindowAllMinimizeItem", "S&ymbols all", "Minimise every window");
    a.closeAll = NewAction("WindowAllCloseItem", "&Close all", "Close every window");
    a.about = NewAction("HelpAboutItem", "A&bout...", "About the KLT Training System");
    a.copyImage = NewAction("CopyBtn", "&Copy", "Copy the active window to the clipboard as a picture",
                            ToolGlyphIcon(TToolGlyph::Copy));

    connect(a.open, &QAction::triggered, this, [this] {
        ExecuteFileOpenDialog(this, *ini_, [this](const std::string& path) { OpenTrainingFiles({path}); });
    });
    connect(a.import, &QAction::triggered, this, &TKLTMainForm::ImportFiles);
    connect(a.exportFile, &QAction::triggered, this, &TKLTMainForm::ExportActiveDocument);
    connect(a.save, &QAction::triggered, this, &TKLTMainForm::SaveActiveDocument);
    connect(a.properties, &QAction::triggered, this, &TKLTMainForm::ShowFileProperties);
    connect(a.print, &QAction::triggered, this, &TKLTMainForm::PrintActiveDocument);
    connect(a.printPdf, &QAction::triggered, this, &TKLTMainForm::PrintActiveDocumentToPdf);
    connect(a.exit, &QAction::triggered, this, &QWidget::close);
    connect(a.cut, &QAction::triggered, this, [this] { EditClipboard(TTextEdit::Cut); });
    connect(a.copy, &QAction::triggered, this, [this] { EditClipboard(TTextEdit::Copy); });
    connect(a.paste, &QAction::triggered, this, [this] { EditClipboard(TTextEdit::Paste); });
    connect(a.marker, &QAction::triggered, this, &TKLTMainForm::EditCurrentMarker);
    const std::pair<QAction*, TKLTGraphicType> views[] = {
        {a.singleRow, gtSingleRow},   {a.multiRow, gtMultiRow}, {a.analyse, gtAnalyse},
        {a.statistic, gtStatistical}, {a.ratio, gtRatio},       {a.edit, gtEdit}};
    for (const auto& [action, view] : views) {
        connect(action, &QAction::triggered, this, [this, view = view] { SetActiveView(view); });
    }
    connect(a.options, &QAction::triggered, this, &TKLTMainForm::OpenOptionsDialog);
    connect(a.download, &QAction::triggered, this, [this] {
        const bool wholeMemory = QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ShiftModifier);
        RunHeadUnitCommand([&] {
            ExecuteVeltrakReadDataDialog(
                this, *ini_, *optionTree_, wholeMemory, [this] { OpenOptionsDialog(); },
                [this](const std::vector<std::string>& paths) { OpenTrainingFiles(paths); });
        });
    });
    connect(a.indicateState, &QAction::triggered, this,
            [this] { RunHeadUnitCommand([this] { ExecuteVeltrakStateDialog(this, *ini_, *optionTree_); }); });
    const auto openStored = [this](const std::string& path) { OpenTrainingFiles({path}); };
    connect(a.online, &QAction::triggered, this, [this, openStored] {
        RunHeadUnitCommand([&] { ExecuteLiveWindow(this, *ini_, *optionTree_, false, false, openStored); });
    });
    connect(a.telemetry, &QAction::triggered, this, [this, openStored] {
        RunWithUsbWatchPaused([&] { ExecuteLiveWindow(this, *ini_, *optionTree_, true, false, openStored); });
    });
    connect(a.competition, &QAction::triggered, this, [this, openStored] {
        RunWithUsbWatchPaused([&] { ExecuteLiveWindow(this, *ini_, *optionTree_, true, true, openStored); });
    });
    connect(a.hrVariance, &QAction::triggered, this,
            [this] { RunHeadUnitCommand([this] { ExecuteHRVarianceWindow(this, *ini_, *optionTree_); }); });
    connect(a.cascade, &QAction::triggered, this, [this] { ArrangeWindows(true, false); });
    connect(a.tileHorizontal, &QAction::triggered, this, [this] { ArrangeWindows(false, false); });
    connect(a.tileVertical, &QAction::triggered, this, [this] { ArrangeWindows(false, true); });
    connect(a.arrangeIcons, &QAction::triggered, this, &TKLTMainForm::ArrangeIcons);
    connect(a.normalAll, &QAction::triggered, this, [this] { SetAllWindowStates(Qt::WindowNoState); });
    connect(a.minimizeAll, &QAction::triggered, this, [this] { SetAllWindowStates(Qt::WindowMinimized); });
    connect(a.closeAll, &QAction::triggered, this, &TKLTMainForm::CloseAllWindows);
    connect(a.reset, &QAction::triggered, this, [this] {
        if (usbPoll_ != nullptr) {
            usbPoll_->ResetHeadUnit();
        }
    });
    connect(a.about, &QAction::triggered, this, [this] { ExecuteInfoDialog(this); });
    connect(a.copyImage, &QAction::triggered, this, &TKLTMainForm::CopyActiveWindowImage);
}

void TKLTMainForm::CreateMenus() {
    const TActions& a = actions_;
    fileMenu_ = menuBar()->addMenu("&File");
    fileMenu_->addActions({a.open, a.import, a.exportFile});
    fileMenu_->addSeparator();
    fileMenu_->addActions({a.save, a.properties});
    fileMenu_->addSeparator();
    fileMenu_->addActions({a.print, a.printPdf});
    historySeparator_ = fileMenu_->addSeparator();
    for (int i = 0; i < kHistoryMenuEntries; ++i) {
        QAction* entry = fileMenu_->addAction(QString());
        entry->setObjectName(QString("FileHistItem%1").arg(i + 1));
        entry->setVisible(false);
        connect(entry, &QAction::triggered, this,
                [this, entry] { OpenTrainingFiles({entry->data().toString().toStdString()}); });
        historyActions_.push_back(entry);
    }
    fileMenu_->addSeparator();
    fileMenu_->addAction(a.exit);
    connect(fileMenu_, &QMenu::aboutToShow, this, &TKLTMainForm::RebuildHistoryMenu);

    QMenu* edit = menuBar()->addMenu("&Edit");
    edit->addActions({a.cut, a.copy, a.paste});
    edit->addSeparator();
    edit->addAction(a.marker);

    QMenu* view = menuBar()->addMenu("&View");
    view->addActions({a.singleRow, a.multiRow, a.analyse, a.statistic, a.ratio, a.edit});
    view->addSeparator();
    view->addActions({a.periodic, a.copyImage});

    QMenu* options = menuBar()->addMenu("&Options");
    options->addAction(a.options);

    QMenu* veltrak = menuBar()->addMenu("&Veltrak");
    veltrak->addActions({a.download, a.indicateState, a.setup, a.flashFirmware, a.reset});

    windowMenu_ = menuBar()->addMenu("&Window");
    connect(windowMenu_, &QMenu::aboutToShow, this, &TKLTMainForm::RebuildWindowMenu);
    RebuildWindowMenu();

    QMenu* help = menuBar()->addMenu("&Help");
    help->addAction(a.about);
}

void TKLTMainForm::CreateToolBar() {
    const TActions& a = actions_;
    speedPanel_ = addToolBar("Speed buttons");
    speedPanel_->setObjectName("SpeedPanel");
    speedPanel_->setMovable(false);
    speedPanel_->setIconSize(QSize(24, 24));
    speedPanel_->addActions({a.open, a.save, a.print, a.copyImage});
    speedPanel_->addSeparator();
    speedPanel_->addActions({a.singleRow, a.multiRow, a.analyse, a.statistic, a.ratio, a.edit, a.periodic});
    speedPanel_->addSeparator();
    speedPanel_->addActions({a.download, a.setup, a.online, a.telemetry, a.upload, a.reset});
    speedPanel_->addSeparator();
    veltrakSelect_ = new QComboBox(speedPanel_);
    veltrakSelect_->setObjectName("VeltrakSelectComboBox");
    veltrakSelect_->setEditable(false);
    for (std::string_view item : kHeadUnitSelectorItems) {
        veltrakSelect_->addItem(QString::fromUtf8(item.data(), static_cast<qsizetype>(item.size())));
    }
    veltrakSelect_->setToolTip("Veltrak generation");
    veltrakSelect_->setStatusTip("The generation of the Veltrak on the serial port");
    speedPanel_->addWidget(veltrakSelect_);
}

void TKLTMainForm::RebuildHistoryMenu() {
    if (ini_ == nullptr) {
        return;
    }
    size_t shown = 0;
    for (const std::string& path : ini_->FileHistory.Items()) {
        if (shown == historyActions_.size()) {
            break;
        }
        if (IsShownInWindow(path)) {
            continue;
        }
        const std::string description = HistoryDescription(path);
        if (description.empty()) {
            continue;
        }
        QAction* entry = historyActions_[shown++];
        entry->setText(QString("&%1 %2").arg(shown % 10).arg(QString::fromStdString(description)));
        entry->setData(QString::fromStdString(path));
        entry->setStatusTip(QString::fromStdString(FormatText(LoadText(286), {path})));
        entry->setVisible(true);
    }
    for (size_t i = shown; i < historyActions_.size(); ++i) {
        historyActions_[i]->setVisible(false);
    }
    historySeparator_->setVisible(shown > 0);
}

void TKLTMainForm::FileHistoryChanged() {
    RebuildHistoryMenu();
}

void TKLTMainForm::RebuildWindowMenu() {
    const TActions& a = actions_;
    windowMenu_->clear();
    windowMenu_->addActions({a.cascade, a.tileHorizontal, a.tileVertical, a.arrangeIcons});
    windowMenu_->addSeparator();
    windowMenu_->addActions({a.normalAll, a.minimizeAll, a.closeAll});
    const QList<QMdiSubWindow*> windows = mdiArea_->subWindowList();
    if (!windows.isEmpty()) {
        windowMenu_->addSeparator();
    }
    int number = 0;
    for (QMdiSubWindow* window : windows) {
        ++number;
        const QString prefix = number < 10 ? QString("&%1 ").arg(number) : QString("%1 ").arg(number);
        QAction* entry = windowMenu_->addAction(prefix + window->windowTitle());
        entry->setCheckable(true);
        entry->setChecked(window == mdiArea_->currentSubWindow());
        connect(entry, &QAction::triggered, this, [this, window] { mdiArea_->setActiveSubWindow(window); });
    }
}

} // namespace klt
