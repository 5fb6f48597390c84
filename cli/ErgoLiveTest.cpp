#include "cli/ErgoLiveTest.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>
#include <optional>

#include "cli/DatabaseText.h"
#include "cli/DevicePrompt.h"
#include "cli/ErgoProgramFile.h"
#include "cli/Ergometer.h"
#include "cli/InterruptScope.h"
#include "cli/JsonOutput.h"
#include "cli/ProgressBar.h"
#include "cli/TerminalText.h"
#include "core/Exceptions.h"
#include "online/DemoRunRecord.h"
#include "online/OnlineSession.h"

namespace klt::cli {
namespace {

constexpr int64_t kClockTickMs = 48;
constexpr int64_t kStartDetectionMs = 1000;
// Of the ride's time: a rider who has not pedalled by then is not coming.
constexpr int64_t kLongestWaitMs = 60'000;

// The save dialog and the demo's result window answered from the command line.
class THeadlessRunOwner : public IRunOwner {
public:
    THeadlessRunOwner(const TErgoRunOptions& given, const TOnlineOptions& options, std::string initials,
                      std::string comment)
        : given_(given), options_(options), initials_(std::move(initials)), comment_(std::move(comment)) {}

    std::optional<TSaveDetails> AskSaveDetails(const TSaveDetails& proposed) override {
        TSaveDetails details = proposed;
        details.initials = initials_;
        details.comment = comment_;
        details.path = given_.output.value_or("");
        return details;
    }
    void TrainingStored(const std::string& path) override { stored = path; }
    void ShowDemoResult(const TKLTOnlineDatas& samples) override {
        try {
            TKLTDemoResults results(options_.Directory(), options_.OnlineDemoModeOptionSet);
            results.Load();
            TDemoPerson person;
            person.SetNames(given_.firstName, given_.lastName);
            person.categorie = given_.category;
            demo = RecordDemoRun(results, options_.OnlineDemoModeOptionSet, samples, person);
        } catch (const Exception& error) {
            demoFailure = error.Message();
        }
    }

