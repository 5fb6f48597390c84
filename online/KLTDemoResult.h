#pragma once
// One rider's result of a demo run, and how the results of a category rank.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace klt {

class TKLTDemoResult {
public:
    static constexpr size_t kMaxNameChars = 20;

    const std::string& FirstName() const { return firstName_; }
    const std::string& LastName() const { return lastName_; }
    // Names are kept as the results file holds them: control characters become blanks, blanks at
    // both ends go, at most 20 characters.
    void SetFirstName(std::string_view name) { firstName_ = DemoName(name); }
    void SetLastName(std::string_view name) { lastName_ = DemoName(name); }

    int32_t AveragePower = 0;  // W
    int32_t CategorieWatt = 0; // the category's target as stored there, W x 8
    int32_t MaxPower = 0;      // W
    int32_t Failure = 0;       // sum of the deviations from the target, W
    int32_t Spare = 0;         // carried through the results file as read; 0 for a new result

    bool operator==(const TKLTDemoResult&) const = default;

    // A name as a result keeps it.
    static std::string DemoName(std::string_view name);

private:

    std::string firstName_;
    std::string lastName_;
};

// The orders of the results window's "Sort By": "Steady" least failure first, "Max Power" and
// "Average Power" the highest power first.
enum class TDemoSortKind { Steady = 0, MaxPower = 1, AveragePower = 2 };

// The order the results window starts with for a demo kind ("DemoMode"): "Max Distance" ranks by
// average power; "Race" keeps no results and any other kind ranks as "Steady".
TDemoSortKind SortKindOfDemoMode(int demoMode);

struct TDemoRankedResult {
    int Position; // 1-based; a result that ranks equal with the one above shares its position
    const TKLTDemoResult* Result;
};

// The results in ranking order; results that rank equal keep their order of storage, so a new
// one goes after them. The pointers point into `results`.
std::vector<TDemoRankedResult> RankDemoResults(const std::vector<TKLTDemoResult>& results,
                                               TDemoSortKind kind);

// The results grid of a sort kind: its column titles, and the cells of a ranked result.
std::vector<std::string> DemoGridColumns(TDemoSortKind kind);
// "LastName" and "FirstName"; every other column holds a number.
bool IsDemoGridNameColumn(std::string_view title);
std::vector<std::string> DemoGridRow(const TDemoRankedResult& ranked, TDemoSortKind kind);

} // namespace klt
