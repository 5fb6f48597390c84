// klt demo results FILE.rst [--category NAME] [--sort steady|max|average] [--json]: a category's
// results, ranked as the results window ranks them.
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>

#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/JsonOutput.h"
#include "cli/TerminalText.h"
#include "cli/TextTable.h"
#include "core/Exceptions.h"
#include "core/Texts.h"
#include "online/DemoResultFile.h"

namespace klt::cli {
namespace {

const std::map<std::string, TDemoSortKind> kSortKinds = {{"steady", TDemoSortKind::Steady},
                                                         {"max", TDemoSortKind::MaxPower},
                                                         {"average", TDemoSortKind::AveragePower}};

struct TDemoResultsOptions {
    std::string path;
    std::string categorie; // the name the file stands for when empty
    std::string sort = "steady";
    bool json = false;
};

std::vector<TKLTDemoResult> ReadResults(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::exists(path, error)) {
        throw EInOutError(FormatText("Error open File %s", {path}));
    }
    try {
        return ReadDemoResultFile(path);
    } catch (const EDemoResultsDamaged&) {
        throw;
    } catch (const EInOutError& failure) {
        throw EInOutError(FormatText("Error open File %s", {path}) + "\r\n" + failure.Message());
    }
}

TJson ResultsJson(const std::string& categorie, const std::string& sort,
                  const std::vector<TDemoRankedResult>& ranked) {
    TJson rows = TJson::array();
    for (const TDemoRankedResult& row : ranked) {
        const TKLTDemoResult& result = *row.Result;
        rows.push_back({{"position", row.Position},
                        {"last_name", result.LastName()},
                        {"first_name", result.FirstName()},
                        {"average_power", result.AveragePower},
                        {"max_power", result.MaxPower},
                        {"failure", result.Failure},
                        {"category_watt", result.CategorieWatt}});
    }
    return {{"category", categorie}, {"sort", sort}, {"results", rows}};
}

std::string ResultsText(const std::string& categorie, TDemoSortKind kind,
                        const std::vector<TDemoRankedResult>& ranked) {
    std::vector<TColumn> columns;
    for (const std::string& title : DemoGridColumns(kind)) {
        const bool name = IsDemoGridNameColumn(title);
        columns.push_back({title, name ? 22u : title.size() + 2, !name});
    }
    TTextTable table(columns);
    for (const TDemoRankedResult& row : ranked) {
        table.AddRow(DemoGridRow(row, kind));
    }
    return PaddedText("Categorie", 11, false) + Printable(categorie) + "\n\n" + table.Text() +
           (ranked.empty() ? "(no results)\n" : "");
}

int RunDemoResults(const TDemoResultsOptions& options) {
    const std::vector<TKLTDemoResult> results = ReadResults(options.path);
    const std::string categorie =
        options.categorie.empty()
            ? DemoCategorieNameOfFile(std::filesystem::path(options.path).filename().string())
            : options.categorie;
    const TDemoSortKind kind = kSortKinds.at(options.sort);
    const std::vector<TDemoRankedResult> ranked = RankDemoResults(results, kind);
    if (options.json) {
        PrintJson(ResultsJson(categorie, options.sort, ranked));
    } else {
        const std::string text = ResultsText(categorie, kind, ranked);
        std::fwrite(text.data(), 1, text.size(), stdout);
    }
    return 0;
}

} // namespace

void AddDemoResultsCommand(CLI::App& demo, TCommandRun& selected) {
    auto options = std::make_shared<TDemoResultsOptions>();
    CLI::App& command = *demo.add_subcommand(
        "results",
        "a category's results file ranked as the results window shows it; a damaged file is refused");
    command.add_option("FILE", options->path, "the results file (DemoMode/<category>.rst)")->required();
    command.add_option("--category", options->categorie,
                       "the category's name to show (default: the name the file stands for)");
    command
        .add_option(
            "--sort", options->sort,
            "steady (least failure first, the default), max (maximum power) or average (average power)")
        ->check(CLI::IsMember(kSortKinds));
    command.add_flag("--json", options->json,
                     "one JSON object; category_watt in the category's raw unit (W x 8)");
    RunWhenSelected(command, selected, [options] { return RunDemoResults(*options); });
}

} // namespace klt::cli
