#include "ui/KLTChildForm.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPainter>
#include <QStackedWidget>
#include <QTableView>
#include <QVBoxLayout>

#include "app/KLTIniData.h"
#include "app/OptionDataUnit.h"
#include "core/KLTFile.h"
#include "ui/DataEditFrame.h"
#include "ui/DiagramPaintBox.h"
#include "ui/Dialogs.h"
#include "ui/DocumentHost.h"
#include "ui/InputMapping.h"
#include "ui/KLTChart.h"
#include "ui/MarkerTabBar.h"
#include "ui/MesswertDisplay.h"
#include "ui/StatisticsChartControl.h"

namespace klt {
namespace {

class TBusyCursor {
public:
    TBusyCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TBusyCursor() { QGuiApplication::restoreOverrideCursor(); }
    TBusyCursor(const TBusyCursor&) = delete;
    TBusyCursor& operator=(const TBusyCursor&) = delete;
};

} // namespace

TKLTChildForm::TKLTChildForm(const std::string& path, IDocumentHost& host, QWidget* parent)
    : QWidget(parent), host_(host) {
    const TBusyCursor busy;
    BuildParts();
    try {
        IChildDocumentWindow& window = *this;
        document_ = std::make_unique<TKLTChildDocument>(path, this, window, host_.Configuration(),
                                                        host_.OptionTree());
    } catch (...) {
        host_.FileHistoryChanged();
        throw;
    }
    file_ = &document_->File();
    host_.FileHistoryChanged();
    statistics_ = std::make_unique<TStatisticsChartControl>(
        *statisticsChart_, host_.OptionTree().Sets().StatisticChartOptionSet);
    statisticsChart_->SetControl(statistics_.get());
    paintBox_->SetDocument(document_.get(), this, [this] { return IsActiveDocument(); });

    TOptionData start;
    start.Assign(document_->Options());
    document_->ApplyOptions(start, true);
    document_->EndUpdate(); // the first paint
}

TKLTChildForm::~TKLTChildForm() {
    statisticsChart_->SetControl(nullptr);
    paintBox_->SetDocument(nullptr, nullptr, {});
    delete dataEditor_; // it edits the document's table
    dataEditor_ = nullptr;
    document_.reset(); // unregisters from the training
    host_.FileHistoryChanged();
}

void TKLTChildForm::BuildParts() {
    views_ = new QStackedWidget(this);
    paintBox_ = new TDiagramPaintBox(views_);
    statisticsChart_ = new TKLTChart(views_);
    tabBar_ = new TMarkerTabBar(this);
    for (QWidget* part : {static_cast<QWidget*>(paintBox_), static_cast<QWidget*>(statisticsChart_)}) {
        views_->addWidget(part);
        part->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(part, &QWidget::customContextMenuRequested, this,
                [this, part](const QPoint& pos) { host_.ShowDocumentPopup(*this, part->mapToGlobal(pos)); });
    }
    for (QWidget* part : {static_cast<QWidget*>(statisticsChart_), static_cast<QWidget*>(tabBar_)}) {
        part->installEventFilter(this);
    }
    paintBox_->installEventFilter(this);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(views_, 1);
    layout->addWidget(tabBar_);
    setFocusPolicy(Qt::StrongFocus);
    resize(640, 420);

    // Units, palette or number format changed: every value on show is drawn anew.
    connect(&TMesswertDisplayNotifier::Instance(), &TMesswertDisplayNotifier::Changed, this, [this] {
        Repaint();
        StatisticsChanged();
    });
    connect(paintBox_, &TDiagramPaintBox::DoubleClicked, this, [this] {
        document_->CollapseSelection();
        host_.OpenOptionsDialog();
    });
    connect(tabBar_, &QTabBar::currentChanged, this, [this](int index) {
        if (document_ != nullptr && index >= 0) {
            document_->SelectTab(index);
        }
    });
    connect(tabBar_, &TMarkerTabBar::TabHovered, this, [this](int index) {
        if (document_ != nullptr) {
            host_.ShowHint(document_->PreviewTab(index));
        }
    });
    connect(tabBar_, &TMarkerTabBar::TabsLeft, this, [this] {
        if (document_ != nullptr) {
            document_->EndPreview();
            host_.ShowHint({});
        }
    });
    tabBar_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(tabBar_, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        const QPoint global = tabBar_->mapToGlobal(pos);
        host_.ShowMarkerPopup(*this, global, MarkerTabAt(global));
    });
}

