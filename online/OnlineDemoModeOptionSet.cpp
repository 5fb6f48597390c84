#include "online/OnlineDemoModeOptionSet.h"

#include <array>

#include "core/Utf8Chars.h"
#include "online/OnlineOptionKeys.h"

namespace klt {
namespace {

constexpr std::array<TOptionKey<TKLTDemoCategorie>, 2> kCategorieKeys = {{
    {"Watt", &TKLTDemoCategorie::Watt},
    {"Tolerance", &TKLTDemoCategorie::Tolerance},
}};

constexpr std::array<TOptionKey<TOnlineDemoModeOptionSet>, 2> kDemoKeys = {{
    {"DemoMode", &TOnlineDemoModeOptionSet::DemoMode},
    {"Time", &TOnlineDemoModeOptionSet::Time},
}};

} // namespace

void TKLTDemoCategorie::SetName(std::string_view name) {
    name_ = TruncateChars(name, kMaxNameChars);
}

bool TKLTDemoCategorie::ReadVariable(const TProfileVariable& variable) {
    if (variable.name == "Name") {
        SetName(variable.value);
        return true;
    }
    return ReadOptionKey<TKLTDemoCategorie>(kCategorieKeys, *this, variable);
}

void TKLTDemoCategorie::WriteContent(TOnlineOptionWriter& writer) const {
    writer.Text("Name", name_);
    WriteOptionKeys<TKLTDemoCategorie>(kCategorieKeys, *this, writer);
}

bool TOnlineDemoModeOptionSet::ReadVariable(const TProfileVariable& variable) {
    return ReadOptionKey<TOnlineDemoModeOptionSet>(kDemoKeys, *this, variable);
}

bool TOnlineDemoModeOptionSet::ReadChild(std::string_view line, TOnlineOptionReader& reader) {
    return LoadChildOpenedBy(line, reader, {&Categories});
}

void TOnlineDemoModeOptionSet::WriteContent(TOnlineOptionWriter& writer) const {
    WriteOptionKeys<TOnlineDemoModeOptionSet>(kDemoKeys, *this, writer);
    Categories.SaveSet(writer);
}

} // namespace klt
