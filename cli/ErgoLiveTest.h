#pragma once
// `klt ergo run --mode open-end|demo`: the live window's run without the window, on the session
// the window uses, its timers played by the command's own loop.
#include "cli/ErgoRunOptions.h"

namespace klt::cli {

// Waits for the rider, records until the time is up, the run ends itself or Ctrl+C, stores the
// ride (a demo's result in its category too) and prints the figures. The exit status.
int RunLiveTest(const TErgoRunOptions& given);

} // namespace klt::cli
