#pragma once
// The subcommands of `klt`. Each adds itself, with its options, to the command line; the one the
// command line selects runs after parsing and returns the exit status. Failures of the operation
// throw klt::Exception (status 1); wrong arguments only the operation can tell throw EUsage (status 2).
#include <functional>
#include <stdexcept>
#include <string>

#include "core/KLTFile.h"

namespace CLI {
class App;
}

namespace klt::cli {

class EUsage : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The selected command's work.
using TCommandRun = std::function<int()>;

// info FILE [--json]: the summary of a training.
void AddInfoCommand(CLI::App& klt, TCommandRun& selected);
// samples FILE [--json|--csv]: every sample.
void AddSamplesCommand(CLI::App& klt, TCommandRun& selected);
// convert IN OUT [--format klt7|klt6]
void AddConvertCommand(CLI::App& klt, TCommandRun& selected);
// export FILE OUT [--format text|text-ext] [--marker N]: the column text of the training or a marker.
void AddExportCommand(CLI::App& klt, TCommandRun& selected);
// plot FILE -o OUT.png [--view single|trend|multi|analysis|conconi] [--rows N] [--marker N] [--width W] [--height H]
void AddPlotCommand(CLI::App& klt, TCommandRun& selected);
// analyse FILE [--marker N] [--conconi] [--json]: a marker's distribution, heart rate over power and,
// for a step test, its deflection point and PWC values.
void AddAnalyseCommand(CLI::App& klt, TCommandRun& selected);
// db path | db add FILE... | db list: the training database of the configuration.
void AddDatabaseCommand(CLI::App& klt, TCommandRun& selected);
// import FILE... [--initials XX] [--altitude-as-power] [--json]: text, HRM and RAW files as new
// trainings in the training database.
void AddImportCommand(CLI::App& klt, TCommandRun& selected);
// image FILE [--json] [--save]: the trainings of a memory image; --save writes them into the
// training database.
void AddImageCommand(CLI::App& klt, TCommandRun& selected);
// device ports | status | clock | download: the serial ports, and a head unit of any generation.
void AddDeviceCommand(CLI::App& klt, TCommandRun& selected);
// device ports [--json]: the serial ports a head unit can be reached on, in the program's order.
void AddDevicePortsCommand(CLI::App& device, TCommandRun& selected);
// device download --type 4|5|6|7 [--port PATH] [--password N] [--all] [--select] [--clear] [--json]:
// the head unit's trainings into the training database, clearing it afterwards only when all were
// saved.
void AddDeviceDownloadCommand(CLI::App& device, TCommandRun& selected);
// live --type 4|5|6|7 [--port PATH] [--seconds N] [--telemetry] [--json]: live values as they come.
void AddLiveCommand(CLI::App& klt, TCommandRun& selected);
// klt hrv: beat-to-beat intervals recorded into the heart-rate-variability text file.
void AddHrvCommand(CLI::App& klt, TCommandRun& selected);
// ergo show | run: ergo programs; the group other ergo commands join.
void AddErgoCommand(CLI::App& klt, TCommandRun& selected);
// ergo show FILE [--json]: the steps of an ergo program, raw units in JSON.
void AddErgoShowCommand(CLI::App& ergo, TCommandRun& selected);
// ergo run FILE [--sim [--seed N] [--speedup N] [--rider KIND]] [-o RIDE.klt] [--json]: rides the
// program on the ergometer, saves the ride and prints how well the brake held the targets.
void AddErgoRunCommand(CLI::App& ergo, TCommandRun& selected);
// demo results: the demo mode's results; the group other demo commands join.
void AddDemoCommand(CLI::App& klt, TCommandRun& selected);
// demo results FILE [--category NAME] [--sort steady|max|average] [--json]: a category's results,
// ranked.
void AddDemoResultsCommand(CLI::App& demo, TCommandRun& selected);

// Reads a training; errors carry the path in single quotes like every error about opening a file.
void LoadTraining(TKLTFile& file, const std::string& path);
// A marker the training does not have is an error naming the markers it has.
void CheckMarker(const TKLTFile& file, const std::string& path, int marker);
// Whether both paths name one existing file, so that an output never overwrites its input.
bool SameFile(const std::string& a, const std::string& b);

} // namespace klt::cli
