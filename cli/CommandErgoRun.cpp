// klt ergo run FILE.erg [--sim [--seed N] [--speedup N] [--rider KIND]] [-o RIDE.klt] [--json]: rides
// an ergo program on the ergometer (the simulated one with --sim, which klt starts and stops), saves
// the ride as a training and tells how well the brake held the targets.
#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>

#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/DatabaseText.h"
#include "cli/DevicePrompt.h"
#include "cli/ErgoProgramFile.h"
#include "cli/HeadUnitConnection.h"
#include "cli/InterruptScope.h"
#include "cli/JsonOutput.h"
#include "cli/ProgressBar.h"
#include "cli/SimulatorChild.h"
#include "cli/TerminalText.h"
#include "core/Exceptions.h"
#include "core/TrainingStore.h"
#include "online/ErgoRun.h"
#include "online/KLTErgoFile.h"
#include "online/LiveRecovery.h"
#include "online/OnlineOptions.h"

namespace klt::cli {
namespace {

constexpr int kErgometerGeneration = 7;
constexpr int kSampleMs = 500;

struct TErgoRunOptions {
    std::string program;
    bool sim = false;
    int seed = 1;
    int speedup = 1;
    std::string rider = "steady";
    std::optional<std::string> output;
    std::optional<std::string> initials;
    bool json = false;
};

// The ride's figures in display units: whole watts, seconds to the tenth.
nlohmann::ordered_json StepsJson(const TRegulationFigures& figures) {
    nlohmann::ordered_json steps = nlohmann::ordered_json::array();
    for (const TStepFigures& step : figures.steps) {
        steps.push_back({{"target", step.targetWatts},
                         {"settle_s", step.settleSeconds ? nlohmann::ordered_json(*step.settleSeconds) : nullptr},
                         {"overshoot_w", step.overshootWatts}});
    }
    return steps;
}

void PrintFigures(const TRegulationFigures& figures, const std::string& file, bool json) {
    if (json) {
        PrintJson({{"samples", figures.samples},
                   {"within_10w_percent", figures.within10WattsPercent},
                   {"steps", StepsJson(figures)},
                   {"file", file}});
        return;
    }
    std::printf("%s\n", Printable(file).c_str());
    std::printf("%d samples, %.1f %% within 10 W of the target\n", figures.samples, figures.within10WattsPercent);
    for (const TStepFigures& step : figures.steps) {
        char settled[32] = "never settled";
        if (step.settleSeconds) {
            std::snprintf(settled, sizeof settled, "settled after %.1f s", *step.settleSeconds);
        }
        std::printf("%5d W at %6.1f s: %s, overshoot %d W (%.0f %%)\n", step.targetWatts, step.startSeconds,
                    settled, step.overshootWatts, step.overshootPercent);
    }
}

// The ride where it was asked for, else in the database; its recovery copy goes only then.
std::string SaveRide(TErgoRun& run, const std::optional<std::string>& output) {
    const TTrainingData training = run.Training();
    if (training.SampleCount() == 0) {
        throw Exception("Nothing was recorded: the program ended before the rider started.");
    }
    std::string path;
    if (output) {
        training.WriteTraining(*output);
        path = *output;
    } else {
        path = StoreNewTraining(training, DatabaseInUse());
    }
    run.RideStored();
    return path;
}

int RunErgo(const TErgoRunOptions& given) {
    const TKLTErgoFile program = LoadErgoProgram(given.program);
    // a ride a crash left behind goes into the database before a new one can take its place
    if (const std::optional<std::string> earlier = StoreLeftBehindRide(DatabaseInUse())) {
        std::fprintf(stderr, "A ride an earlier run left unsaved is now in the database: %s\n", Printable(*earlier).c_str());
    }
    std::unique_ptr<TSimulatorChild> simulator;
    if (given.sim) {
        simulator = std::make_unique<TSimulatorChild>(std::vector<std::string>{
            "--generation", std::to_string(kErgometerGeneration), "--ergometer", "--rider", given.rider, "--seed",
            std::to_string(given.seed), "--speedup", std::to_string(given.speedup)});
        setenv("KLT_USB_SIM", simulator->UsbSocket().c_str(), 1);
    }
    TDevicePrompt prompt;
    THeadUnitOptions headUnit;
    headUnit.type = kErgometerGeneration;
    const std::unique_ptr<TVeltrakV> veltrak = Connect(DeviceOptions(headUnit), prompt);
    veltrak->ReadBrakeCalibration();
    if (veltrak->Status().BremseTyp != TVeltrakBremseTyp::BremseTypWirbelStrom) {
        throw Exception("The head unit reports no ergometer brake.");
    }

    TOnlineOptions options(ConfiguredDatabaseDir());
    options.Load();
    TErgoRunSettings settings;
    settings.cycle = std::chrono::milliseconds(std::max(1, kSampleMs / given.speedup));
    settings.logDirectory = ConfiguredDatabaseDir();
    settings.options = options.OnlineCommonOptionSet;
    settings.ride.initials = given.initials.value_or(veltrak->Status().Initialen());
    settings.ride.comment = program.Name();
    settings.recoveryDirectory = DatabaseInUse();
    TErgoRun run(*veltrak, program, settings);
    {
        TProgressLine progress("Riding " + program.Name());
        TInterruptScope interrupt;
        interrupt.StartBlocked([&] {
            run.Run([&](const TErgoRunProgress& p) { progress.Show(static_cast<size_t>(p.elapsedMs), static_cast<size_t>(p.totalMs)); },
                    [] { return TInterruptScope::PendingWhileBlocked(); });
        });
    }
    for (const std::string& warning : run.Warnings()) {
        std::fprintf(stderr, "%s\n", PrintableLines(warning).c_str());
    }
    const std::string file = SaveRide(run, given.output);
    PrintFigures(MeasureRegulation(run.RegulationSamples()), file, given.json);
    return 0;
}

} // namespace

void AddErgoRunCommand(CLI::App& ergo, TCommandRun& selected) {
    auto options = std::make_shared<TErgoRunOptions>();
    CLI::App& run = *ergo.add_subcommand("run", "ride an ergo program on the ergometer and save the ride");
    run.add_option("FILE", options->program, "the ergo program (.erg)")->required()->check(CLI::ExistingFile);
    run.add_flag("--sim", options->sim, "ride on the simulated ergometer, which klt starts and stops");
    run.add_option("--seed", options->seed, "the simulated rider's seed")->transform(WholeNumber(0, 1'000'000'000))->type_name("N");
    run.add_option("--speedup", options->speedup, "run the simulation this many times faster than real time")
        ->transform(WholeNumber(1, 100))
        ->type_name("N");
    run.add_option("--rider", options->rider, "the simulated rider: steady (the default), sprint or tired")
        ->check(CLI::Validator(
            [](const std::string& kind) {
                return kind == "steady" || kind == "sprint" || kind == "tired" ? std::string() : "steady, sprint or tired";
            },
            ""))
        ->type_name("KIND");
    run.add_option("-o,--output", options->output, "save the ride here instead of in the training database")
        ->type_name("RIDE.klt");
    run.add_option("--initials", options->initials, "the athlete of the ride (by default the head unit's initials)");
    run.add_flag("--json", options->json, "the figures as JSON");
    RunWhenSelected(run, selected, [options] {
        if (!options->sim && (options->speedup != 1 || options->seed != 1 || options->rider != "steady")) {
            throw EUsage("--seed, --speedup and --rider are for the simulated ergometer (--sim)");
        }
        return RunErgo(*options);
    });
}

} // namespace klt::cli
