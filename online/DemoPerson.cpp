#include "online/DemoPerson.h"

#include "online/KLTDemoResult.h"

namespace klt {

void TDemoPerson::SetNames(std::string_view first, std::string_view last) {
    firstName = TKLTDemoResult::DemoName(first);
    lastName = TKLTDemoResult::DemoName(last);
}

std::vector<std::string> CategorieNames(const TOnlineDemoModeOptionSet& demo) {
    std::vector<std::string> names;
    for (const TKLTDemoCategorie& categorie : demo.Categories.Items()) {
        names.push_back(categorie.Name());
    }
    return names;
}

} // namespace klt
