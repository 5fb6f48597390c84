#pragma once
// The program's frame window: the training documents in a multiple-document area, the menus, the
// speed-button bar and the status line, start-up and the closing questions.
#include <QMainWindow>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "analysis/KLTGraphicType.h"
#include "app/KLTMainClosing.h"
#include "app/KLTMainDocuments.h"
#include "app/KLTMainOptions.h"
#include "flow/UsbPoll.h"
#include "ui/DocumentHost.h"

class QAction;
class QComboBox;
class QEventLoop;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QPrinter;
class QSocketNotifier;
class QTimer;
class QToolBar;

namespace klt {

class TKLTIniFile;
class TOptionDataNew;
class TUsbClass;

class TKLTMainForm : public QMainWindow,
                     public IDocumentHost,
                     private IDocumentWindows,
                     private IOptionDocuments,
                     private IUsbPollView {
    Q_OBJECT

public:
    enum class TTextEdit { Cut, Copy, Paste };

    struct TStartup {
        std::string configurationPath;           // KLTWIN.CFG
        std::vector<std::string> arguments;      // training files and switches
        std::unique_ptr<IProbePorts> probePorts; // serial ports checked on closing; none: skipped
        std::string databaseDir; // when set, the training database whatever the configuration says
        bool tileOpened = false; // lay the command-line files out one above the other once open
        // The USB head unit watched from the first showing on; none: USB is not watched.
        std::unique_ptr<IUsbHeadUnit> usbHeadUnit;
    };

    explicit TKLTMainForm(TStartup startup, QWidget* parent = nullptr);
    ~TKLTMainForm() override;

    // Opens a training into a new document window; throws with the path in front.
    void OpenTrainingFile(const std::string& path);
    // Opens each file, reporting every failure on its own.
    void OpenTrainingFiles(const std::vector<std::string>& paths);
    // Opens the files given on the command line, the last one first.
    void OpenPendingFiles();
    // Prints the active document into a PDF file; false (the user told why) when that failed.
    bool PrintActiveDocumentTo(const QString& pdfPath);
    // Enables and checks the commands for the active window.
    void UpdateCommandStates();

    QMdiArea& MdiArea() const { return *mdiArea_; }
    // The document window of the current child; null when there is none or it is another kind.
    TKLTChildForm* ActiveDocument() const;
    std::vector<TKLTChildForm*> Documents() const;
    TKLTIniFile& Ini() const { return *ini_; }
    TKLTDocumentOpener& Opener() { return *opener_; }
    // The USB watch; null when USB is not watched.
    TUsbPoll* UsbPoll() const { return usbPoll_.get(); }
    // Runs a command that talks to the head unit: after the head-unit gate, with the USB watch
    // held off meanwhile. False when the gate stopped it.
    bool RunHeadUnitCommand(const std::function<void()>& command);
    // Runs a command with the USB watch held off meanwhile, without the gate.
    void RunWithUsbWatchPaused(const std::function<void()>& command);

    // IDocumentHost
    void ApplyOptions(const TOptionData& options) override;
    TKLTIniData& Configuration() override;
    TOptionDataNew& OptionTree() override { return *optionTree_; }
    void ShowHint(const std::string& text) override;
    void OpenOptionsDialog() override;
    void ShowDocumentPopup(TKLTChildForm& form, const QPoint& globalPos) override;
    void ShowMarkerPopup(TKLTChildForm& form, const QPoint& globalPos, int tabHit) override;
    void FileHistoryChanged() override;

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // IDocumentWindows
    void CreateDocumentWindow(const std::string& path) override;
    size_t DocumentWindowCount() const override;
    bool CloseDocumentWindow(IKLTFileView& view) override;
    void ProcessEvents() override;
    // IOptionDocuments
    bool ApplyDisplaySettings() override;
    void ApplyToAllDocuments(const TOptionData& options, bool force) override;
    void ApplyToActiveDocument(const TOptionData& options, bool force) override;
    // IUsbPollView (KLTMainFormUsb.cpp)
    void SetBusy(bool busy) override;
    void HeadUnitChanged() override;
    void OpenFirmwareWindow() override;
    void WaitForHeadUnit(int milliseconds) override;

    // Building (KLTMainFormMenus.cpp).
    QAction* NewAction(const char* name, const QString& text, const QString& hint, const QIcon& icon = {});
    void CreateActions();
    void CreateMenus();
    void CreateToolBar();
    void RebuildHistoryMenu();
    void RebuildWindowMenu();

    // Start-up steps (KLTMainForm.cpp).
    void LoadConfiguration(const std::string& path, const std::string& databaseDir);
    void LoadOptionTree();
    void InitHeadUnitSelector();
    void OnCommandFailed(const std::exception& error);
    void ConvertMemoryImage(const std::string& path);

    // The USB watch (KLTMainFormUsb.cpp).
    void CreateUsbWatch(std::unique_ptr<IUsbHeadUnit> headUnit);
    void RunUsbPoll();

    // Documents and windows (KLTMainFormDocuments.cpp).
    QMdiSubWindow* SubWindowOf(const QWidget& form) const;
    void ArrangeWindows(bool cascade, bool vertical);
    void ArrangeIcons();
    void SetAllWindowStates(Qt::WindowStates state);
    bool CloseAllWindows();

    // Commands (KLTMainFormCommands.cpp).
    void SetActiveView(TKLTGraphicType view);
    void SaveActiveDocument();
    void PrintActiveDocument();
    void PrintActiveDocumentToPdf();
    bool PrintTo(QPrinter& printer, TKLTChildForm& document);
    void CopyActiveWindowImage();
    void ExportActiveDocument();
    void ImportFiles();
    void ShowFileProperties();
    void EditCurrentMarker();
    void EditClipboard(TTextEdit edit);

    std::unique_ptr<IProbePorts> probePorts_;
    std::unique_ptr<TKLTIniFile> ini_;
    std::unique_ptr<TOptionDataNew> optionTree_;
    std::vector<std::string> pendingFiles_;
    bool tileOpened_ = false;
    std::unique_ptr<TKLTDocumentOpener> opener_;
    TForeignImportOptions importOptions_; // the import dialog's, kept for the next import
    TOptionsApplier optionsApplier_;
    TDisplayState displayState_;
    bool openingPending_ = false;

    std::unique_ptr<IUsbHeadUnit> usbHeadUnit_;
    std::unique_ptr<TUsbPoll> usbPoll_;
    std::unique_ptr<TUsbClass> usbClass_;
    QTimer* usbTimer_ = nullptr;
    QSocketNotifier* usbNotifier_ = nullptr;
    QLabel* usbStatus_ = nullptr;
    QEventLoop* gateWait_ = nullptr;

    QMdiArea* mdiArea_ = nullptr;
    QToolBar* speedPanel_ = nullptr;
    QComboBox* veltrakSelect_ = nullptr;
    QMenu* fileMenu_ = nullptr;
    QMenu* windowMenu_ = nullptr;
    QAction* historySeparator_ = nullptr;
    std::vector<QAction*> historyActions_;

    struct TActions {
        QAction *open, *import, *exportFile, *save, *properties, *print, *printPdf, *exit;
        QAction *cut, *copy, *paste, *marker;
        QAction *singleRow, *multiRow, *analyse, *statistic, *ratio, *edit, *periodic;
        QAction* options;
        QAction *download, *indicateState, *setup, *flashFirmware, *reset, *online, *telemetry, *upload;
        QAction *hrVariance, *competition; // hidden: shortcuts only
        QAction *cascade, *tileHorizontal, *tileVertical, *arrangeIcons, *normalAll, *minimizeAll, *closeAll;
        QAction *about, *copyImage;
    } actions_{};
};

} // namespace klt
