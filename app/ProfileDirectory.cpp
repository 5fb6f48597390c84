#include "app/ProfileDirectory.h"

#include <algorithm>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "core/IgnoreCase.h"
#include "core/Initials.h"

namespace klt {
namespace {

namespace fs = std::filesystem;

bool EndsWithIgnoringCase(std::string_view name, std::string_view ending) {
    return name.size() >= ending.size() &&
           EqualsIgnoringCase(name.substr(name.size() - ending.size()), ending);
}

// Entries of the directory that are (or are not) directories and whose name ends with `ending`,
// with the ending cut off; a directory that cannot be read lists nothing.
std::vector<std::string> NamesEndingWith(const std::string& directory, std::string_view ending,
                                         bool directories) {
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(directory, error), end; !error && it != end; it.increment(error)) {
        std::error_code typeError;
        if (it->is_directory(typeError) != directories) {
            continue;
        }
        std::string name = it->path().filename().string();
        if (name.size() > ending.size() && EndsWithIgnoringCase(name, ending)) {
            names.push_back(name.substr(0, name.size() - ending.size()));
        }
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return LessIgnoringCase(a, b) || (!LessIgnoringCase(b, a) && a < b);
    });
    return names;
}

} // namespace

std::vector<std::string> ListDatabaseUsers(const std::string& directory) {
    std::vector<std::string> users;
    for (std::string& name : NamesEndingWith(directory, ".klt", true)) {
        if (name.size() > 1 && name.front() == '_') {
            users.push_back(name.substr(1));
        }
    }
    return users;
}

std::vector<std::string> ListProfiles(const std::string& directory) {
    std::vector<std::string> profiles = NamesEndingWith(directory, ".xml", false);
    if (profiles.empty()) {
        profiles.emplace_back("Default");
    }
    return profiles;
}

std::vector<std::string> KnownDatabaseInitials(const std::string& directory) {
    std::vector<std::string> known;
    for (const std::string& name : ListDatabaseUsers(directory)) {
        if (std::string initials = NormalizeInitials(name); !initials.empty()) {
            known.push_back(std::move(initials));
        }
    }
    std::sort(known.begin(), known.end());
    known.erase(std::unique(known.begin(), known.end()), known.end());
    return known;
}

} // namespace klt
