// klt ergo show FILE.erg [--json]: the steps of an ergo program.
#include <cstdio>
#include <memory>

#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/ErgoProgramFile.h"
#include "cli/JsonOutput.h"
#include "cli/TerminalText.h"
#include "cli/TextTable.h"
#include "core/Exceptions.h"
#include "core/Texts.h"
#include "online/KLTErgoFile.h"

namespace klt::cli {
namespace {

TJson ProgramJson(const TKLTErgoFile& program) {
    TJson steps = TJson::array();
    for (int i = 0; i < program.Count(); ++i) {
        const TKLTErgoSection& step = *program.Section(i);
        steps.push_back({{"time", step.Time.Value},
                         {"power", step.Power.Value},
                         {"heart_rate", step.Heartrate.Value},
                         {"cadence", step.Cadence.Value},
                         {"checked",
                          {{"time", step.Time.Checked},
                           {"power", step.Power.Checked},
                           {"heart_rate", step.Heartrate.Checked},
                           {"cadence", step.Cadence.Checked}}}});
    }
    return {{"name", program.Name()},
            {"commentary", program.Commentary()},
            {"steps", steps},
            {"total_time", program.TotalTime()}};
}

// A target in display units, with a "*" when it controls the brake in the step.
std::string Target(TMesswertArtType kind, int32_t raw, bool controls) {
    return ValueWithUnit(kind, raw) + (controls ? " *" : "");
}

std::string Seconds(int64_t hundredths) {
    char text[32];
    std::snprintf(text, sizeof text, hundredths % 100 == 0 ? "%.0f s" : "%.2f s",
                  static_cast<double>(hundredths) / 100.0);
    return text;
}

std::string ProgramText(const TKLTErgoFile& program) {
    std::string text = PaddedText("Program", 15, false) + Printable(program.Name()) + "\n" +
                       PaddedText("Commentary", 15, false) + Printable(program.Commentary()) + "\n\n";
    TTextTable table({{"Step", 5, true},
                      {"Time", 11, true},
                      {"Power", 11, true},
                      {"Heart rate", 12, true},
                      {"Cadence", 11, true},
                      {"Marked", 0, false}});
    for (int i = 0; i < program.Count(); ++i) {
        const TKLTErgoSection& step = *program.Section(i);
        const TErgoControl control = step.ControlledBy();
        table.AddRow({std::to_string(i + 1), Seconds(step.Time.Value),
                      Target(mwaLeistung, step.Power.Value, control == TErgoControl::Power),
                      Target(mwaHerzfrequenz, step.Heartrate.Value, control == TErgoControl::Heartrate),
                      Target(mwaTretfrequenz, step.Cadence.Value, control == TErgoControl::Cadence),
                      step.Time.Checked ? "yes" : ""});
    }
    char work[32];
    std::snprintf(work, sizeof work, "%.1f kJ", program.TotalWork());
    return text + table.Text() + "\n* controls the brake in the step\n" +
           PaddedText("Total time", 15, false) + FormatDuration(program.TotalTime()) + " (" +
           Seconds(program.TotalTime()) + ")\n" + PaddedText("Total work", 15, false) + work + "\n";
}

int RunErgoShow(const std::string& path, bool asJson) {
    const TKLTErgoFile program = LoadErgoProgram(path);
    if (asJson) {
        PrintJson(ProgramJson(program));
    } else {
        const std::string text = ProgramText(program);
        std::fwrite(text.data(), 1, text.size(), stdout);
    }
    return 0;
}

} // namespace

void AddErgoShowCommand(CLI::App& ergo, TCommandRun& selected) {
    struct TOptions {
        std::string path;
        bool json = false;
    };
    auto options = std::make_shared<TOptions>();
    CLI::App& show =
        *ergo.add_subcommand("show", "the steps of an ergo program with their targets and total time");
    show.add_option("FILE", options->path, "the ergo program (.erg)")->required();
    show.add_flag("--json", options->json, "one JSON object in raw units");
    RunWhenSelected(show, selected, [options] { return RunErgoShow(options->path, options->json); });
}

} // namespace klt::cli
