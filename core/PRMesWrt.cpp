#include "core/PRMesWrt.h"

#include "core/Exceptions.h"
#include "core/NumberFormat.h"
#include "core/Utf8Chars.h"

#include <cmath>
#include <deque>

namespace klt {
namespace {

constexpr int TextNamePatterns = 282;
constexpr int TextWithUnit = 283;
constexpr int TextWithParentheses = 284;
constexpr int TextEditHint = 280;
constexpr std::size_t MaxPatternLength = 20;

// What a display value that is no number stands for, before range checks take over.
constexpr double NotANumberDisplay = 1e99;

TMesswertConsts CreateMesswertConsts() {
    TMesswertConsts consts;
    std::vector<std::string> patterns = SplitString(LoadText(TextNamePatterns));
    for (std::size_t i = 0; i < consts.namePatterns.size(); ++i) {
        consts.namePatterns[i] = TruncateChars(i < patterns.size() ? patterns[i] : "%s", MaxPatternLength);
    }
    consts.withParentheses = TruncateChars(LoadText(TextWithParentheses), MaxPatternLength);
    consts.withUnit = TruncateChars(LoadText(TextWithUnit), MaxPatternLength);
    return consts;
}

struct TStartColour {
    TMesswertArtType kind;
    int colour;
    int slot;
};

constexpr TStartColour StartColours[] = {
    {mwaLeistung, 9, 1},      {mwaPWC150, 9, 1},        {mwaGeschwindigkeit, 10, 2},
    {mwaTretfrequenz, 12, 3}, {mwaHerzfrequenz, 11, 4}, {mwaNullstelleHerzfrequenzProLeistung, 11, 4},
    {mwaTemperatur, 14, 5},   {mwaHoehe, 13, 6},
};

// A deque, because kind objects are handed out by reference and must never move.
std::deque<TMesswertArt> CreateMesswertArten() {
    std::deque<TMesswertArt> kinds;
    for (int kind = mwaLeistung; kind <= MesswertArtCount; ++kind) {
        kinds.emplace_back(MesswertDefinitionTextId(static_cast<TMesswertArtType>(kind)));
    }
    for (const TStartColour& start : StartColours) {
        kinds[start.kind - 1].SetColour(start.colour);
        kinds[start.kind - 1].SetColourSlot(start.slot);
    }
    return kinds;
}

} // namespace

const TMesswertConsts& MesswertConsts() {
    static const TMesswertConsts consts = CreateMesswertConsts();
    return consts;
}

TMesswertArt::TMesswertArt(uint16_t definitionTextId, TTextLoader loadText)
    : definitionTextId_(definitionTextId), loadText_(std::move(loadText)) {
    definition_.unitIndex = -1;
    SetUnit(0);
}

void TMesswertArt::SetUnit(int index) {
    if (index != UnitIndex()) {
        definition_ = ReadMesswertDefinition(DefinitionText(), index);
    }
}

std::vector<std::string> TMesswertArt::UnitNames() const {
    return ReadMesswertUnitNames(DefinitionText());
}

double TMesswertArt::ToRawRounded(double display) const {
    return std::round(ToRaw(display));
}

std::string TMesswertArt::FormatValue(double raw, int decimals, bool withThousands) const {
    int shownDecimals = decimals >= 0 ? decimals : UnitDecimals() - decimals - 1;
    return FormatFloatFixed(ToDisplay(raw), shownDecimals, withThousands, FormatSettings());
}

double TMesswertArt::ParseValue(std::string_view text) const {
    if (std::optional<double> display = ParseFloat(text, FormatSettings())) {
        return ToRaw(*display);
    }
    return RemoveTrimChars(text).empty() ? 0.0 : ToRaw(NotANumberDisplay);
}

double TMesswertArt::StepSize(int count, int decimals) const {
    std::string shown = FormatValue(0, decimals, false);
    std::string stepped = shown;
    stepped.back() = '1';
    return (ParseValue(stepped) - ParseValue(shown)) * count;
}

std::string TMesswertArt::DisplayName(TMesswertArtName nameKind) const {
    return FormatText(MesswertConsts().namePatterns[nameKind], {Name()});
}

std::string TMesswertArt::DisplayShortName(TMesswertArtName nameKind) const {
    return FormatText(MesswertConsts().namePatterns[nameKind], {ShortName()});
}

std::string TMesswertArt::DisplayBothNames(TMesswertArtName nameKind) const {
    return FormatText(MesswertConsts().withParentheses, {DisplayName(nameKind), DisplayShortName(nameKind)});
}

std::string TMesswertArt::FormattedName(TMesswertArtName nameKind, TMesswertArtFormat format) const {
    switch (format) {
    case mwfShort:
        return DisplayShortName(nameKind);
    case mwfBoth:
        return DisplayBothNames(nameKind);
    default:
        return DisplayName(nameKind);
    }
}

std::string TMesswertArt::UnitNameWithShort() const {
    return FormatText(MesswertConsts().withParentheses, {UnitName(), UnitShortName()});
}

std::string TMesswertArt::FormattedUnit(TMesswertArtFormat format) const {
    switch (format) {
    case mwfShort:
        return UnitShortName();
    case mwfBoth:
        return UnitNameWithShort();
    default:
        return UnitName();
    }
}

std::string TMesswertArt::NameWithUnit(std::string_view name, std::string_view unit) {
    return FormatText(MesswertConsts().withUnit, {name, unit});
}

std::string TMesswertArt::EditHint() const {
    return FormatText(LoadText(TextEditHint), {Name()});
}

std::string TMesswertArt::ColouredValueText(TMesswertArtType kind, int decimals, double raw) {
    const TMesswertArt& art = MesswertArt(kind);
    if (art.ToDisplay(raw) == 0) {
        return {};
    }
    return std::to_string(art.ColourSlot()) + "\r" + art.FormatValue(raw, decimals, true) + " " +
           art.UnitShortName() + "  \n";
}

TMesswertArt& MesswertArt(TMesswertArtType kind) {
    static std::deque<TMesswertArt> kinds = CreateMesswertArten();
    if (kind < mwaLeistung || kind > MesswertArtCount) {
        throw ERangeError("Measurement kind " + std::to_string(kind) + " out of range");
    }
    return kinds[kind - 1];
}

} // namespace klt
