#include "app/OptionDataUnit.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <system_error>

#include "app/ProfileDirectory.h"
#include "app/ProfileReader.h"
#include "app/ProfileWriter.h"
#include "app/UploadCredentials.h"
#include "core/BinaryFile.h"
#include "core/Exceptions.h"
#include "core/KLTDatabase.h"
#include "core/Prompt.h"
#include "core/SmallFile.h"
#include "core/Texts.h"

namespace klt {
namespace {

// Far more than any profile; a larger file is not one.
constexpr std::size_t kMaxProfileSize = 16 * 1024 * 1024;

bool IsBlank(const std::string& text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; });
}

} // namespace

TOptionDataNew::TOptionDataNew(std::string directory, std::string userName, int32_t today)
    : directory_(std::move(directory)), userName_(std::move(userName)), users_(ListDatabaseUsers(directory_)),
      profiles_(ListProfiles(directory_)), sets_(DefaultSets(today)) {}

TProfileOptionSets TOptionDataNew::DefaultSets(int32_t today) const {
    TProfileOptionSets sets(today);
    sets.UserOptionSet.UsedSystems = users_;
    return sets;
}

std::string TOptionDataNew::UserFilePath(const std::string& extension) const {
    // A name that is no plain file name would lead outside the directory.
    if (userName_.empty() || userName_ == "." || userName_ == ".." ||
        userName_.find_first_of(std::string_view("/\0", 2)) != std::string::npos) {
        return {};
    }
    return directory_ + "/" + FindIgnoringCase(directory_, userName_ + extension);
}

std::string TOptionDataNew::ProfilePath() const {
    return UserFilePath(".xml");
}
std::string TOptionDataNew::CredentialsPath() const {
    return UserFilePath(".pwd");
}

void TOptionDataNew::Load(int32_t today) {
    users_ = ListDatabaseUsers(directory_);
    profiles_ = ListProfiles(directory_);
    TProfileOptionSets defaults = DefaultSets(today);
    const std::string path = ProfilePath();
    if (path.empty()) {
        sets_ = defaults;
        return;
    }
    const TUploadCredentials credentials = ReadUploadCredentials(CredentialsPath());
    defaults.UploadDataOptionSet.Username = credentials.Username;
    defaults.UploadDataOptionSet.Password = credentials.Password;
    sets_ = defaults;

    onDisk_.reset();
    const std::string fileName = userName_ + ".xml";
    std::optional<std::string> text;
    try {
        text = ReadSmallFile(path, kMaxProfileSize);
    } catch (const EInOutError&) {
        Prompt().ShowMessage("Attention", FormatText("File:%s damaged", {fileName}));
        KeepDamagedProfile();
        return;
    }
    if (!text) {
        return; // a user without a profile yet
    }
    if (IsBlank(*text)) {
        // Left behind by a failed write: the user starts afresh with a default profile.
        std::error_code error;
        std::filesystem::remove(path, error);
        static_cast<void>(Save());
        return;
    }
    bool incomplete = false;
    sets_ = ReadProfileText(*text, defaults, fileName, &incomplete);
    if (incomplete) {
        KeepDamagedProfile();
    } else {
        onDisk_ = sets_;
        onDiskPath_ = path;
    }
}

void TOptionDataNew::KeepDamagedProfile() const {
    try {
        CopyFileSynced(ProfilePath(), ProfilePath() + ".damaged");
    } catch (const EInOutError&) {
        // Not even readable as bytes: then the file itself stays, as nothing is saved over it
        // without a change the user made.
    }
}

void TOptionDataNew::WriteFiles() const {
    std::filesystem::create_directories(directory_);
    const TUploadDataOptionSet& upload = sets_.UploadDataOptionSet;
    WriteUploadCredentials(CredentialsPath(), {upload.Username, upload.Password});
    const std::string text = WriteProfileText(sets_);
    TAtomicFileWriter writer(ProfilePath());
    writer.Write(text.data(), text.size());
    writer.Commit();
    onDisk_ = sets_;
    onDiskPath_ = ProfilePath();
}

bool TOptionDataNew::Save() const {
    if (ProfilePath().empty()) {
        return true;
    }
    std::error_code error;
    if (onDisk_ && onDiskPath_ == ProfilePath() && onDisk_->Equals(sets_) &&
        std::filesystem::exists(ProfilePath(), error)) {
        return true; // nothing changed: the file stays as it is
    }
    // The old files stay untouched until a new one is complete, so a second attempt loses nothing.
    for (int attempt = 0; attempt < 2; ++attempt) {
        try {
            WriteFiles();
            return true;
        } catch (const std::exception&) {
        }
    }
    Prompt().ShowMessage("Attention", "Unable to save profile settings to disk");
    return false;
}

void TOptionDataNew::SetDefaults(int32_t today) {
    userName_.clear();
    users_ = ListDatabaseUsers(directory_);
    profiles_ = ListProfiles(directory_);
    sets_ = DefaultSets(today);
}

bool TOptionDataNew::Equals(const TOptionDataNew& other) const {
    return directory_ == other.directory_ && userName_ == other.userName_ && sets_.Equals(other.sets_);
}

void TOptionDataNew::DeleteProfile() {
    std::error_code error;
    for (const std::string& path : {ProfilePath(), CredentialsPath()}) {
        if (!path.empty()) {
            std::filesystem::remove(path, error);
        }
    }
    userName_.clear();
    profiles_ = ListProfiles(directory_);
}

} // namespace klt
