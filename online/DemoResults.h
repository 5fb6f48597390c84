#pragma once
// The results window's data without the window: the results of every demo category, and
// clearing them. The questions before clearing go through the prompt (caption "Attention",
// OK/Cancel); a program without a user answers Cancel and nothing is cleared.
#include <string>
#include <string_view>
#include <vector>

#include "online/DemoCategoryResults.h"
#include "online/OnlineDemoModeOptionSet.h"

namespace klt {

class TKLTDemoResults {
public:
    static constexpr std::string_view kClearCategorieQuestion =
        "Are you sure to delete this Categorie? All Datas will be lost";
    static constexpr std::string_view kClearAllQuestion =
        "Are you sure to delete all Categories? All Datas will be lost";

    // The categories of the demo options, their files in "DemoMode" below the options directory;
    // nothing read yet.
    TKLTDemoResults(const std::string& optionsDirectory, const TOnlineDemoModeOptionSet& options);

    int Count() const { return static_cast<int>(fileOfCategorie_.size()); }
    // Nothing outside 0..Count() - 1. Categories of one name share their results, as they share
    // the file: apart, each would write its own results over the other's.
    TKLTDemoCategoryResults* Categorie(int index);
    const TKLTDemoCategoryResults* Categorie(int index) const;

    // Reads every category's file (see TKLTDemoCategoryResults::Load).
    void Load();
    // After the question, clears one category or all (see TKLTDemoCategoryResults::Clear); false
    // when the user cancelled. Every category is tried; EInOutError names those that failed.
    bool ClearCategorie(int index);
    bool ClearAll();

private:
    static bool Confirmed(std::string_view question);

    std::vector<TKLTDemoCategoryResults> files_; // one per results file
    std::vector<size_t> fileOfCategorie_;
};

} // namespace klt
