#pragma once
// The rider of a demo run as the "User" dialog names him.
#include <string>

namespace klt {

struct TDemoPerson {
    std::string firstName, lastName;
    int categorie = 0;
};

} // namespace klt
