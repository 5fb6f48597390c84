#include "online/KLTDemoResult.h"

#include <algorithm>

#include "core/Utf8Chars.h"

namespace klt {
namespace {

bool IsControl(char c) {
    return static_cast<unsigned char>(c) < ' ' || c == '\x7F';
}

// The value results are ranked by, smallest first.
int64_t RankingValue(const TKLTDemoResult& result, TDemoSortKind kind) {
    switch (kind) {
    case TDemoSortKind::MaxPower:
        return -int64_t{result.MaxPower};
    case TDemoSortKind::AveragePower:
        return -int64_t{result.AveragePower};
    case TDemoSortKind::Steady:
        break;
    }
    return result.Failure;
}

} // namespace

std::string TKLTDemoResult::DemoName(std::string_view name) {
    std::string kept(name);
    std::replace_if(kept.begin(), kept.end(), IsControl, ' ');
    // A name never starts inside a character: the results file finds the first name by counting
    // the characters of the last name.
    size_t first = 0;
    while (first < kept.size() && (IsContinuationByte(kept[first]) || kept[first] == ' ')) {
        ++first;
    }
    return TrimText(TruncateChars(std::string_view(kept).substr(first), kMaxNameChars));
}

TDemoSortKind SortKindOfDemoMode(int demoMode) {
    switch (demoMode) {
    case 1:
        return TDemoSortKind::MaxPower;
    case 2:
        return TDemoSortKind::AveragePower;
    default:
        return TDemoSortKind::Steady;
    }
}

std::vector<TDemoRankedResult> RankDemoResults(const std::vector<TKLTDemoResult>& results,
                                               TDemoSortKind kind) {
    std::vector<const TKLTDemoResult*> order(results.size());
    std::transform(results.begin(), results.end(), order.begin(), [](const TKLTDemoResult& r) { return &r; });
    std::stable_sort(order.begin(), order.end(), [kind](const TKLTDemoResult* a, const TKLTDemoResult* b) {
        return RankingValue(*a, kind) < RankingValue(*b, kind);
    });
    std::vector<TDemoRankedResult> ranked;
    ranked.reserve(order.size());
    for (const TKLTDemoResult* result : order) {
        const bool tied =
            !ranked.empty() && RankingValue(*ranked.back().Result, kind) == RankingValue(*result, kind);
        ranked.push_back({tied ? ranked.back().Position : static_cast<int>(ranked.size()) + 1, result});
    }
    return ranked;
}

std::vector<std::string> DemoGridColumns(TDemoSortKind kind) {
    std::vector<std::string> columns = {"Pos", "LastName", "FirstName"};
    switch (kind) {
    case TDemoSortKind::Steady:
        columns.insert(columns.end(), {"AveragePower", "Failure"});
        break;
    case TDemoSortKind::MaxPower:
        columns.push_back("MaxPower");
        break;
    case TDemoSortKind::AveragePower:
        columns.push_back("AveragePower");
        break;
    }
    return columns;
}

bool IsDemoGridNameColumn(std::string_view title) {
    return title == "LastName" || title == "FirstName";
}

std::vector<std::string> DemoGridRow(const TDemoRankedResult& ranked, TDemoSortKind kind) {
    const TKLTDemoResult& result = *ranked.Result;
    std::vector<std::string> cells = {std::to_string(ranked.Position), result.LastName(), result.FirstName()};
    switch (kind) {
    case TDemoSortKind::Steady:
        cells.insert(cells.end(), {std::to_string(result.AveragePower), std::to_string(result.Failure)});
        break;
    case TDemoSortKind::MaxPower:
        cells.push_back(std::to_string(result.MaxPower));
        break;
    case TDemoSortKind::AveragePower:
        cells.push_back(std::to_string(result.AveragePower));
        break;
    }
    return cells;
}

} // namespace klt
