#include "online/DemoResults.h"

#include "core/Exceptions.h"
#include "core/Prompt.h"
#include "online/DemoResultFile.h"

namespace klt {

TKLTDemoResults::TKLTDemoResults(const std::string& optionsDirectory, const TOnlineDemoModeOptionSet& options) {
    for (const TKLTDemoCategorie& categorie : options.Categories.Items()) {
        categories_.emplace_back(DemoResultPath(optionsDirectory, categorie.Name()));
    }
}

TKLTDemoCategoryResults* TKLTDemoResults::Categorie(int index) {
    return index >= 0 && index < Count() ? &categories_[static_cast<size_t>(index)] : nullptr;
}

void TKLTDemoResults::Load() {
    for (TKLTDemoCategoryResults& categorie : categories_) {
        categorie.Load();
    }
}

bool TKLTDemoResults::Confirmed(std::string_view question) {
    return Prompt().Ask("Attention", std::string(question), TPromptButtons::OkCancel) == TPromptAnswer::Ok;
}

bool TKLTDemoResults::ClearCategorie(int index) {
    TKLTDemoCategoryResults* categorie = Categorie(index);
    if (categorie == nullptr || !Confirmed(kClearCategorieQuestion)) {
        return false;
    }
    categorie->Clear();
    return true;
}

bool TKLTDemoResults::ClearAll() {
    if (!Confirmed(kClearAllQuestion)) {
        return false;
    }
    std::string failures;
    for (TKLTDemoCategoryResults& categorie : categories_) {
        try {
            categorie.Clear();
        } catch (const EInOutError& error) {
            failures += (failures.empty() ? "" : "\r\n") + error.Message();
        }
    }
    if (!failures.empty()) {
        throw EInOutError(failures);
    }
    return true;
}

} // namespace klt
