// Opening the head-unit dialogs with the configuration, and remembering the port a search found.
#include "app/KLTIniData.h"
#include "app/OptionDataUnit.h"
#include "app/ProfileDirectory.h"
#include "core/Prompt.h"
#include "ui/Dialogs.h"
#include "ui/HRVarForm.h"
#include "ui/KLTOnlineForm.h"
#include "ui/KLTVtrkReadDataDlg.h"
#include "ui/KLTVtrkStateDlg.h"
#include "ui/ModalWindow.h"

namespace klt {
namespace {

TDownloadConfiguration CurrentConfiguration(TKLTIniData& configuration, TOptionDataNew& optionTree) {
    return DownloadConfiguration(configuration.SystemData, optionTree.Sets().System);
}

void RememberFoundPort(TKLTIniData& configuration, TVeltrak& veltrak, const TDownloadConfiguration& used) {
    if (const std::optional<TVeltrakComPort> port = FoundPort(veltrak, used)) {
        configuration.SystemData.SetVeltrakComPort(*port);
    }
}

} // namespace

void ExecuteVeltrakReadDataDialog(QWidget* parent, TKLTIniData& configuration, TOptionDataNew& optionTree,
                                  bool readWholeMemory, const std::function<void()>& openOptions,
                                  const std::function<void(const std::vector<std::string>& paths)>& open) {
    const TDownloadConfiguration used = CurrentConfiguration(configuration, optionTree);
    TKLTVtrkReadDataDlg dialog(
        used, readWholeMemory, KnownDatabaseInitials(used.databaseDir),
        [&] {
            if (openOptions) {
                openOptions();
            }
            return CurrentConfiguration(configuration, optionTree);
        },
        nullptr, parent);
    dialog.exec();
    RememberFoundPort(configuration, dialog.Model().Veltrak(), used);
    if (open && !dialog.Model().Downloaded().files.empty()) {
        open(dialog.Model().Downloaded().files);
    }
}

void ExecuteVeltrakStateDialog(QWidget* parent, TKLTIniData& configuration, TOptionDataNew& optionTree) {
    const TDownloadConfiguration used = CurrentConfiguration(configuration, optionTree);
    TKLTVtrkStateDlg dialog(used, nullptr, parent);
    dialog.exec();
    RememberFoundPort(configuration, dialog.Model().Veltrak(), used);
}

void ExecuteLiveWindow(QWidget* parent, TKLTIniData& configuration, TOptionDataNew& optionTree, bool telemetry,
                       bool competition, const std::function<void(const std::string& path)>& open) {
    TOnlineFormSetup setup;
    setup.telemetry = telemetry;
    setup.competition = competition;
    setup.openTraining = open;
    ExecuteOnlineForm(parent, CurrentConfiguration(configuration, optionTree), std::move(setup));
}

void ExecuteHRVarianceWindow(QWidget* parent, TKLTIniData& configuration, TOptionDataNew& optionTree) {
    const TDownloadConfiguration used = CurrentConfiguration(configuration, optionTree);
    std::unique_ptr<TVeltrak> veltrak;
    try {
        veltrak = OpenHRVarHeadUnit(used);
    } catch (const std::exception& error) {
        Prompt().ShowMessage("Warning", error.what());
        return;
    }
    // without a head unit the window opens empty and says so itself
    THRVarForm form(std::move(veltrak), used.databaseDir, parent);
    RunModal(form);
}

} // namespace klt
