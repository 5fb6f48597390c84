#pragma once
// Who has a profile and a training folder in the database directory. Names match without regard
// to case.
#include <string>
#include <vector>

namespace klt {

// Names of the database's athlete folders "_<name>.klt", without "_" and extension, sorted.
std::vector<std::string> ListDatabaseUsers(const std::string& directory);
// The athletes' initials those folders stand for, normalised, sorted and without repeats.
std::vector<std::string> KnownDatabaseInitials(const std::string& directory);

// Names of the "*.xml" profiles in the directory, sorted; "Default" when there is none.
std::vector<std::string> ListProfiles(const std::string& directory);

} // namespace klt
