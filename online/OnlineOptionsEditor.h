#pragma once
// The live options dialog without its window: every page edits the working copy, "Apply" and
// "OK" take it into the live options and save them, and "RESET Software" starts afresh.
#include <string>

#include "online/ErgoProgramEditor.h"

namespace klt {

// What closing the dialog with "OK" or "Cancel" comes to.
enum class TOptionsClose {
    Discard, // nothing was pending, or the user did not want the changes
    Applied, // the changes were applied and saved
    Stay,    // saving failed: the dialog stays open with the changes
};

class TOnlineOptionsEditor : public TErgoProgramEditor {
public:
    // Far more than one ergometer sees; the watt limit is what the category's 16 bits hold.
    static constexpr int kMaxCategorieWatts = 4095;

    TOnlineOptionsEditor(TOnlineOptions& live, std::string databaseDir);

    // The working copy the pages change directly (common, chart, mode and demo options).
    TOnlineOptions& Edit() { return working_; }

    // With changes pending, asks "Save Changes?" and applies them on Yes.
    TOptionsClose Close();

    // Selects another program. When the steps of the one shown were changed, asks "Save
    // Changes?" first, since the other program replaces them; false when saving failed and the
    // program shown stays.
    bool ChooseProgram(const std::string& name);

    // "Delete ": after the question, the selected program's file is deleted. False when there
    // was nothing to delete or the user said no.
    bool DeleteSelectedProgram();

    // "RESET Software": after the warning, the live options are reset to their defaults and saved,
    // and the brake's offset tables are deleted. False when the user cancelled or saving failed
    // (shown; the live options then stay as they were).
    bool ResetSoftware();

    // The open-end test's persons. A new name must be neither empty nor one of the list (names
    // compared without case); the index of the new person, or -1 after a message.
    int AddUser(const std::string& name);
    // Removing the current person leaves none selected.
    void DeleteUser(int index);
    void SelectUser(int index);
    void SetUserSize(int index, int weight, int height);
    // The index of the current person, or -1.
    int CurrentUser() const;

    // Puts a demo category at `index` (past the end: a new one) from watts; the name must not be
    // empty (it names the category's results file). False after a message.
    bool PutCategorie(int index, const std::string& name, int watts, int tolerance);
    void DeleteCategorie(int index);

private:
    std::string databaseDir_;
};

} // namespace klt
