#pragma once
// The ergo program a "Predefined File" test plays: the programs in "ErgoFiles" below the options
// directory, the one selected and that program loaded.
#include <string>
#include <vector>

#include "online/KLTErgoFile.h"
#include "online/OnlineOptionSet.h"

namespace klt {

class TPredefinedFileOptionSet : public TOnlineOptionSet {
public:
    // Where the programs lie ("<dir>/ErgoFiles/"); the program list is read afresh. An empty
    // directory means there are no programs.
    void SetOptionsDirectory(const std::string& directory);
    std::string ErgoDirectory() const;
    // The names of the ".erg" files there (without extension), sorted.
    const std::vector<std::string>& FileNames() const { return fileNames_; }
    void RefreshFileNames();

    const std::string& SelectedFileName() const { return selectedFileName_; }
    // A file name of the ergo directory itself: not empty, no folder and no "/".
    static bool IsProgramName(std::string_view name);
    // Selecting another, non-empty name loads that program (a name that is no program name
    // selects nothing); a damaged one is shown to the user
    // and leaves a reset program.
    void SetSelectedFileName(const std::string& name);
    const TKLTErgoFile& Program() const { return program_; }
    TKLTErgoFile& EditProgram() { return program_; }

    // A new program of one empty step: the name joins the list, is selected and saved. Throws
    // EInOutError when it cannot be saved.
    void AddFileName(const std::string& name);
    // Deletes the selected program's file; nothing is selected afterwards.
    void DeleteSelected();
    // Saves the selected program; a failure is shown to the user and clears the selection, so
    // that the options never name a program that was not written.
    void SaveProgram();

    // No selection and an empty program; the directory and list stay.
    void SetDefaults() override;
    bool SameAs(const TPredefinedFileOptionSet& other) const;
    void AssignFrom(const TPredefinedFileOptionSet& other) { *this = other; }
    bool operator==(const TPredefinedFileOptionSet& other) const { return SameAs(other); }
    std::string_view Tag() const override { return "PredefinedFileOptionSet"; }

protected:
    std::string_view VariableMarker() const override { return "Variable"; }
    bool ReadVariable(const TProfileVariable& variable) override;
    void WriteContent(TOnlineOptionWriter& writer) const override;

private:
    // A fresh program in the ergo directory named after the selection.
    TKLTErgoFile FreshProgram() const;

    std::string optionsDirectory_;
    std::vector<std::string> fileNames_;
    std::string selectedFileName_;
    TKLTErgoFile program_;
};

} // namespace klt
