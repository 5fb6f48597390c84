#include "cli/CommandLine.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "core/KLTDate.h"

namespace klt::cli {
namespace {

const std::shared_ptr<CLI::Formatter>& HelpFormatter() {
    static const std::shared_ptr<CLI::Formatter> formatter = [] {
        auto made = std::make_shared<CLI::Formatter>();
        made->label("Usage", "usage");
        made->column_width(36);
        return made;
    }();
    return formatter;
}

bool AllDigits(const std::string& text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

} // namespace

CLI::Validator WholeNumber(int64_t lowest, int64_t highest) {
    const std::string range = std::to_string(lowest) + " to " + std::to_string(highest);
    return CLI::Validator(
        [lowest, highest, range](std::string& text) -> std::string {
            const bool negative = !text.empty() && text[0] == '-';
            const std::string digits = negative ? text.substr(1) : text;
            errno = 0;
            const long long value = AllDigits(digits) ? std::strtoll(text.c_str(), nullptr, 10) : 0;
            if (!AllDigits(digits) || errno != 0 || value < lowest || value > highest) {
                return "needs a whole number from " + range + ", not \"" + text + "\"";
            }
            text = std::to_string(value);
            return {};
        },
        "");
}

CLI::Validator PasswordNumber() {
    return CLI::Validator(
        [](std::string& text) -> std::string {
            const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
            const std::string digits = hex ? text.substr(2) : text;
            const bool wellFormed = !digits.empty() && digits.find_first_not_of(hex ? "0123456789abcdefABCDEF"
                                                                                     : "0123456789") ==
                                                           std::string::npos;
            errno = 0;
            const unsigned long long value = wellFormed ? std::strtoull(digits.c_str(), nullptr, hex ? 16 : 10) : 0;
            if (!wellFormed || errno != 0 || value > 0xFFFFFFFFull) {
                return "needs a 32-bit number, decimal or 0x-hexadecimal, not \"" + text + "\"";
            }
            text = std::to_string(value);
            return {};
        },
        "");
}

CLI::Validator IsoDay() {
    return CLI::Validator(
        [](std::string& text) -> std::string {
            TCivilDate date;
            char end = 0;
            if (std::sscanf(text.c_str(), "%4d-%2d-%2d%c", &date.year, &date.month, &date.day, &end) != 3 ||
                !IsValidCivilDate(date) || DaysSince1880(date) < 0 || DaysSince1880(date) >= kNoDate) {
                return "not a date (YYYY-MM-DD): " + text;
            }
            text = std::to_string(DaysSince1880(date));
            return {};
        },
        "");
}

void RunWhenSelected(CLI::App& command, TCommandRun& selected, TCommandRun run) {
    command.callback([&selected, run = std::move(run)] { selected = run; });
}

void BuildCommandLine(CLI::App& klt, TCommandRun& selected) {
    klt.formatter(HelpFormatter());
    klt.require_subcommand(0, 1); // none: told after parsing, so that a wrong option is named first
    klt.footer("Exit status: 0 success, 1 the operation failed (the reason on stderr), 2 wrong arguments.\n"
               "JSON values are raw units; 'klt COMMAND --help' describes a command.");
    AddInfoCommand(klt, selected);
    AddSamplesCommand(klt, selected);
    AddConvertCommand(klt, selected);
    AddExportCommand(klt, selected);
    AddPlotCommand(klt, selected);
    AddDatabaseCommand(klt, selected);
    AddImportCommand(klt, selected);
    AddImageCommand(klt, selected);
    AddDeviceCommand(klt, selected);
    // "klt help" as before the tool had --help; not listed.
    CLI::App& help = *klt.add_subcommand("help")->group("");
    RunWhenSelected(help, selected, [&klt] {
        std::fputs(HelpFormatter()->make_help(&klt, klt.get_name(), CLI::AppFormatMode::Normal).c_str(), stdout);
        return 0;
    });
}

std::string UsageHint(const CLI::App& klt) {
    const CLI::App* command = &klt;
    std::string name = klt.get_name();
    while (!command->get_subcommands().empty()) {
        command = command->get_subcommands().front();
        name += " " + command->get_name();
    }
    return HelpFormatter()->make_usage(command, name) + "Run '" + name + " --help' for more information.\n";
}

} // namespace klt::cli