void TKLTChildForm::SetCurrentMarker(int marker) {
    document_->SetCurrentMarker(marker);
}

void TKLTChildForm::SetView(TKLTGraphicType view) {
    document_->SetView(view);
}

void TKLTChildForm::ApplyOptions(const TOptionData& options, bool force) {
    document_->ApplyOptions(options, force);
}

bool TKLTChildForm::Save(bool ask) {
    return document_->Save(ask);
}

bool TKLTChildForm::CloseQuery() {
    return document_->CloseQuery();
}

std::string TKLTChildForm::CaptionText() const {
    return document_->CaptionText();
}

bool TKLTChildForm::IsPaintBoxView() const {
    return TKLTChildDocument::IsPaintBoxView(View());
}

QWidget* TKLTChildForm::CurrentViewWidget() const {
    return View() == gtEdit ? static_cast<QWidget*>(dataEditor_) : views_->currentWidget();
}

void TKLTChildForm::PrintTo(QPainter& painter, const QRect& page) {
    if (IsPaintBoxView()) {
        paintBox_->Render(painter, page, false);
    } else if (View() == gtStatistical) {
        statisticsChart_->render(&painter, QRectF(page));
    } else if (QWidget* widget = CurrentViewWidget(); widget != nullptr && widget->width() > 0) {
        // Other views print as they look, scaled into the page.
        painter.save();
        painter.translate(page.topLeft());
        const double scale = std::min(static_cast<double>(page.width()) / widget->width(),
                                      static_cast<double>(page.height()) / std::max(widget->height(), 1));
        painter.scale(scale, scale);
        widget->render(&painter);
        painter.restore();
    }
}

int TKLTChildForm::MarkerTabAt(const QPoint& globalPos) const {
    if (document_ == nullptr || (View() != gtSingleRow && View() != gtMultiRow) || !tabBar_->isVisible()) {
        return -2;
    }
    const int index = tabBar_->tabAt(tabBar_->mapFromGlobal(globalPos));
    return index < 0 || index >= file_->MarkerCount() ? -1 : index;
}

// --- Notifications from the training ---

void TKLTChildForm::TrainingChanged(TKLTFile&, int changes) {
    if (document_ != nullptr) { // the file greets a view still being built; the document knows
        document_->TrainingChanged(changes);
    }
}

void TKLTChildForm::CloseView(TKLTFile& file) {
    // The training goes away: no questions, and it must not count this window any longer.
    forcedClose_ = true;
    file.RemoveView(this);
    if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget())) {
        frame->close();
    } else {
        close();
    }
}

void TKLTChildForm::closeEvent(QCloseEvent* event) {
    if (forcedClose_ || CloseQuery()) {
        event->accept();
    } else {
        event->ignore();
    }
}

// --- Keys: the window takes them before its controls ---

bool TKLTChildForm::HandleKey(QKeyEvent* event) {
    if (document_ == nullptr) {
        return false;
    }
    if (View() == gtEdit) {
        if (event->key() == Qt::Key_F2 || event->key() == Qt::Key_F3) {
            return false;
        }
        return dataEditor_->HandleKey(event);
    }
    const int key = VirtualKey(event->key());
    return key != 0 && document_->KeyDown(key, ShiftState(event->modifiers(), Qt::NoButton));
}

void TKLTChildForm::keyPressEvent(QKeyEvent* event) {
    if (!HandleKey(event)) {
        QWidget::keyPressEvent(event);
    }
}

bool TKLTChildForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && HandleKey(static_cast<QKeyEvent*>(event))) {
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

bool TKLTChildForm::IsActiveDocument() const {
    if (QApplication::activeWindow() == nullptr || !isActiveWindow()) {
        return false;
    }
    auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget());
    return frame == nullptr || frame->mdiArea() == nullptr || frame->mdiArea()->activeSubWindow() == frame;
}

// --- What the document asks of the window ---

void TKLTChildForm::RequestOptions(const TOptionData& options) {
    host_.ApplyOptions(options);
}

