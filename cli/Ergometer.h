#pragma once
// The ergometer `klt ergo run` rides on: the head unit it names, or the simulated one klt starts.
#include <memory>

#include "cli/ErgoRunOptions.h"
#include "cli/SimulatorChild.h"
#include "core/Prompt.h"
#include "device/genv/VeltrakV.h"

namespace klt::cli {

struct TErgometer {
    std::unique_ptr<TSimulatorChild> simulator; // with --sim; outlives the connection to it
    std::unique_ptr<TVeltrakV> veltrak;
};

// Stores a ride an earlier run left behind (said on stderr) before a new one can take its place,
// starts the simulator when asked and connects to the head unit.
TErgometer ConnectErgometer(const TErgoRunOptions& given, IPrompt& prompt);

} // namespace klt::cli
