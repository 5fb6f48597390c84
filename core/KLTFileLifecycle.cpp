// Loading on demand, saving, reverting, closing and deleting a training, with the questions the
// user is asked on the way.
#include <cerrno>
#include <filesystem>
#include <strings.h>
#include <unistd.h>

#include "core/BinaryFile.h"
#include "core/Exceptions.h"
#include "core/Initials.h"
#include "core/KLTDatabase.h"
#include "core/KLTFile.h"
#include "core/KLTFileRegistry.h"
#include "core/Prompt.h"
#include "core/Texts.h"
#include "core/TrainingEnvironment.h"
#include "core/TrainingIndex.h"

namespace klt {
namespace {

bool FileExists(const std::string& path) { return ::access(path.c_str(), F_OK) == 0; }

bool HasKltExtension(const std::string& path) {
    return path.size() >= 4 && ::strcasecmp(path.c_str() + path.size() - 4, ".klt") == 0;
}

} // namespace

std::function<void(TKLTFile&)>& TKLTFile::ForeignImport() {
    static std::function<void(TKLTFile&)> import;
    return import;
}

void TKLTFile::EnsureLoaded(int level) {
    if (loadState_ == TLoadState::Loaded || loadState_ == TLoadState::Imported) {
        return;
    }
    try {
        try {
            ReadFile();
        } catch (const EInOutError&) {
            if (level < 3 || HasKltExtension(fileName_) || !ForeignImport()) {
                throw;
            }
            Clear();
            ForeignImport()(*this);
            loadState_ = TLoadState::Imported;
        }
    } catch (...) {
        Clear();
        Announce(TKLTChange::Everything);
        throw;
    }
    Announce(TKLTChange::Everything);
    if (IsInDatabase(fileName_, TrainingEnvironment().databaseDir)) {
        CanonicalRename();
        // A damaged file stays as it is, so nothing of what it still holds is written over.
        if (Modified() && !damage_) {
            Save();
        }
    }
}

bool TKLTFile::Save() {
    EnsureLoaded();
    const std::string& databaseDir = TrainingEnvironment().databaseDir;
    if (!FileExists(fileName_) && IsInDatabase(fileName_, databaseDir) && !markers_.empty()) {
        SaveAsNewTraining(databaseDir); // the name it was given may have been taken meanwhile
        return true;
    }
    if (FileExists(fileName_) && ChangedOnDisk() &&
        Prompt().Ask("Warning", FormatText(LoadText(278), {PromptDescription()}), TPromptButtons::YesNo) !=
            TPromptAnswer::Yes) {
        return false;
    }
    WriteSaved(fileName_, SaveStamp(FileModificationStamp(fileName_)));
    UpdateTrainingIndex(databaseDir, fileName_);
    Announce(TKLTChange::Caption);
    return true;
}

TDateTimeMark TKLTFile::SaveStamp(int64_t previous) const {
    if (!modificationMark_.IsNone()) {
        return modificationMark_;
    }
    return previous >= 0 ? FromUnixTime(static_cast<time_t>(previous / 1'000'000'000))
                         : TDateTimeMark{header_.date, markers_.empty() ? 0 : Marker(0).startTime};
}

void TKLTFile::WriteSaved(const std::string& path, const TDateTimeMark& stamp) {
    stamp_ = WriteKLT7(path, stamp);
    header_.magic = {'K', 'L', 'T', '7'};
    header_.flags |= TKLTHeader::kFlagExtraHeader;
    modificationMark_ = TDateTimeMark::None();
}

bool TKLTFile::OtherTrainingUses(const std::string& path) const {
    const TKLTFile* other = KLTFileRegistry().Find(path);
    return other != nullptr && other != this;
}

void TKLTFile::SaveAsNewTraining(const std::string& databaseDir) {
    const TDateTimeMark stamp = SaveStamp(-1);
    const std::string original = fileName_;
    const std::string path = PlaceNewTraining(
        databaseDir, NormalizeInitials(Marker(0).name), header_.date,
        [&](const std::string& temporary) {
            try {
                WriteSaved(temporary, stamp);
            } catch (Exception& e) {
                // The temporary name means nothing to the user; the caller names the training.
                const std::string prefix = "'" + temporary + "': ";
                if (e.Message().rfind(prefix, 0) == 0) {
                    e.SetMessage(e.Message().substr(prefix.size()));
                }
                throw;
            }
        },
        [this](const std::string& name) { return OtherTrainingUses(name); });
    fileName_ = path;
    stamp_ = FileModificationStamp(path);
    UpdateTrainingIndex(databaseDir, path);
    if (TrainingEnvironment().fileHistory != nullptr) {
        TrainingEnvironment().fileHistory->RenameFile(original, path);
    }
    Announce(TKLTChange::Modified); // a new name
}

bool TKLTFile::Revert() {
    if (!Modified()) {
        return true;
    }
    if (Prompt().Ask("Warning", FormatText(LoadText(277), {PromptDescription()}), TPromptButtons::YesNo) !=
        TPromptAnswer::Yes) {
        return false;
    }
    Clear();
    EnsureLoaded();
    return true;
}

bool TKLTFile::CloseQuery() {
    if (!Modified()) {
        return true;
    }
    if (!FileExists(fileName_)) {
        return Save();
    }
    switch (Prompt().Ask("Warning", FormatText(LoadText(274), {PromptDescription()}), TPromptButtons::YesNoCancel)) {
    case TPromptAnswer::Yes:
        return Save();
    case TPromptAnswer::No:
        // Declining the revert keeps the window open: nothing unsaved is thrown away unasked.
        return Revert();
    default:
        return false;
    }
}

bool TKLTFile::Delete() {
    if (Prompt().Ask("Warning", FormatText(LoadText(276), {PromptDescription()}), TPromptButtons::YesNo) !=
        TPromptAnswer::Yes) {
        return false;
    }
    const std::string description = PromptDescription();
    if (Modified()) {
        Clear(); // unsaved changes go with the file
    }
    for (IKLTFileView* view : std::vector<IKLTFileView*>(views_)) {
        view->CloseView(*this);
    }
    if (!views_.empty() || ::unlink(fileName_.c_str()) != 0) {
        throw EKLTDeleteFileError(FormatText(LoadText(275), {description}));
    }
    const std::string& databaseDir = TrainingEnvironment().databaseDir;
    UpdateTrainingIndex(databaseDir, fileName_);
    if (IsInDatabase(fileName_, databaseDir)) {
        RemoveEmptyDirectories(fileName_.substr(0, fileName_.rfind('/')), databaseDir);
    }
    Clear();
    Announce(TKLTChange::Everything);
    if (TrainingEnvironment().fileHistory != nullptr) {
        TrainingEnvironment().fileHistory->RemoveFile(fileName_);
    }
    return true;
}

void TKLTFile::CanonicalRename() {
    const std::string& databaseDir = TrainingEnvironment().databaseDir;
    if (!IsInDatabase(fileName_, databaseDir) || markers_.empty()) {
        return;
    }
    // Initials as a file stores them may hold anything, "/" and ".." too: only their normalised
    // form may become part of a path.
    const std::string initials = NormalizeInitials(Marker(0).name);
    const std::string dir = CanonicalDirectory(databaseDir, initials, header_.date);
    const std::string stem = CanonicalStem(initials, header_.date);
    const std::string currentName = fileName_.substr(fileName_.rfind('/') + 1);
    const std::string currentDir = fileName_.substr(0, fileName_.rfind('/') + 1);
    if (::strcasecmp(currentDir.c_str(), dir.c_str()) == 0 && HasCanonicalForm(currentName, stem)) {
        return; // already in its place
    }
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    if (error) {
        throw EKLTFileDatabaseError(FormatText(LoadText(273), {dir, error.message()}));
    }
    const TNameTaken taken = [this](const std::string& name) { return OtherTrainingUses(name); };
    // A file on disk moves under a name no other file has; one not written yet only picks it.
    const std::string target = FileExists(fileName_)
                                   ? MoveUnderFreeName(fileName_, dir, stem, taken)
                                   : ClaimFreeName(dir, stem, taken, [](const std::string& path) { return !FileExists(path); });
    if (TrainingEnvironment().fileHistory != nullptr) {
        TrainingEnvironment().fileHistory->RenameFile(fileName_, target);
    }
    const std::string oldDir = currentDir;
    const std::string oldName = fileName_;
    fileName_ = target;
    if (FileExists(fileName_)) {
        stamp_ = FileModificationStamp(fileName_);
    }
    UpdateTrainingIndex(databaseDir, oldName);
    UpdateTrainingIndex(databaseDir, fileName_);
    RemoveEmptyDirectories(oldDir, databaseDir);
    Announce(TKLTChange::Modified); // a new name
}

} // namespace klt
