#pragma once
// The subcommands of `klt`. Each returns the exit status; failures of the operation throw
// klt::Exception (status 1), wrong arguments throw EUsage (status 2).
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/KLTFile.h"
#include "device/transport/VeltrakComPort.h"

namespace klt::cli {

class EUsage : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Positional arguments and "--name" or "--name value" options, checked against what a command
// accepts so that a typo is a usage error rather than silently ignored.
struct TArguments {
    std::vector<std::string> positional;
    std::set<std::string> flags;
    std::map<std::string, std::string> options;

    static TArguments Parse(const std::vector<std::string>& args, const std::set<std::string>& knownFlags,
                            const std::set<std::string>& knownOptions);
};

// Reads a training; errors carry the path in single quotes like every error about opening a file.
void LoadTraining(TKLTFile& file, const std::string& path);

int RunInfo(const std::vector<std::string>& args);
int RunSamples(const std::vector<std::string>& args);
int RunConvert(const std::vector<std::string>& args);
// export FILE OUT [--format text|text-ext] [--marker N]: the column text of the training or a marker.
int RunExport(const std::vector<std::string>& args);
// Whether both paths name one existing file, so that an output never overwrites its input.
bool SameFile(const std::string& a, const std::string& b);
// plot FILE [--view single|trend|multi] [--rows N] [--marker N] [--width W] [--height H] -o OUT.png
int RunPlot(const std::vector<std::string>& args);
// db path | db add FILE... | db list: the training database of the configuration.
int RunDatabase(const std::vector<std::string>& args);
// import FILE... [--initials XX] [--altitude-as-power] [--json]: text, HRM and RAW files as new
// trainings in the training database.
int RunImport(const std::vector<std::string>& args);
// device ports | device status | device clock: the serial ports, and a head unit of generation IV
// or V on one of them.
int RunDevice(const std::vector<std::string>& args);
// image FILE [--json] [--save]: the trainings of a memory image; --save writes them into the
// training database.
int RunImage(const std::vector<std::string>& args);
// device ports [--json]: the serial ports a head unit can be reached on, in the program's order.
int RunDevicePorts(const std::vector<std::string>& args);
// device download --type 4|5|6|7 [--port PATH] [--password N] [--all] [--select] [--clear] [--json]:
// the head unit's trainings into the training database, clearing it afterwards only when all were
// saved.
int RunDeviceDownload(const std::vector<std::string>& args);
// The serial port named by --port, else the configured one; an error when there is none.
TVeltrakComPort SerialPortOption(const TArguments& parsed);
// A head unit's password: a 32-bit number, decimal or 0x-hexadecimal; EUsage for anything else.
uint32_t ParsePassword(const std::string& text);

} // namespace klt::cli
