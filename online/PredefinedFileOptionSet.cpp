#include "online/PredefinedFileOptionSet.h"

#include <algorithm>
#include <filesystem>

#include "core/Exceptions.h"
#include "core/IgnoreCase.h"
#include "core/Prompt.h"
#include "core/Texts.h"

namespace klt {
namespace {

constexpr std::string_view kExtension = ".erg";
constexpr size_t kMaxPrograms = 10'000; // a folder holding more is not listed further

} // namespace

bool TPredefinedFileOptionSet::IsProgramName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of(std::string_view("/\0", 2)) == std::string_view::npos;
}

void TPredefinedFileOptionSet::SetOptionsDirectory(const std::string& directory) {
    optionsDirectory_ = directory;
    RefreshFileNames();
}

std::string TPredefinedFileOptionSet::ErgoDirectory() const {
    return optionsDirectory_.empty() ? std::string() : optionsDirectory_ + "/ErgoFiles/";
}

void TPredefinedFileOptionSet::RefreshFileNames() {
    fileNames_.clear();
    if (optionsDirectory_.empty()) {
        return;
    }
    std::error_code error;
    for (std::filesystem::directory_iterator it(ErgoDirectory(), error), end; !error && it != end;
         it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.size() > kExtension.size() &&
            EqualsIgnoringCase(std::string_view(name).substr(name.size() - kExtension.size()), kExtension)) {
            fileNames_.push_back(name.substr(0, name.size() - kExtension.size()));
        }
        if (fileNames_.size() == kMaxPrograms) {
            break;
        }
    }
    std::sort(fileNames_.begin(), fileNames_.end());
}

TKLTErgoFile TPredefinedFileOptionSet::FreshProgram() const {
    TKLTErgoFile program;
    program.SetDirectory(ErgoDirectory());
    program.SetName(selectedFileName_);
    return program;
}

void TPredefinedFileOptionSet::SetSelectedFileName(const std::string& name) {
    if (name == selectedFileName_) {
        return;
    }
    selectedFileName_ = IsProgramName(name) ? name : std::string();
    if (selectedFileName_.empty() || optionsDirectory_.empty()) {
        return;
    }
    program_ = FreshProgram();
    try {
        program_.Load();
    } catch (const EInOutError& error) {
        Prompt().ShowMessage("Attention", error.Message());
    }
}

void TPredefinedFileOptionSet::AddFileName(const std::string& name) {
    if (!IsProgramName(name)) {
        throw EInOutError(FormatText("Cannot open File %s", {ErgoDirectory() + name}));
    }
    if (std::find(fileNames_.begin(), fileNames_.end(), name) == fileNames_.end()) {
        fileNames_.push_back(name);
    }
    selectedFileName_ = name;
    program_ = FreshProgram();
    program_.Save();
}

void TPredefinedFileOptionSet::DeleteSelected() {
    if (!selectedFileName_.empty()) {
        program_.DeleteFile();
    }
    std::erase(fileNames_, selectedFileName_);
    selectedFileName_.clear();
    program_ = FreshProgram();
}

void TPredefinedFileOptionSet::SaveProgram() {
    if (selectedFileName_.empty()) {
        return;
    }
    try {
        program_.Save();
    } catch (const EInOutError& error) {
        Prompt().ShowMessage("Attention", error.Message());
        selectedFileName_.clear();
    }
}

void TPredefinedFileOptionSet::SetDefaults() {
    selectedFileName_.clear();
    program_ = FreshProgram();
}

bool TPredefinedFileOptionSet::SameAs(const TPredefinedFileOptionSet& other) const {
    return selectedFileName_ == other.selectedFileName_ && program_.SameAs(other.program_);
}

bool TPredefinedFileOptionSet::ReadVariable(const TProfileVariable& variable) {
    if (variable.name != "SelectedFileName") {
        return false;
    }
    SetSelectedFileName(variable.value);
    return true;
}

void TPredefinedFileOptionSet::WriteContent(TOnlineOptionWriter& writer) const {
    writer.Text("SelectedFileName", selectedFileName_);
}

} // namespace klt
