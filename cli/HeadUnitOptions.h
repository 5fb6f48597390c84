#pragma once
// The options of every `klt device` command that talks to a head unit.
#include <cstdint>
#include <optional>
#include <string>

namespace CLI {
class App;
}

namespace klt::cli {

struct THeadUnitOptions {
    int type = 0; // the generation: 4 or 5 on a serial port, 6 or 7 over USB
    std::optional<std::string> port;
    std::optional<uint32_t> password;
    bool json = false;

    bool Usb() const { return type >= 6; }
};

// --type (required), --port, --password and --json.
void AddHeadUnitOptions(CLI::App& command, THeadUnitOptions& options);

} // namespace klt::cli
