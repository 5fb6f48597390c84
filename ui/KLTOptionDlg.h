#pragma once
// The options of a document's views and the program's display settings, on pages; nothing
// changes until OK, and then only the given options and the configuration (the caller applies);
// settings that cannot be taken keep the dialog open with a message.
#include <QDialog>
#include <memory>

#include "app/OptionDialogModel.h"
#include "app/RatioOptionsModel.h"

class QCheckBox;
class QComboBox;
class QTabWidget;

namespace klt {

class TKLTIniData;
class TAnalyseOptionsPage;
class TDiagramOptionsPage;
class TOptionDataNew;
class TRatioOptionsPage;
class TPRComboBoxMesswertUnit;

class TKLTOptionDlg : public QDialog {
    Q_OBJECT

public:
    // With the user's profile, a "Distribution" page edits its distribution settings; OK saves it.
    TKLTOptionDlg(TOptionData& options, TKLTIniData& configuration, TOptionDataNew* optionTree = nullptr,
                  QWidget* parent = nullptr);

    TOptionDialogModel& Model() { return model_; }
    QTabWidget& Pages() const { return *pages_; }
    TDiagramOptionsPage& DetailPage() const { return *detail_; }
    TDiagramOptionsPage& TrendPage() const { return *trend_; }
    TDiagramOptionsPage& MultiRowPage() const { return *multiRow_; }
    TRatioOptionsPage* RatioPage() const { return ratioPage_; }
    // Whether OK changed the profile's distribution settings.
    bool RatioChanged() const { return ratioChanged_; }
    TAnalyseOptionsPage& AnalysisPage() const { return *analysis_; }
    TAnalyseOptionsPage& ConconiPage() const { return *conconi_; }

    void accept() override;

private:
    QWidget* CreateViewPage();
    QWidget* CreateUnitsPage();
    QWidget* CreateGeneralPage();
    QCheckBox* OptionBox(const QString& text, bool& value, QWidget* parent);
    // The page's values into the profile, saved when they changed; whether they did.
    bool TakeRatioOptions();

    TOptionData& options_;
    TKLTIniData& configuration_;
    TOptionDialogModel model_;
    QTabWidget* pages_ = nullptr;
    TDiagramOptionsPage* detail_ = nullptr;
    TDiagramOptionsPage* trend_ = nullptr;
    TDiagramOptionsPage* multiRow_ = nullptr;
    TOptionDataNew* optionTree_;
    std::unique_ptr<TRatioOptionsModel> ratio_;
    TRatioOptionsPage* ratioPage_ = nullptr;
    bool ratioChanged_ = false;
    TAnalyseOptionsPage* analysis_ = nullptr;
    TAnalyseOptionsPage* conconi_ = nullptr;
};

} // namespace klt
