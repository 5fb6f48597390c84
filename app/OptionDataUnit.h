#pragma once
// The profile of one user: chart, statistics, distribution, analysis and upload settings and the
// training zones, kept as "<user>.xml" in the training database directory, with the upload
// account in "<user>.pwd" beside it.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/ProfileOptionSets.h"

namespace klt {

class TOptionDataNew {
public:
    // The profile of `userName` in `directory`, with default settings until Load.
    TOptionDataNew(std::string directory, std::string userName, int32_t today = TodayDays());

    const std::string& Directory() const { return directory_; }
    const std::string& UserName() const { return userName_; }
    // The athletes of the database and the profiles of the directory, as of the last Load or
    // SetDefaults.
    const std::vector<std::string>& Users() const { return users_; }
    const std::vector<std::string>& Profiles() const { return profiles_; }

    const TProfileOptionSets& Sets() const { return sets_; }
    TProfileOptionSets& Sets() { return sets_; }

    // Reads the user's profile and upload account. Whatever cannot be read falls back to its
    // defaults, and the user is told why; an empty profile file is replaced by a default one.
    void Load(int32_t today = TodayDays());
    // Writes the upload account and the profile; tells the user and returns false when neither
    // of two attempts succeeded. Without a user name there is nothing to write.
    bool Save() const;
    // Every set to its defaults, no user, and every athlete of the database in use.
    void SetDefaults(int32_t today = TodayDays());
    void Assign(const TOptionDataNew& other) { *this = other; }
    bool Equals(const TOptionDataNew& other) const;
    // Deletes the user's profile and upload account files and forgets the user.
    void DeleteProfile();

    // Where the files of the user are; empty without a usable user name.
    std::string ProfilePath() const;
    std::string CredentialsPath() const;

private:
    TProfileOptionSets DefaultSets(int32_t today) const;
    std::string UserFilePath(const std::string& extension) const;
    void WriteFiles() const;
    // Copies the profile file as it is to "<user>.xml.damaged", before saving replaces what could
    // not be read.
    void KeepDamagedProfile() const;

    std::string directory_;
    std::string userName_;
    std::vector<std::string> users_;
    std::vector<std::string> profiles_;
    TProfileOptionSets sets_;
    // The sets as the profile file holds them, when known: saving them again would change nothing.
    mutable std::optional<TProfileOptionSets> onDisk_;
    mutable std::string onDiskPath_;
};

} // namespace klt
