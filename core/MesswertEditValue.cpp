#include "core/MesswertEditValue.h"

#include "core/Exceptions.h"
#include "core/Texts.h"

#include <algorithm>
#include <cmath>

namespace klt {
namespace {

constexpr int TextOnlyValidBetween = 281;

// Selects a unit of a kind for its lifetime.
class TUnitScope {
public:
    TUnitScope(TMesswertArt& kind, int unit) : kind_(kind), saved_(kind.UnitIndex()) { kind_.SetUnit(unit); }
    ~TUnitScope() { kind_.SetUnit(saved_); }
    TUnitScope(const TUnitScope&) = delete;
    TUnitScope& operator=(const TUnitScope&) = delete;

private:
    TMesswertArt& kind_;
    int saved_;
};

} // namespace

TMesswertEditValue::TMesswertEditValue(TMesswertArtType kind) : kind_(kind) {
    RememberShownFormat();
}

void TMesswertEditValue::SetKind(TMesswertArtType kind) {
    kind_ = kind;
    RememberShownFormat();
}

void TMesswertEditValue::RememberShownFormat() {
    shownSettings_ = FormatSettings();
    shownUnit_ = kind_ == mwaNone ? 0 : MesswertArt(kind_).UnitIndex(); // an edit not yet bound to a kind
}

std::string TMesswertEditValue::ShowValue(double raw) {
    RememberShownFormat();
    return MesswertArt(kind_).FormatValue(raw, decimals_, withThousands_);
}

double TMesswertEditValue::ReadValue(std::string& text) const {
    TFormatSettingsScope separators(shownSettings_);
    TMesswertArt& kind = MesswertArt(kind_);
    TUnitScope unit(kind, shownUnit_);
    double raw = kind.ParseValue(text);
    if (raw < minimum_ || raw > maximum_) {
        text = kind.FormatValue(raw < minimum_ ? minimum_ : maximum_, decimals_, withThousands_);
        raw = kind.ParseValue(text);
    }
    if (std::isfinite(raw)) {
        return raw;
    }
    throw EConvertError(FormatText(
        LoadText(TextOnlyValidBetween),
        {kind.Name(), kind.FormatValue(std::max(minimum_, kind.Minimum()), decimals_, withThousands_),
         kind.FormatValue(std::min(maximum_, kind.Maximum()), decimals_, withThousands_)}));
}

} // namespace klt
