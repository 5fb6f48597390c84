// Document windows: opening, the window limit, arranging, options and the popup menus.
#include <QAction>
#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QStatusBar>
#include <QToolBar>

#include "app/KLTIni.h"
#include "app/KLTMainArrange.h"
#include "app/KLTMainMarkers.h"
#include "app/OptionDataUnit.h"
#include "core/KLTFile.h"
#include "core/TrainingEnvironment.h"
#include "ui/Dialogs.h"
#include "ui/KLTChildForm.h"
#include "ui/KLTMainForm.h"
#include "ui/MesswertDisplay.h"
#include "ui/ToolBarIcons.h"

namespace klt {
namespace {

constexpr int kCascadeStep = 28;

TRgb ToRgb(const QColor& colour) {
    return {static_cast<uint8_t>(colour.red()), static_cast<uint8_t>(colour.green()),
            static_cast<uint8_t>(colour.blue())};
}

} // namespace

void TKLTMainForm::OpenTrainingFile(const std::string& path) {
    opener_->OpenTrainingFile(path);
}

void TKLTMainForm::OpenTrainingFiles(const std::vector<std::string>& paths) {
    opener_->OpenTrainingFiles(paths);
}

TKLTChildForm* TKLTMainForm::ActiveDocument() const {
    QMdiSubWindow* current = mdiArea_->currentSubWindow();
    return current != nullptr ? qobject_cast<TKLTChildForm*>(current->widget()) : nullptr;
}

std::vector<TKLTChildForm*> TKLTMainForm::Documents() const {
    std::vector<TKLTChildForm*> documents;
    for (QMdiSubWindow* window : mdiArea_->subWindowList()) {
        if (auto* document = qobject_cast<TKLTChildForm*>(window->widget())) {
            documents.push_back(document);
        }
    }
    return documents;
}

QMdiSubWindow* TKLTMainForm::SubWindowOf(const QWidget& form) const {
    return qobject_cast<QMdiSubWindow*>(form.parentWidget());
}

void TKLTMainForm::CreateDocumentWindow(const std::string& path) {
    auto* form = new TKLTChildForm(path, *this);
    const size_t existing = static_cast<size_t>(mdiArea_->subWindowList().size());
    QMdiSubWindow* window = mdiArea_->addSubWindow(form);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowTitle(form->windowTitle());
    window->setWindowIcon(ToolGlyphIcon(TToolGlyph::SingleRow));
    // The frame closes with Ctrl+F4 only: Ctrl+W, its other standard key, switches a diagram's
    // marker bars.
    for (QAction* action : window->systemMenu()->actions()) {
        if (action->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::Key_W))) {
            action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F4));
        }
    }
    // New windows cascade from the top left, each a little further in.
    const QSize area = mdiArea_->viewport()->size();
    const TWindowRect place = CascadeRects(existing + 1, area.width(), area.height(), kCascadeStep).back();
    window->setGeometry(place.x, place.y, std::max(place.width, 480), std::max(place.height, 320));
    connect(form, &QWidget::windowTitleChanged, window, &QWidget::setWindowTitle);
    window->show();
    mdiArea_->setActiveSubWindow(window);
}

size_t TKLTMainForm::DocumentWindowCount() const {
    return Documents().size();
}

bool TKLTMainForm::CloseDocumentWindow(IKLTFileView& view) {
    auto* form = dynamic_cast<TKLTChildForm*>(&view);
    QMdiSubWindow* window = form != nullptr ? SubWindowOf(*form) : nullptr;
    if (window == nullptr || !window->close()) {
        return false;
    }
    delete window; // now, not later: the registry must see the view gone
    return true;
}

void TKLTMainForm::ProcessEvents() {
    QCoreApplication::processEvents();
}

bool TKLTMainForm::CloseAllWindows() {
    for (QMdiSubWindow* window : mdiArea_->subWindowList()) {
        if (!window->close()) {
            return false;
        }
        delete window;
    }
    UpdateCommandStates();
    return true;
}

void TKLTMainForm::ArrangeWindows(bool cascade, bool vertical) {
    QMdiSubWindow* active = mdiArea_->currentSubWindow();
    std::vector<QMdiSubWindow*> windows;
    std::vector<TArrangedWindow> entries;
    for (QMdiSubWindow* window : mdiArea_->subWindowList()) {
        if (window->isMinimized()) {
            continue;
        }
        auto* document = qobject_cast<TKLTChildForm*>(window->widget());
        windows.push_back(window);
        entries.push_back({document != nullptr, document != nullptr ? document->CaptionText()
                                                                    : window->windowTitle().toStdString()});
    }
    const std::vector<size_t> order = ArrangementOrder(entries);
    const QSize area = mdiArea_->viewport()->size();
    const std::vector<TWindowRect> rects =
        cascade ? CascadeRects(order.size(), area.width(), area.height(), kCascadeStep)
                : TileRects(order.size(), area.width(), area.height(), vertical);
    for (size_t i = 0; i < order.size(); ++i) {
        QMdiSubWindow* window = windows[order[i]];
        window->showNormal();
        window->setGeometry(rects[i].x, rects[i].y, rects[i].width, rects[i].height);
        window->raise();
    }
    if (active != nullptr) {
        mdiArea_->setActiveSubWindow(active);
    }
}

