#pragma once
// Runs the real klt program and collects what it said.
#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "tests/support/RawTraining.h"

namespace klt::test {

struct TKltRun {
    int status;
    std::string out;
    std::string err;
};

// `klt args` with these environment assignments ("NAME=value ..." or empty); its output goes through
// files in dir.
inline TKltRun RunKlt(const TTempDir& dir, const std::string& environment, const std::string& args) {
    const std::string out = dir.File("stdout"), err = dir.File("stderr");
    const std::string command = environment + " " + KLT_BIN_DIR + "/klt " + args + " >" + out + " 2>" + err;
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadFileBytes(out), ReadFileBytes(err)};
}

} // namespace klt::test
