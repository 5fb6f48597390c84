#include "cli/Ergometer.h"

#include <cstdio>
#include <cstdlib>
#include <optional>

#include "cli/DatabaseText.h"
#include "cli/HeadUnitConnection.h"
#include "cli/TerminalText.h"
#include "online/LiveRecovery.h"

namespace klt::cli {
namespace {

constexpr int kErgometerGeneration = 7;

} // namespace

TErgometer ConnectErgometer(const TErgoRunOptions& given, IPrompt& prompt) {
    if (const std::optional<std::string> earlier = StoreLeftBehindRide(DatabaseInUse())) {
        std::fprintf(stderr, "A ride an earlier run left unsaved is now in the database: %s\n", Printable(*earlier).c_str());
    }
    TErgometer ergometer;
    if (given.sim) {
        ergometer.simulator = std::make_unique<TSimulatorChild>(std::vector<std::string>{
            "--generation", std::to_string(kErgometerGeneration), "--ergometer", "--rider", given.rider, "--seed",
            std::to_string(given.seed), "--speedup", std::to_string(given.speedup)});
        setenv("KLT_USB_SIM", ergometer.simulator->UsbSocket().c_str(), 1);
    }
    THeadUnitOptions headUnit;
    headUnit.type = kErgometerGeneration;
    ergometer.veltrak = Connect(DeviceOptions(headUnit), prompt);
    return ergometer;
}

} // namespace klt::cli
