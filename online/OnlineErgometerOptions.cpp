#include "online/OnlineErgometerOptions.h"

namespace klt {

void TOnlineErgometerOptions::SetErgometerMode(TErgometerMode mode) {
    if (Passing(mode)) {
        restore_ = Passing(mode_) ? emPredefinedFile : mode_;
    }
    mode_ = mode;
}

TErgometerMode TOnlineErgometerOptions::StoredMode() const {
    return Passing(mode_) ? restore_ : mode_;
}

void TOnlineErgometerOptions::SetDefaults() {
    mode_ = emOpenEndTest;
    restore_ = emPredefinedFile;
    OpenEndTestOptionSet.SetDefaults();
    ShortTestOptionSet.SetDefaults();
    PredefinedFileOptionSet.SetDefaults();
}

bool TOnlineErgometerOptions::ReadVariable(const TProfileVariable& variable) {
    if (variable.name != "ErgometerMode") {
        return false;
    }
    SetErgometerMode(static_cast<TErgometerMode>(ProfileInteger(variable.value, 0, UINT8_MAX)));
    return true;
}

bool TOnlineErgometerOptions::ReadChild(std::string_view line, TOnlineOptionReader& reader) {
    return LoadChildOpenedBy(line, reader,
                             {&OpenEndTestOptionSet, &ShortTestOptionSet, &PredefinedFileOptionSet});
}

void TOnlineErgometerOptions::WriteContent(TOnlineOptionWriter& writer) const {
    writer.Integer("ErgometerMode", StoredMode());
    OpenEndTestOptionSet.SaveSet(writer);
    ShortTestOptionSet.SaveSet(writer);
    PredefinedFileOptionSet.SaveSet(writer);
}

} // namespace klt
