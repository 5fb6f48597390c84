#pragma once
// The person a demo ride is for, as the "User" dialog enters it: the names the result will carry
// and the category ridden in.
#include <string>
#include <string_view>
#include <vector>

#include "online/OnlineDemoModeOptionSet.h"

namespace klt {

struct TDemoPerson {
    std::string firstName;
    std::string lastName;
    int categorie = 0; // index into the demo options' categories

    // Takes typed names as a demo result keeps them (cut to 20 characters, no control characters).
    void SetNames(std::string_view first, std::string_view last);
    // A result needs a name to be told apart in the ranking.
    bool HasName() const { return !firstName.empty() || !lastName.empty(); }
};

// The categories' names, in the order of the options.
std::vector<std::string> CategorieNames(const TOnlineDemoModeOptionSet& demo);

} // namespace klt
