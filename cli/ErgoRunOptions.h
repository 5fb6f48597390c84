#pragma once
// What `klt ergo run` was asked for, shared by the program ride and the live test kinds.
#include <optional>
#include <string>

namespace klt::cli {

enum class TErgoRunMode { Program, OpenEnd, Demo };

struct TErgoRunOptions {
    TErgoRunMode mode = TErgoRunMode::Program;
    std::string program; // none for an open-end test or a demo without one
    std::optional<int> seconds;
    bool sim = false;
    int seed = 1;
    int speedup = 1;
    std::string rider = "steady";
    std::optional<std::string> output;
    std::optional<std::string> initials;
    int category = 0;
    std::string firstName;
    std::string lastName;
    bool json = false;
};

} // namespace klt::cli
