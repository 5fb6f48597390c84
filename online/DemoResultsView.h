#pragma once
// The results window without the window: one category's ranking in the order "Sort By" chose,
// and clearing results. Every failure reaches the user through the prompt; nothing throws.
#include <string>
#include <vector>

#include "online/DemoResults.h"
#include "online/OnlineOptions.h"

namespace klt {

class TDemoResultsView {
public:
    // The "Sort By" choices, in the order of TDemoSortKind.
    static const std::vector<std::string>& SortNames();

    // Reads the results of every category of the live options and shows `categorie` (the first
    // when there is no such category). "Sort By" starts at the order of the demo kind.
    TDemoResultsView(TOnlineOptions& options, int categorie);

    std::vector<std::string> CategorieNames() const;
    // -1 without categories.
    int Categorie() const { return categorie_; }
    std::string CategorieName() const;
    // Ignored outside the list.
    void SelectCategorie(int index);

    TDemoSortKind SortKind() const { return sortKind_; }
    // Also makes the order the demo kind of the options, so the window opens on it next time.
    void SetSortKind(TDemoSortKind kind);

    std::vector<std::string> Columns() const;
    // Whether a column holds numbers, shown right-aligned.
    bool NumberColumn(size_t column) const;
    // One row per result of the category in ranking order, the cells of Columns().
    std::vector<std::vector<std::string>> Rows() const;

    // After the question; false when cancelled or when clearing failed, which is shown (Clear All
    // goes on with the other categories, so rows may have gone even then).
    bool ClearCategorie();
    bool ClearAll();

private:
    template <class Clear> bool Cleared(Clear clear);

    TOnlineOptions& options_;
    TKLTDemoResults results_;
    int categorie_ = -1;
    TDemoSortKind sortKind_;
};

} // namespace klt
