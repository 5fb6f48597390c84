#include "online/DemoResults.h"

#include <algorithm>
#include <utility>

#include "core/Exceptions.h"
#include "core/Prompt.h"
#include "online/DemoResultFile.h"

namespace klt {

TKLTDemoResults::TKLTDemoResults(const std::string& optionsDirectory,
                                 const TOnlineDemoModeOptionSet& options) {
    for (const TKLTDemoCategorie& categorie : options.Categories.Items()) {
        const std::string path = DemoResultPath(optionsDirectory, categorie.Name());
        const auto same =
            std::find_if(files_.begin(), files_.end(),
                         [&path](const TKLTDemoCategoryResults& file) { return file.Path() == path; });
        fileOfCategorie_.push_back(static_cast<size_t>(same - files_.begin()));
        if (same == files_.end()) {
            files_.emplace_back(path);
        }
    }
}

const TKLTDemoCategoryResults* TKLTDemoResults::Categorie(int index) const {
    return index >= 0 && index < Count() ? &files_[fileOfCategorie_[static_cast<size_t>(index)]] : nullptr;
}

TKLTDemoCategoryResults* TKLTDemoResults::Categorie(int index) {
    return const_cast<TKLTDemoCategoryResults*>(std::as_const(*this).Categorie(index));
}

void TKLTDemoResults::Load() {
    for (TKLTDemoCategoryResults& file : files_) {
        file.Load();
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
    for (TKLTDemoCategoryResults& file : files_) {
        try {
            file.Clear();
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
