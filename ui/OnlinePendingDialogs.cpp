// Stand-ins for the live mode's dialogs until they arrive.
#include "ui/CompetitionForm.h"
#include "ui/DemoResultsForm.h"
#include "ui/HRVarForm.h"
#include "ui/OnlineOptionsDlg.h"
#include "ui/OnlineSaveDataDialog.h"
#include "ui/OnlineUserDlg.h"

namespace klt {

TOnlineOptionsDlg::TOnlineOptionsDlg(TOnlineOptions&, const std::string&, QWidget* parent)
    : QDialog(parent) {}

std::optional<TSaveDetails> TOnlineSaveDataDialog::Ask(const TSaveDetails& proposed, QWidget*) {
    return proposed;
}

bool TOnlineUserDlg::Edit(TDemoPerson&, const TOnlineDemoModeOptionSet&, QWidget*) {
    return false;
}

TDemoResultsForm::TDemoResultsForm(TOnlineOptions&, int, QWidget* parent) : QDialog(parent) {}

TCompetitionForm::TCompetitionForm(const ICompetitionFeed&, QWidget* parent) : QDialog(parent) {}

THRVarForm::THRVarForm(std::unique_ptr<TVeltrak>, const std::string&, QWidget* parent) : QDialog(parent) {}

std::unique_ptr<TVeltrak> OpenHRVarHeadUnit(const TDownloadConfiguration&) {
    return nullptr;
}

} // namespace klt

#include "moc_CompetitionForm.cpp"
#include "moc_OnlineOptionsDlg.cpp"