void TKLTMainForm::ArrangeIcons() {
    const int bottom = mdiArea_->viewport()->height();
    int x = 0;
    for (QMdiSubWindow* window : mdiArea_->subWindowList()) {
        if (window->isMinimized()) {
            window->move(x, bottom - window->height());
            x += window->width();
        }
    }
}

void TKLTMainForm::SetAllWindowStates(Qt::WindowStates state) {
    for (QMdiSubWindow* window : mdiArea_->subWindowList()) {
        state == Qt::WindowMinimized ? window->showMinimized() : window->showNormal();
    }
}

void TKLTMainForm::ApplyOptions(const TOptionData& options) {
    optionsApplier_.ApplyOptions(options, *ini_, *this);
}

bool TKLTMainForm::ApplyDisplaySettings() {
    const TDisplayChange change =
        klt::ApplyDisplaySettings(*ini_, displayState_, ToRgb(palette().color(QPalette::WindowText)));
    speedPanel_->setVisible(displayState_.speedbarVisible);
    statusBar()->setVisible(displayState_.statusLineVisible);
    if (change.redraw) {
        TMesswertDisplayNotifier::Instance().Notify();
    }
    return change.redraw;
}

void TKLTMainForm::ApplyToAllDocuments(const TOptionData& options, bool force) {
    const std::vector<TKLTChildForm*> documents = Documents();
    for (auto it = documents.rbegin(); it != documents.rend(); ++it) {
        (*it)->ApplyOptions(options, force);
    }
}

void TKLTMainForm::ApplyToActiveDocument(const TOptionData& options, bool force) {
    if (TKLTChildForm* document = ActiveDocument()) {
        document->ApplyOptions(options, force);
    }
}

void TKLTMainForm::OpenOptionsDialog() {
    TKLTChildForm* document = ActiveDocument();
    TOptionData options;
    options.Assign(document != nullptr ? document->Options() : ini_->OptionData);
    if (ExecuteOptionDialog(this, options, *ini_, *optionTree_)) {
        TrainingEnvironment().databaseDir = ini_->SystemData.DataBaseDir;
        ApplyOptions(options);
    }
}

void TKLTMainForm::ShowDocumentPopup(TKLTChildForm& form, const QPoint& globalPos) {
    if (QMdiSubWindow* window = SubWindowOf(form)) {
        mdiArea_->setActiveSubWindow(window);
    }
    UpdateCommandStates();
    const TActions& a = actions_;
    QMenu menu(this);
    menu.addActions({a.copyImage, a.properties, a.exportFile});
    menu.addSeparator();
    menu.addActions({a.singleRow, a.multiRow, a.analyse, a.statistic, a.ratio, a.edit, a.periodic});
    menu.addSeparator();
    menu.addAction(a.print);
    QAction* options = menu.addAction("&Options...");
    connect(options, &QAction::triggered, this, &TKLTMainForm::OpenOptionsDialog);
    menu.exec(globalPos);
}

void TKLTMainForm::ShowMarkerPopup(TKLTChildForm& form, const QPoint& globalPos, int tabHit) {
    const TMarkerPopupState state = MarkerPopupState(tabHit);
    QMenu menu(this);
    QAction* create = menu.addAction("&New...");
    QAction* edit = menu.addAction("&Edit...");
    edit->setShortcut(Qt::Key_F4);
    QAction* remove = menu.addAction("&Delete");
    create->setEnabled(state.canCreate);
    edit->setEnabled(state.canEdit);
    remove->setEnabled(state.canDelete);
    QAction* chosen = menu.exec(globalPos);
    TKLTFile& file = form.File();
    if (chosen == create) {
        SelectNewMarkerSample(file, tabHit);
        ExecuteMarkerDialog(this, file, -1, form.CurrentMarker());
    } else if (chosen == edit) {
        ExecuteMarkerDialog(this, file, tabHit, form.CurrentMarker());
    } else if (chosen == remove && ConfirmMarkerDeletion(file, tabHit)) {
        // Every window of the training moves off the marker before it goes.
        for (TKLTChildForm* document : Documents()) {
            if (&document->File() == &file) {
                document->SetCurrentMarker(CurrentMarkerAfterDeletion(document->CurrentMarker(), tabHit));
            }
        }
        DeleteMarker(file, tabHit);
    }
}

} // namespace klt
