// klt ergo run [FILE.erg] [--mode program|open-end|demo] [--seconds N] [--sim [--seed N] [--speedup N]
// [--rider KIND]] [-o RIDE.klt] [--json]: rides an ergo program on the ergometer (the simulated one
// with --sim, which klt starts and stops), saves the ride as a training and tells how well the brake
// held the targets; or runs an open-end test or a demo as the live window does.
#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <optional>

#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/DatabaseText.h"
#include "cli/DevicePrompt.h"
#include "cli/ErgoLiveTest.h"
#include "cli/ErgoProgramFile.h"
#include "cli/ErgoRunOptions.h"
#include "cli/Ergometer.h"
#include "cli/InterruptScope.h"
#include "cli/JsonOutput.h"
#include "cli/ProgressBar.h"
#include "cli/TerminalText.h"
#include "core/Exceptions.h"
#include "core/TrainingStore.h"
#include "online/ErgoRun.h"
#include "online/KLTErgoFile.h"
#include "online/OnlineOptions.h"

namespace klt::cli {
namespace {

constexpr int kSampleMs = 500;

const std::map<std::string, TErgoRunMode> kModes = {
    {"program", TErgoRunMode::Program}, {"open-end", TErgoRunMode::OpenEnd}, {"demo", TErgoRunMode::Demo}};

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
    TDevicePrompt prompt;
    const TErgometer ergometer = ConnectErgometer(given, prompt);
    TVeltrakV& veltrak = *ergometer.veltrak;
    veltrak.ReadBrakeCalibration();
    if (veltrak.Status().BremseTyp != TVeltrakBremseTyp::BremseTypWirbelStrom) {
        throw Exception("The head unit reports no ergometer brake.");
    }

    TOnlineOptions options(ConfiguredDatabaseDir());
    options.Load();
    TErgoRunSettings settings;
    settings.cycle = std::chrono::milliseconds(std::max(1, kSampleMs / given.speedup));
    settings.logDirectory = ConfiguredDatabaseDir();
    settings.options = options.OnlineCommonOptionSet;
    settings.ride.initials = given.initials.value_or(veltrak.Status().Initialen());
    settings.ride.comment = program.Name();
    settings.recoveryDirectory = DatabaseInUse();
    TErgoRun run(veltrak, program, settings);
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

// What only some test kinds take, said before anything starts.
void CheckErgoRunCombination(const TErgoRunOptions& given, const CLI::App& run) {
    if (!given.sim && (given.speedup != 1 || given.seed != 1 || given.rider != "steady")) {
        throw EUsage("--seed, --speedup and --rider are for the simulated ergometer (--sim)");
    }
    const bool demoOptions = run.count("--category") + run.count("--first") + run.count("--last") > 0;
    switch (given.mode) {
    case TErgoRunMode::Program:
        if (given.program.empty()) {
            throw EUsage("FILE is required: the ergo program to ride");
        }
        if (given.seconds) {
            throw EUsage("--seconds is for an open-end test or a demo: a program lasts its steps");
        }
        break;
    case TErgoRunMode::OpenEnd:
        if (!given.program.empty()) {
            throw EUsage("an open-end test rides no program: leave FILE out");
        }
        break;
    case TErgoRunMode::Demo:
        if (!given.program.empty() && given.seconds) {
            throw EUsage("a demo with a program lasts the program: give FILE or --seconds, not both");
        }
        return;
    }
    if (demoOptions) {
        throw EUsage("--category, --first and --last are for a demo (--mode demo)");
    }
}

} // namespace

void AddErgoRunCommand(CLI::App& ergo, TCommandRun& selected) {
    auto options = std::make_shared<TErgoRunOptions>();
    CLI::App& run = *ergo.add_subcommand("run", "ride an ergo program, an open-end test or a demo and save the ride");
    run.add_option("FILE", options->program, "the ergo program (.erg); a demo's is optional")->check(CLI::ExistingFile);
    auto mode = std::make_shared<std::string>("program");
    run.add_option("--mode", *mode, "program (the default), open-end (an open-end test) or demo")
        ->check(CLI::Validator(
            [](const std::string& name) { return kModes.count(name) != 0 ? std::string() : "program, open-end or demo"; },
            ""))
        ->type_name("MODE");
    run.add_option("--seconds", options->seconds, "the length of an open-end test or a demo")
        ->transform(WholeNumber(1, 86'400))
        ->type_name("N");
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
    run.add_option("--category", options->category, "the demo category ridden (from 0, the default)")
        ->transform(WholeNumber(0, 10'000))
        ->type_name("N");
    run.add_option("--first", options->firstName, "the demo rider's first name")->type_name("NAME");
    run.add_option("--last", options->lastName, "the demo rider's last name")->type_name("NAME");
    run.add_flag("--json", options->json, "the figures as JSON");
    RunWhenSelected(run, selected, [options, mode, &run] {
        options->mode = kModes.at(*mode);
        CheckErgoRunCombination(*options, run);
        return options->mode == TErgoRunMode::Program ? RunErgo(*options) : RunLiveTest(*options);
    });
}

} // namespace klt::cli
