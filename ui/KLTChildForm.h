#pragma once
// The window that shows one training: its current marker in one of the views, with marker tabs.
#include <QWidget>
#include <memory>
#include <string>

#include "analysis/DiagramInput.h"
#include "analysis/KLTGraphicType.h"
#include "app/KLTChildDocument.h"
#include "app/OptionData.h"
#include "core/KLTFileView.h"

class QPainter;
class QRect;
class QStackedWidget;

namespace klt {

class IDocumentHost;
class TDataEditFrame;
class TDiagramPaintBox;
class TKLTChart;
class TKLTFile;
class TMarkerTabBar;
class TStatisticsChartControl;

class TKLTChildForm : public QWidget,
                      public IKLTFileView,
                      private IChildDocumentWindow,
                      private IDiagramHost {
    Q_OBJECT

public:
    // Opens the training at path through the registry; throws what loading it throws.
    TKLTChildForm(const std::string& path, IDocumentHost& host, QWidget* parent = nullptr);
    ~TKLTChildForm() override;

    TKLTFile& File() const { return *file_; }
    int CurrentMarker() const { return document_->CurrentMarker(); }
    void SetCurrentMarker(int marker);
    TKLTGraphicType View() const { return document_->View(); }
    const TOptionData& Options() const { return document_->Options(); }
    TKLTChildDocument& Document() const { return *document_; }

    // Switches to the view, or toggles it when it is shown already; asks about pending edits of
    // the data editor first.
    void SetView(TKLTGraphicType view);
    void ApplyOptions(const TOptionData& options, bool force);

    // The Save command: writes the training (asking first when `ask`); false when cancelled.
    bool Save(bool ask);
    // Asks about unsaved changes of the training (when this is its last view) and of the data
    // editor; false when the user cancelled.
    bool CloseQuery();

    // The marker's caption with ";" and the view number when the training has several windows.
    std::string CaptionText() const;
    // Whether the view is drawn by a diagram (one line, multi line, analysis, distribution).
    bool IsPaintBoxView() const;
    // Draws the current view into the rectangle, for printing.
    void PrintTo(QPainter& painter, const QRect& page);
    // -2 no marker row, -1 no tab under the point, else the tab index (point in global coordinates).
    int MarkerTabAt(const QPoint& globalPos) const;

    void TrainingChanged(TKLTFile& file, int changes) override;
    void CloseView(TKLTFile& file) override;

    // The parts of the window, for the main window's commands and for tests.
    TDiagramPaintBox* PaintBox() const { return paintBox_; }
    TMarkerTabBar* MarkerTabs() const { return tabBar_; }
    TKLTChart* StatisticsChart() const { return statisticsChart_; }
    TDataEditFrame* DataEditor() const { return dataEditor_; }
    QWidget* CurrentViewWidget() const;

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // IChildDocumentWindow
    void RequestOptions(const TOptionData& options) override;
    void SetCaption(const std::string& caption) override;
    void SetMarkerTabs(const std::vector<std::string>& texts, int current) override;
    void ShowView(TKLTGraphicType view) override;
    void Repaint() override;
    void InvertSelection(int from, int to) override;
    void StatisticsChanged() override;
    void DataTableChanged() override;
    // IDiagramHost
    void SetHint(const std::string& text) override;
    void CreateMarkerFromSelection() override;

    void BuildParts();
    bool HandleKey(QKeyEvent* event);
    bool IsActiveDocument() const;
    void ApplyPaintBoxFont();
    void RefreshDataEditor();

    IDocumentHost& host_;
    TKLTFile* file_ = nullptr;
    std::unique_ptr<TKLTChildDocument> document_;
    QStackedWidget* views_ = nullptr;
    TDiagramPaintBox* paintBox_ = nullptr;
    TKLTChart* statisticsChart_ = nullptr;
    std::unique_ptr<TStatisticsChartControl> statistics_;
    TDataEditFrame* dataEditor_ = nullptr;
    TMarkerTabBar* tabBar_ = nullptr;
    bool forcedClose_ = false;
};

} // namespace klt
