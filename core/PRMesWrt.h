#pragma once
// Measurement kinds: every quantity the program records, derives or lets the user edit, with its
// names, its raw unit (integer-friendly, the unit values are stored in) and the display unit the
// user chose. Values are converted only when they are shown or typed in.
#include "core/MesswertDefinition.h"
#include "core/Texts.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace klt {

// The ordinal is the kind's identifier in files, options and charts.
enum TMesswertArtType : uint8_t {
    mwaNone = 0,
    mwaLeistung = 1,        // power, 1/8 W
    mwaTretfrequenz = 2,    // cadence, 1/32 rpm
    mwaHerzfrequenz = 3,    // heart rate, 1/64 bpm
    mwaGeschwindigkeit = 4, // speed, mm/s
    mwaTemperatur = 5,      // 0.1 °C
    mwaHoehe = 6,           // altitude, m
    mwaArbeit = 7,          // work, 1/800 J
    mwaStreckeKurz = 8,     // short distance, 0.01 mm
    mwaStrecke = 9,         // distance, 0.01 mm
    mwaRadumfang = 10,      // tire circumference, mm
    mwaPapiermass = 11,     // paper size, 0.1 mm
    mwaSteigung = 12,       // power-meter slope
    mwaDrehmoment = 13,     // torque
    mwaNullstelle = 14,     // power-meter offset, Hz
    mwaSteigungHerzfrequenzProLeistung = 15,
    mwaNullstelleHerzfrequenzProLeistung = 16,
    mwaPWC150 = 17,
    mwaMaxAnzahlDiagramme = 18,     // number of diagrams
    mwaMarkernr = 19,               // marker number
    mwaHerzfrequenzAenderung = 20,  // highest change of heart rate
    mwaHerzfrequenzPulslaenge = 21, // shortest heart-rate transmitter signal, ms
};
inline constexpr int MesswertArtCount = 21;

// How a kind or unit is named: long, short, or long with the short one in parentheses.
enum TMesswertArtFormat : uint8_t { mwfLong, mwfShort, mwfBoth };

// Which quantity of a kind is named: the plain value, its average or its maximum.
enum TMesswertArtName : uint8_t { mwnAny, mwnAVR, mwnMAX };

// The name patterns shared by all kinds, from the text table.
struct TMesswertConsts {
    std::array<std::string, 3> namePatterns; // by TMesswertArtName: "%s", "Ø %s", "max. %s"
    std::string withParentheses;             // "%s (%s)"
    std::string withUnit;                    // "%s [%s]"
};
const TMesswertConsts& MesswertConsts();

// Colour number of a kind that has no colour of its own.
inline constexpr int NoColour = 24;

class TMesswertArt {
public:
    using TTextLoader = std::function<std::string(int id)>;

    // Loads the first unit of the definition text with this id.
    explicit TMesswertArt(uint16_t definitionTextId, TTextLoader loadText = LoadText);

    uint16_t DefinitionTextId() const { return definitionTextId_; }
    const std::string& Name() const { return definition_.name; }
    const std::string& ShortName() const { return definition_.shortName; }
    // Limits in raw units; ±UnboundedLimit when the kind has none.
    double Minimum() const { return definition_.minimum; }
    double Maximum() const { return definition_.maximum; }

    int UnitIndex() const { return definition_.unitIndex; }
    int UnitDecimals() const { return definition_.unit.decimals; }
    double UnitFactor() const { return definition_.unit.factor; }
    double UnitOffset() const { return definition_.unit.offset; }
    const std::string& UnitName() const { return definition_.unit.name; }
    const std::string& UnitShortName() const { return definition_.unit.shortName; }

    // Palette colour number (0…15, NoColour) and slot in the shared slot-colour table (0 = none).
    int Colour() const { return colour_; }
    void SetColour(int colour) { colour_ = colour; }
    int ColourSlot() const { return colourSlot_; }
    void SetColourSlot(int slot) { colourSlot_ = slot; }

    // Selects the index-th unit entry (0 = first); an index without a readable entry selects the
    // first unit.
    void SetUnit(int index);
    // Long names of all units, for a unit chooser.
    std::vector<std::string> UnitNames() const;

    double ToDisplay(double raw) const { return raw * UnitFactor() + UnitOffset(); }
    double ToRaw(double display) const { return (display - UnitOffset()) / UnitFactor(); }
    double ToRawRounded(double display) const;

    // decimals ≥ 0 is used as given, -1 means the unit's decimals, -n the unit's decimals + n - 1.
    std::string FormatValue(double raw, int decimals = -1, bool withThousands = false) const;
    // Raw value of a typed display value: blank text is 0, text that is no number ToRaw(1e99), so
    // range checks push it to the maximum. Never throws.
    double ParseValue(std::string_view text) const;
    // Raw amount of count steps of the last decimal shown with these decimals (see FormatValue).
    double StepSize(int count, int decimals) const;

    std::string DisplayName(TMesswertArtName nameKind = mwnAny) const;
    std::string DisplayShortName(TMesswertArtName nameKind = mwnAny) const;
    std::string DisplayBothNames(TMesswertArtName nameKind = mwnAny) const;
    // The name as a label shows it: long, short or both names.
    std::string FormattedName(TMesswertArtName nameKind, TMesswertArtFormat format) const;
    std::string UnitNameWithShort() const;
    // The unit as a label shows it: long, short or both names.
    std::string FormattedUnit(TMesswertArtFormat format) const;
    static std::string NameWithUnit(std::string_view name, std::string_view unit);
    std::string EditHint() const;

    // A line of a coloured value list: slot number, "\r", value with thousands separators, unit
    // short name, "  \n"; empty when the display value is 0.
    static std::string ColouredValueText(TMesswertArtType kind, int decimals, double raw);

private:
    std::string DefinitionText() const { return loadText_(definitionTextId_); }

    uint16_t definitionTextId_;
    TTextLoader loadText_;
    TMesswertDefinition definition_;
    int colour_ = NoColour;
    int colourSlot_ = 0;
};

// The kind object of kinds 1…21, created with their colours on first use; ERangeError for others.
TMesswertArt& MesswertArt(TMesswertArtType kind);

// Definition text id of a kind.
constexpr uint16_t MesswertDefinitionTextId(TMesswertArtType kind) {
    return static_cast<uint16_t>(287 + kind);
}

} // namespace klt