    std::optional<std::string> stored;
    std::optional<TRecordedDemoRun> demo;
    std::string demoFailure; // the result could not be stored
private:
    const TErgoRunOptions& given_;
    const TOnlineOptions& options_;
    std::string initials_;
    std::string comment_;
};

struct TRideFigures {
    int samples = 0;
    double seconds = 0;
    int averageWatts = 0;
    int maxWatts = 0;
};

TRideFigures Figures(const TOnlineRunController& run) {
    const TKLTOnlineDatas& samples = run.Samples();
    TRideFigures figures{samples.Count(), static_cast<double>(run.ElapsedMs()) / 1000.0, 0, 0};
    int64_t sum = 0;
    for (int i = 0; i < samples.Count(); ++i) {
        const int watts = samples.Sample(i)->Power();
        sum += watts;
        figures.maxWatts = std::max(figures.maxWatts, watts);
    }
    // rounded as a demo's result is, so that both say the same
    if (samples.Count() > 0) {
        figures.averageWatts = static_cast<int>(std::llround(static_cast<double>(sum) / samples.Count()));
    }
    return figures;
}

void PrintRide(const TRideFigures& figures, const std::string& file, const std::optional<TRecordedDemoRun>& demo,
               bool json) {
    if (json) {
        TJson out = {{"samples", figures.samples},
                     {"seconds", figures.seconds},
                     {"average_w", figures.averageWatts},
                     {"max_w", figures.maxWatts},
                     {"file", file}};
        if (demo) {
            out["demo"] = {{"average_w", demo->result.AveragePower},
                           {"max_w", demo->result.MaxPower},
                           {"failure_w", demo->result.Failure},
                           {"position", demo->position},
                           {"results_file", demo->file}};
        }
        PrintJson(out);
        return;
    }
    std::printf("%s\n", Printable(file).c_str());
    std::printf("%d samples in %.1f s, average %d W, maximum %d W\n", figures.samples, figures.seconds,
                figures.averageWatts, figures.maxWatts);
    if (demo) {
        std::printf("Demo result: average %d W, maximum %d W, failure %d W, position %d in %s\n",
                    demo->result.AveragePower, demo->result.MaxPower, demo->result.Failure, demo->position,
                    Printable(demo->file).c_str());
    }
}

TErgometerMode SessionMode(TErgoRunMode mode) { return mode == TErgoRunMode::Demo ? emDemoMode : emOpenEndTest; }

// The live window's timers: the clock tick, start detection and the end of the run, each on the
// ride's time, until the run stops after it started. Throws when the rider never starts.
void RideSession(TOnlineSession& session, const IRunClock& clock, const TErgoRunOptions& given,
                 TProgressLine& progress) {
    TOnlineRunController& run = session.Run();
    const auto tick = std::chrono::milliseconds(std::max<int64_t>(1, kClockTickMs / given.speedup));
    const int64_t waitingSince = clock.SteadyMs();
    int64_t nextDetection = waitingSince;
    bool started = false;
    while (true) {
        session.WaitAndPump(tick);
        run.Tick();
        if (clock.SteadyMs() >= nextDetection) {
            run.DetectStart();
            nextDetection += kStartDetectionMs;
        }
        const bool recording = run.State() == TRunState::Running || run.State() == TRunState::Paused;
        started = started || recording;
        if (recording && (TInterruptScope::Interrupted() || (given.seconds && run.ElapsedMs() >= *given.seconds * 1000))) {
            run.EndTest();
        }
        if (started && run.State() == TRunState::Stopped) {
            break;
        }
        if (!started) {
            if (run.State() == TRunState::Stopped) {
                throw Exception("The connection to the head unit was lost before the rider started.");
            }
            if (TInterruptScope::Interrupted()) {
                throw Exception("Nothing was recorded: the run was interrupted before the rider started.");
            }
            if (clock.SteadyMs() - waitingSince > kLongestWaitMs) {
                throw Exception("The rider did not start pedalling.");
            }
        } else if (given.seconds) {
            progress.Show(static_cast<size_t>(run.ElapsedMs()), static_cast<size_t>(*given.seconds) * 1000);
        }
    }
}

} // namespace

int RunLiveTest(const TErgoRunOptions& given) {
    std::optional<TKLTErgoFile> program;
    if (!given.program.empty()) {
        program = LoadErgoProgram(given.program);
    }
    TOnlineOptions options(ConfiguredDatabaseDir());
    options.Load();
    if (given.mode == TErgoRunMode::Demo && options.OnlineDemoModeOptionSet.Categories.Count() <= given.category) {
        throw Exception("There is no demo category " + std::to_string(given.category) + ": the demo options hold " +
                        std::to_string(options.OnlineDemoModeOptionSet.Categories.Count()) + ".");
    }
    // this run's settings only; the options file stays as it is
    options.OnlineCommonOptionSet.SaveData = true;
    options.OnlineErgometerOptions.PredefinedFileOptionSet.EditProgram() = program.value_or(TKLTErgoFile());
    if (given.seconds) {
        // a demo without a program lasts the demo options' time (1/100 s)
        options.OnlineDemoModeOptionSet.Time = *given.seconds * 100;
    }

    TDevicePrompt prompt;
    const TErgometer ergometer = ConnectErgometer(given, prompt);
    const std::string comment =
        program ? program->Name() : given.mode == TErgoRunMode::Demo ? "Demo" : "Open-end test";
    THeadlessRunOwner owner(given, options, given.initials.value_or(ergometer.veltrak->Status().Initialen()), comment);
    const TSystemRunClock clock(given.speedup);
    TOnlineSessionSetup setup;
    setup.mode = SessionMode(given.mode);
    setup.cycle = std::chrono::milliseconds(std::max<int64_t>(1, TOnlineRunController::kSampleMs / given.speedup));
    setup.databaseDir = DatabaseInUse();

    TProgressLine progress("Riding");
    prompt.progress = &progress;
    TInterruptScope interrupt;
    std::unique_ptr<TOnlineSession> session;
    // the read thread never takes Ctrl+C: the loop ends the run on it
    interrupt.StartBlocked(
        [&] { session = std::make_unique<TOnlineSession>(*ergometer.veltrak, options, owner, prompt, clock, setup); });
    if (!session->HasBrake()) {
        throw Exception("The head unit reports no ergometer brake.");
    }
    TOnlineRunController& run = session->Run();
    if (given.mode == TErgoRunMode::Demo) {
        run.SetDemoCategorie(given.category);
        run.WaitForDemoRider();
    } else if (options.OnlineCommonOptionSet.StartTestBy == 0) {
        run.WaitForRider();
    } else {
        run.Start(); // started by the command, as by the window's start button
    }
    RideSession(*session, clock, given, progress);
    const TRideFigures figures = Figures(run);
    session.reset(); // the brake released and the reading stopped before anything is said
    progress.Clear();

    if (!owner.stored) {
        throw Exception(figures.samples < TOnlineRunController::kFewestSavedSamples
                            ? "Only " + std::to_string(figures.samples) +
                                  " samples were recorded, too few to store now; the next run puts them into the "
                                  "database."
                            : "The ride could not be stored; the next run puts it into the database.");
    }
    PrintRide(figures, *owner.stored, owner.demo, given.json);
    if (!owner.demoFailure.empty()) {
        std::fprintf(stderr, "The demo result was not stored: %s\n", PrintableLines(owner.demoFailure).c_str());
        return 1;
    }
    return 0;
}

} // namespace klt::cli
