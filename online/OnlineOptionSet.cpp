#include "online/OnlineOptionSet.h"

#include <string>

namespace klt {

void TOnlineOptionSet::LoadSet(TOnlineOptionReader& reader) {
    const std::string closing = "</" + std::string(Tag()) + ">";
    LoadStarted();
    for (;;) {
        std::string_view line = reader.NextLine();
        if (line.find(closing) != std::string_view::npos) {
            LoadFinished();
            return;
        }
        std::optional<TProfileVariable> variable = ParseProfileVariable(line);
        if ((variable && ReadVariable(*variable)) || ReadChild(line, reader) ||
            line.find(VariableMarker()) != std::string_view::npos) {
            continue;
        }
        reader.AddFormatError(line, Tag());
        SetDefaults();
        reader.SkipPast(closing);
        return;
    }
}

void TOnlineOptionSet::SaveSet(TOnlineOptionWriter& writer) const {
    writer.Open(Tag());
    WriteContent(writer);
    writer.Close(Tag());
}

bool TOnlineOptionSet::ReadChild(std::string_view, TOnlineOptionReader&) {
    return false;
}

bool LoadChildOpenedBy(std::string_view line, TOnlineOptionReader& reader,
                       std::initializer_list<TOnlineOptionSet*> children) {
    for (TOnlineOptionSet* child : children) {
        if (HoldsOpeningTag(line, child->Tag())) {
            child->LoadSet(reader);
            return true;
        }
    }
    return false;
}

} // namespace klt
