#include "online/OnlineOptionsEditor.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "core/Exceptions.h"
#include "core/IgnoreCase.h"
#include "core/Prompt.h"
#include "core/Utf8Chars.h"

namespace klt {
namespace {

constexpr const char* kResetWarning = "Reset will set all settings to there default settings\r\n"
                                      "Reset may solve problems with Predefined file mode\r\n"
                                      "Reset will NOT delete any data";

} // namespace

TOnlineOptionsEditor::TOnlineOptionsEditor(TOnlineOptions& live, std::string databaseDir)
    : TErgoProgramEditor(live), databaseDir_(std::move(databaseDir)) {}

TOptionsClose TOnlineOptionsEditor::Close() {
    if (!Modified() ||
        Prompt().Ask("Attention", "Save Changes?", TPromptButtons::YesNo) != TPromptAnswer::Yes) {
        return TOptionsClose::Discard;
    }
    return Apply() ? TOptionsClose::Applied : TOptionsClose::Stay;
}

bool TOnlineOptionsEditor::ChooseProgram(const std::string& name) {
    if (name == Working().OnlineErgometerOptions.PredefinedFileOptionSet.SelectedFileName()) {
        return true;
    }
    if (programEdited_ &&
        Prompt().Ask("Attention", "Save Changes?", TPromptButtons::YesNo) == TPromptAnswer::Yes && !Apply()) {
        return false;
    }
    SelectProgram(name);
    return true;
}

bool TOnlineOptionsEditor::DeleteSelectedProgram() {
    const std::string& name = Working().OnlineErgometerOptions.PredefinedFileOptionSet.SelectedFileName();
    if (name.empty() || Prompt().Ask("Attention", "Delete the program \"" + name + "\"? Its file is removed.",
                                     TPromptButtons::YesNo) != TPromptAnswer::Yes) {
        return false;
    }
    DeleteProgram();
    return true;
}

bool TOnlineOptionsEditor::ResetSoftware() {
    if (Prompt().Ask("Warning", kResetWarning, TPromptButtons::OkCancel) != TPromptAnswer::Ok) {
        return false;
    }
    TOnlineOptions defaults(live_);
    defaults.SetDefaults();
    try {
        defaults.Save();
    } catch (const EInOutError& error) {
        Prompt().ShowMessage("Attention", error.Message());
        return false;
    }
    live_.AssignFrom(defaults);
    working_.AssignFrom(defaults);
    selectedStep_ = 0;
    ++applications_;
    // The brake learns its offsets afresh; a table that is already gone is no failure.
    const std::filesystem::path ergoFiles = std::filesystem::path(databaseDir_) / "ErgoFiles";
    for (const char* name : {"Offset.con", "Offset.off"}) {
        std::error_code ignored;
        std::filesystem::remove(ergoFiles / name, ignored);
    }
    return true;
}

int TOnlineOptionsEditor::AddUser(const std::string& name) {
    const std::string trimmed = TrimText(name);
    auto& users = working_.OnlineErgometerOptions.OpenEndTestOptionSet.UserNameList;
    if (trimmed.empty()) {
        Prompt().ShowMessage("Attention", "Please enter a name.");
        return -1;
    }
    const auto& items = users.Items();
    if (std::any_of(items.begin(), items.end(),
                    [&](const TUser& user) { return EqualsIgnoringCase(user.Username, trimmed); })) {
        Prompt().ShowMessage("Attention", "There is a user named \"" + trimmed + "\" already.");
        return -1;
    }
    if (users.Count() >= static_cast<int>(users.kMaxItems)) {
        Prompt().ShowMessage("Attention", "No more users can be added.");
        return -1;
    }
    TUser user;
    user.Username = trimmed;
    users.PutItem(users.Count(), user);
    return users.Count() - 1;
}

void TOnlineOptionsEditor::DeleteUser(int index) {
    auto& set = working_.OnlineErgometerOptions.OpenEndTestOptionSet;
    if (index >= 0 && index == CurrentUser()) {
        set.CurrentUser.clear();
    }
    set.UserNameList.DeleteItem(index);
}

void TOnlineOptionsEditor::SelectUser(int index) {
    auto& set = working_.OnlineErgometerOptions.OpenEndTestOptionSet;
    if (index >= 0 && index < set.UserNameList.Count()) {
        set.CurrentUser = set.UserNameList.Items()[static_cast<size_t>(index)].Username;
    }
}

void TOnlineOptionsEditor::SetUserSize(int index, int weight, int height) {
    auto& users = working_.OnlineErgometerOptions.OpenEndTestOptionSet.UserNameList;
    if (index >= 0 && index < users.Count()) {
        TUser user = users.Items()[static_cast<size_t>(index)];
        user.Weight = weight;
        user.Height = height;
        users.PutItem(index, user);
    }
}

int TOnlineOptionsEditor::CurrentUser() const {
    const auto& set = Working().OnlineErgometerOptions.OpenEndTestOptionSet;
    const auto& items = set.UserNameList.Items();
    auto found = std::find_if(items.begin(), items.end(),
                              [&](const TUser& user) { return EqualsIgnoringCase(user.Username, set.CurrentUser); });
    return found == items.end() || set.CurrentUser.empty() ? -1 : static_cast<int>(found - items.begin());
}

bool TOnlineOptionsEditor::PutCategorie(int index, const std::string& name, int watts, int tolerance) {
    const std::string trimmed = TrimText(name);
    if (trimmed.empty()) {
        Prompt().ShowMessage("Attention", "Please enter the category's name.");
        return false;
    }
    auto& categories = working_.OnlineDemoModeOptionSet.Categories;
    if (index >= categories.Count() && categories.Count() >= static_cast<int>(categories.kMaxItems)) {
        Prompt().ShowMessage("Attention", "No more categories can be added.");
        return false;
    }
    TKLTDemoCategorie categorie;
    categorie.SetName(trimmed);
    categorie.Watt = static_cast<int16_t>(std::clamp(watts, 0, kMaxCategorieWatts) * 8);
    categorie.Tolerance = static_cast<int16_t>(std::clamp(tolerance, 0, 32767));
    categories.PutItem(std::max(index, 0), categorie);
    return true;
}

void TOnlineOptionsEditor::DeleteCategorie(int index) {
    working_.OnlineDemoModeOptionSet.Categories.DeleteItem(index);
}

} // namespace klt
