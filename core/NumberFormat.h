#pragma once
// Locale-aware formatting and parsing of the numbers users read and type.
#include <optional>
#include <string>
#include <string_view>

namespace klt {

struct TFormatSettings {
    std::string decimalSeparator;
    std::string thousandSeparator;

    bool operator==(const TFormatSettings&) const = default;
};

// The separators of the user's numeric locale (LC_ALL, LC_NUMERIC or LANG, the first one set);
// "." and "," when that locale is unknown. A locale without thousands separator gets "," when
// its decimal separator is "." and "." otherwise, so grouped numbers stay readable.
TFormatSettings LocaleFormatSettings();
TFormatSettings LocaleFormatSettings(const char* localeName);

// The process-wide separators every value shown or typed in uses; starts as LocaleFormatSettings().
TFormatSettings& FormatSettings();

// Switches the process-wide separators for its lifetime.
class TFormatSettingsScope {
public:
    explicit TFormatSettingsScope(TFormatSettings settings);
    ~TFormatSettingsScope();
    TFormatSettingsScope(const TFormatSettingsScope&) = delete;
    TFormatSettingsScope& operator=(const TFormatSettingsScope&) = delete;

private:
    TFormatSettings saved_;
};

// value with a fixed number of decimals (0 to 18): first rounded to 15 significant digits, then
// half away from zero to the decimals, never "-0". A value whose integer part has more than 15
// digits is written in scientific form ("1.5E20").
std::string FormatFloatFixed(double value, int decimals, bool withThousands, const TFormatSettings& settings);

// text as a number: trim-set characters and thousands separators are dropped, the rest must be
// [sign] digits [decimal separator digits] [exponent]. Nothing when it is not a number (also when
// nothing is left) or does not fit a double.
std::optional<double> ParseFloat(std::string_view text, const TFormatSettings& settings);

} // namespace klt
