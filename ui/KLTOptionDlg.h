#pragma once
// The options of a document's views and the program's display settings, on pages; nothing
// changes until OK, and then only the given options and the configuration (the caller applies);
// settings that cannot be taken keep the dialog open with a message.
#include <QDialog>

#include "app/OptionDialogModel.h"

class QCheckBox;
class QComboBox;
class QTabWidget;

namespace klt {

class TKLTIniData;
class TAnalyseOptionsPage;
class TDiagramOptionsPage;
class TPRComboBoxMesswertUnit;

class TKLTOptionDlg : public QDialog {
    Q_OBJECT

public:
    TKLTOptionDlg(TOptionData& options, TKLTIniData& configuration, QWidget* parent = nullptr);

    TOptionDialogModel& Model() { return model_; }
    QTabWidget& Pages() const { return *pages_; }
    TDiagramOptionsPage& DetailPage() const { return *detail_; }
    TDiagramOptionsPage& TrendPage() const { return *trend_; }
    TDiagramOptionsPage& MultiRowPage() const { return *multiRow_; }
    TAnalyseOptionsPage& AnalysisPage() const { return *analysis_; }
    TAnalyseOptionsPage& ConconiPage() const { return *conconi_; }

    void accept() override;

private:
    QWidget* CreateViewPage();
    QWidget* CreateUnitsPage();
    QWidget* CreateGeneralPage();
    QCheckBox* OptionBox(const QString& text, bool& value, QWidget* parent);

    TOptionData& options_;
    TKLTIniData& configuration_;
    TOptionDialogModel model_;
    QTabWidget* pages_ = nullptr;
    TDiagramOptionsPage* detail_ = nullptr;
    TDiagramOptionsPage* trend_ = nullptr;
    TDiagramOptionsPage* multiRow_ = nullptr;
    TAnalyseOptionsPage* analysis_ = nullptr;
    TAnalyseOptionsPage* conconi_ = nullptr;
};

} // namespace klt
