#include "online/DemoResultsView.h"

#include "core/Exceptions.h"
#include "core/Prompt.h"

namespace klt {

const std::vector<std::string>& TDemoResultsView::SortNames() {
    static const std::vector<std::string> names = {"Steady", "Max Power", "Average Power"};
    return names;
}

TDemoResultsView::TDemoResultsView(TOnlineOptions& options, int categorie)
    : options_(options), results_(options.Directory(), options.OnlineDemoModeOptionSet),
      sortKind_(SortKindOfDemoMode(options.OnlineDemoModeOptionSet.DemoMode)) {
    results_.Load();
    if (results_.Count() > 0) {
        categorie_ = categorie >= 0 && categorie < results_.Count() ? categorie : 0;
    }
}

std::vector<std::string> TDemoResultsView::CategorieNames() const {
    std::vector<std::string> names;
    for (const TKLTDemoCategorie& categorie : options_.OnlineDemoModeOptionSet.Categories.Items()) {
        names.push_back(categorie.Name());
    }
    return names;
}

std::string TDemoResultsView::CategorieName() const {
    const std::vector<std::string> names = CategorieNames();
    return categorie_ >= 0 && categorie_ < static_cast<int>(names.size()) ? names[static_cast<size_t>(categorie_)]
                                                                          : std::string();
}

void TDemoResultsView::SelectCategorie(int index) {
    if (index >= 0 && index < results_.Count()) {
        categorie_ = index;
    }
}

void TDemoResultsView::SetSortKind(TDemoSortKind kind) {
    sortKind_ = kind;
    options_.OnlineDemoModeOptionSet.DemoMode = static_cast<int32_t>(kind);
}

std::vector<std::string> TDemoResultsView::Columns() const {
    return DemoGridColumns(sortKind_);
}

bool TDemoResultsView::NumberColumn(size_t column) const {
    const std::vector<std::string> columns = Columns();
    return column < columns.size() && !IsDemoGridNameColumn(columns[column]);
}

std::vector<std::vector<std::string>> TDemoResultsView::Rows() const {
    std::vector<std::vector<std::string>> rows;
    if (const TKLTDemoCategoryResults* shown = results_.Categorie(categorie_)) {
        for (const TDemoRankedResult& ranked : RankDemoResults(shown->Results(), sortKind_)) {
            rows.push_back(DemoGridRow(ranked, sortKind_));
        }
    }
    return rows;
}

template <class Clear> bool TDemoResultsView::Cleared(Clear clear) {
    try {
        return clear();
    } catch (const EInOutError& error) {
        Prompt().ShowMessage("Attention", error.Message());
        return false;
    }
}

bool TDemoResultsView::ClearCategorie() {
    return Cleared([this] { return results_.ClearCategorie(categorie_); });
}

bool TDemoResultsView::ClearAll() {
    return Cleared([this] { return results_.ClearAll(); });
}

} // namespace klt
