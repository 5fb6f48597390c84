#include "cli/CommandLine.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <optional>

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

// Hands on the number `parse` reads in plain decimal, which CLI11 converts as it is; names what
// is needed when there is none.
CLI::Validator Number(std::function<std::optional<long long>(const std::string&)> parse, std::string needed) {
    return CLI::Validator(
        [parse = std::move(parse), needed = std::move(needed)](std::string& text) -> std::string {
            const std::optional<long long> value = parse(text);
            if (!value) {
                return "needs " + needed + ", not \"" + text + "\"";
            }
            text = std::to_string(*value);
            return {};
        },
        "");
}

} // namespace

CLI::Validator WholeNumber(int64_t lowest, int64_t highest) {
    return Number(
        [lowest, highest](const std::string& text) -> std::optional<long long> {
            const bool negative = !text.empty() && text[0] == '-';
            if (!AllDigits(negative ? text.substr(1) : text)) {
                return std::nullopt;
            }
            errno = 0;
            const long long value = std::strtoll(text.c_str(), nullptr, 10);
            return errno == 0 && value >= lowest && value <= highest ? std::optional(value) : std::nullopt;
        },
        "a whole number from " + std::to_string(lowest) + " to " + std::to_string(highest));
}

CLI::Validator PasswordNumber() {
    return Number(
        [](const std::string& text) -> std::optional<long long> {
            const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
            const std::string digits = hex ? text.substr(2) : text;
            if (digits.empty() ||
                digits.find_first_not_of(hex ? "0123456789abcdefABCDEF" : "0123456789") != std::string::npos) {
                return std::nullopt;
            }
            errno = 0;
            const unsigned long long value = std::strtoull(digits.c_str(), nullptr, hex ? 16 : 10);
            return errno == 0 && value <= 0xFFFFFFFFull ? std::optional(static_cast<long long>(value)) : std::nullopt;
        },
        "a 32-bit number, decimal or 0x-hexadecimal");
}

CLI::Validator IsoDay() {
    return Number(
        [](const std::string& text) -> std::optional<long long> {
            TCivilDate date;
            char end = 0;
            if (std::sscanf(text.c_str(), "%4d-%2d-%2d%c", &date.year, &date.month, &date.day, &end) != 3 ||
                !IsValidCivilDate(date) || DaysSince1880(date) < 0 || DaysSince1880(date) >= kNoDate) {
                return std::nullopt;
            }
            return DaysSince1880(date);
        },
        "a date YYYY-MM-DD");
}

CLI::App& AddCommandGroup(CLI::App& parent, const std::string& name, const std::string& description) {
    CLI::App& group = *parent.add_subcommand(name, description);
    group.require_subcommand(0, 1); // none: told after parsing, so that a wrong option is named first
    return group;
}

void RunWhenSelected(CLI::App& command, TCommandRun& selected, TCommandRun run) {
    command.callback([&selected, run = std::move(run)] { selected = run; });
}

void BuildCommandLine(CLI::App& klt, TCommandRun& selected) {
    klt.formatter(HelpFormatter());
    klt.require_subcommand(0, 1); // none: told after parsing, as in AddCommandGroup
    klt.footer("Exit status: 0 success, 1 the operation failed (the reason on stderr), 2 wrong arguments.\n"
               "JSON values are raw units; 'klt COMMAND --help' describes a command.");
    AddInfoCommand(klt, selected);
    AddSamplesCommand(klt, selected);
    AddConvertCommand(klt, selected);
    AddExportCommand(klt, selected);
    AddPlotCommand(klt, selected);
    AddAnalyseCommand(klt, selected);
    AddDatabaseCommand(klt, selected);
    AddImportCommand(klt, selected);
    AddImageCommand(klt, selected);
    AddDeviceCommand(klt, selected);
    AddLiveCommand(klt, selected);
    AddHrvCommand(klt, selected);
    AddErgoCommand(klt, selected);
    AddDemoCommand(klt, selected);
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
