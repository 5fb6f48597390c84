#include "app/KLTIniData.h"

#include "core/PropertyText.h"

namespace klt {
namespace {

constexpr std::string_view ObjectName = "KLTIniFile";

} // namespace

void TKLTIniData::SetToDefaults() {
    OptionData.SetToDefaults();
    PrinterData.SetToDefaults();
    FileHistory = TFileHistory();
    MarkerIdentList = TMarkerIdentList();
    SystemData.SetToDefaults();
}

void TKLTIniData::VisitProperties(TPropertyVisitor& visitor) {
    visitor.Object("OptionData", OptionData);
    visitor.Object("PrinterData", PrinterData);
    visitor.Object("FileHistory", [this](TPropertyVisitor& list) {
        list.TextList("Strings", FileHistory.Items(),
                      [this](std::vector<std::string> paths) { FileHistory.SetItems(std::move(paths)); });
    });
    visitor.Object("MarkerIdentList", [this](TPropertyVisitor& list) {
        list.TextList("Strings", MarkerIdentList.Items(), [this](const std::vector<std::string>& names) {
            // Given again oldest first, they keep their order and the list its rules: trimmed, no
            // duplicates, no more names than it keeps.
            TMarkerIdentList checked;
            for (auto name = names.rbegin(); name != names.rend(); ++name) {
                checked.AddName(*name);
            }
            MarkerIdentList = std::move(checked);
        });
    });
    visitor.Object("SystemData", SystemData);
}

std::string TKLTIniData::Text() {
    return WritePropertyText(*this, ObjectName, kClassName);
}

void TKLTIniData::ReadText(std::string_view text) {
    SetToDefaults();
    try {
        ReadPropertyText(text, *this, kClassName);
    } catch (...) {
        SetToDefaults();
        throw;
    }
}

} // namespace klt