void TKLTChildForm::SetCaption(const std::string& caption) {
    setWindowTitle(QString::fromStdString(caption));
}

void TKLTChildForm::SetMarkerTabs(const std::vector<std::string>& texts, int current) {
    std::vector<QString> tabs;
    for (const std::string& text : texts) {
        tabs.push_back(QString::fromStdString(text).replace(QLatin1Char('&'), QLatin1String("&&")));
    }
    tabBar_->SetTabs(tabs, current);
    for (int i = 0; i < tabBar_->count(); ++i) {
        tabBar_->setTabToolTip(i, QString::fromStdString(document_->MarkerInfoText(i)));
    }
    RefreshDataEditor(); // the editor keeps to the current marker's samples
}

void TKLTChildForm::ApplyPaintBoxFont() {
    const TKLTGraphicData& graphic = document_->Options().GraphicData;
    if (graphic.UseDefaultFont) {
        paintBox_->setFont(font());
        return;
    }
    QFont chosen(QString::fromStdString(graphic.DefaultFont.Name), graphic.DefaultFont.Size);
    chosen.setBold((graphic.DefaultFont.Style & (1u << fsBold)) != 0);
    chosen.setItalic((graphic.DefaultFont.Style & (1u << fsItalic)) != 0);
    chosen.setUnderline((graphic.DefaultFont.Style & (1u << fsUnderline)) != 0);
    chosen.setStrikeOut((graphic.DefaultFont.Style & (1u << fsStrikeOut)) != 0);
    paintBox_->setFont(chosen);
}

void TKLTChildForm::ShowView(TKLTGraphicType view) {
    switch (view) {
    case gtSingleRow:
    case gtMultiRow:
    case gtAnalyse:
    case gtRatio:
        ApplyPaintBoxFont();
        paintBox_->setCursor(view == gtSingleRow || view == gtMultiRow ? Qt::CrossCursor : Qt::ArrowCursor);
        views_->setCurrentWidget(paintBox_);
        paintBox_->Invalidate();
        break;
    case gtStatistical:
        views_->setCurrentWidget(statisticsChart_);
        StatisticsChanged();
        break;
    case gtEdit:
        if (dataEditor_ == nullptr) {
            dataEditor_ = new TDataEditFrame(document_->DataEdit(), views_);
            views_->addWidget(dataEditor_);
            connect(dataEditor_, &TDataEditFrame::ContextMenuRequested, this,
                    [this](const QPoint& global) { host_.ShowDocumentPopup(*this, global); });
        }
        views_->setCurrentWidget(dataEditor_);
        RefreshDataEditor();
        break;
    default:
        break;
    }
}

void TKLTChildForm::Repaint() {
    paintBox_->Invalidate();
}

void TKLTChildForm::InvertSelection(int from, int to) {
    paintBox_->InvertSelection(from, to);
}

void TKLTChildForm::StatisticsChanged() {
    if (document_ == nullptr || View() != gtStatistical) {
        return; // computed when the view is shown
    }
    statistics_->SetOptions(host_.OptionTree().Sets().StatisticChartOptionSet,
                            host_.Configuration().SystemData.UnitsSPD);
    statistics_->Compute(*file_, document_->CurrentMarker());
}

void TKLTChildForm::RefreshDataEditor() {
    if (dataEditor_ == nullptr || View() != gtEdit) {
        return;
    }
    int first = 1;
    int last = std::max(document_->TrainingData().SampleCount(), 1);
    if (document_->CurrentMarker() < file_->MarkerCount()) {
        const TKLTMarker& marker = file_->Marker(document_->CurrentMarker());
        first = std::max(marker.first, 1);
        last = std::max(marker.last, first);
    }
    dataEditor_->Refresh(host_.Configuration().OptionData.DiagrammEinZDetail, first, last);
    dataEditor_->Grid()->setFocus();
}

void TKLTChildForm::DataTableChanged() {
    RefreshDataEditor();
}

// --- What the diagram asks of the window ---

void TKLTChildForm::SetHint(const std::string& text) {
    host_.ShowHint(text);
}

void TKLTChildForm::CreateMarkerFromSelection() {
    ExecuteMarkerDialog(this, *file_, -1, document_->CurrentMarker());
}

} // namespace klt
