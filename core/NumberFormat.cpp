#include "core/NumberFormat.h"

#include "core/Utf8Chars.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <langinfo.h>
#include <locale.h>

namespace klt {
namespace {

constexpr int SignificantDigits = 15;
constexpr int MaxDecimals = 18;

const char* NumericLocaleName() {
    for (const char* variable : {"LC_ALL", "LC_NUMERIC", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0') {
            return value;
        }
    }
    return "C";
}

// A decimal number as its significant digits and the position of the decimal point among them:
// value = 0.digits × 10^point.
struct TDecimalDigits {
    std::string digits;
    int point = 0;
};

TDecimalDigits SignificantDecimalDigits(double magnitude) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.*e", SignificantDigits - 1, magnitude);
    std::string_view text(buffer);
    std::size_t exponentAt = text.find('e');
    TDecimalDigits result;
    result.digits += text.front();
    result.digits += text.substr(2, exponentAt - 2);
    result.point = std::atoi(buffer + exponentAt + 1) + 1;
    return result;
}

// Keeps the digits up to `decimals` places after the point, rounding half away from zero.
TDecimalDigits RoundToDecimals(TDecimalDigits number, int decimals) {
    int keep = number.point + decimals;
    if (keep < 0) {
        return {"", -decimals};
    }
    bool roundUp = keep < static_cast<int>(number.digits.size()) && number.digits[keep] >= '5';
    number.digits.resize(keep, '0');
    if (roundUp) {
        auto digit = number.digits.rbegin();
        for (; digit != number.digits.rend() && *digit == '9'; ++digit) {
            *digit = '0';
        }
        if (digit == number.digits.rend()) {
            number.digits.insert(number.digits.begin(), '1');
            ++number.point;
        } else {
            ++*digit;
        }
    }
    return number;
}

std::string GroupThousands(std::string_view integerDigits, std::string_view separator) {
    std::string grouped;
    for (std::size_t i = 0; i < integerDigits.size(); ++i) {
        if (i > 0 && (integerDigits.size() - i) % 3 == 0) {
            grouped += separator;
        }
        grouped += integerDigits[i];
    }
    return grouped;
}

std::string FixedText(const TDecimalDigits& number, int decimals, bool withThousands,
                      const TFormatSettings& settings) {
    std::string integerPart = number.point > 0 ? number.digits.substr(0, number.point) : "0";
    std::string fraction = number.point > 0 ? number.digits.substr(number.point)
                                            : std::string(-number.point, '0') + number.digits;
    std::string text = withThousands ? GroupThousands(integerPart, settings.thousandSeparator) : integerPart;
    if (decimals > 0) {
        text += settings.decimalSeparator + fraction;
    }
    return text;
}

std::string ScientificText(TDecimalDigits number, const TFormatSettings& settings) {
    number.digits.erase(number.digits.find_last_not_of('0') + 1);
    std::string text(1, number.digits.front());
    if (number.digits.size() > 1) {
        text += settings.decimalSeparator + number.digits.substr(1);
    }
    return text + "E" + std::to_string(number.point - 1);
}

void RemoveAll(std::string& text, std::string_view part) {
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at)) {
        text.erase(at, part.size());
    }
}

std::size_t SkipDigits(std::string_view text, std::size_t at) {
    while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
        ++at;
    }
    return at;
}

// The number with "." as decimal point, or nothing when text does not have the form of a number.
std::optional<std::string> CanonicalNumber(std::string_view text, std::string_view decimalSeparator) {
    std::string canonical;
    std::size_t at = 0;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        if (text[at] == '-') {
            canonical += '-';
        }
        ++at;
    }
    std::size_t end = SkipDigits(text, at);
    std::size_t digitCount = end - at;
    canonical += text.substr(at, end - at);
    at = end;
    if (!decimalSeparator.empty() && text.substr(at).starts_with(decimalSeparator)) {
        at += decimalSeparator.size();
        end = SkipDigits(text, at);
        digitCount += end - at;
        canonical += '.';
        canonical += text.substr(at, end - at);
        at = end;
    }
    if (digitCount == 0) {
        return std::nullopt;
    }
    if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
        canonical += text[at++];
        if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
            canonical += text[at++];
        }
        end = SkipDigits(text, at);
        if (end == at) {
            return std::nullopt;
        }
        canonical += text.substr(at, end - at);
        at = end;
    }
    if (at != text.size()) {
        return std::nullopt;
    }
    return canonical;
}

} // namespace

TFormatSettings LocaleFormatSettings(const char* localeName) {
    TFormatSettings settings{".", ","};
    if (locale_t locale = newlocale(LC_NUMERIC_MASK, localeName, static_cast<locale_t>(nullptr))) {
        settings.decimalSeparator = nl_langinfo_l(RADIXCHAR, locale);
        settings.thousandSeparator = nl_langinfo_l(THOUSEP, locale);
        freelocale(locale);
    }
    if (settings.decimalSeparator.empty()) {
        settings.decimalSeparator = ".";
    }
    if (settings.thousandSeparator.empty()) {
        settings.thousandSeparator = settings.decimalSeparator == "." ? "," : ".";
    }
    return settings;
}

TFormatSettings LocaleFormatSettings() {
    return LocaleFormatSettings(NumericLocaleName());
}

TFormatSettings& FormatSettings() {
    static TFormatSettings settings = LocaleFormatSettings();
    return settings;
}

TFormatSettingsScope::TFormatSettingsScope(TFormatSettings settings) : saved_(FormatSettings()) {
    FormatSettings() = std::move(settings);
}

TFormatSettingsScope::~TFormatSettingsScope() {
    FormatSettings() = std::move(saved_);
}

std::string FormatFloatFixed(double value, int decimals, bool withThousands,
                             const TFormatSettings& settings) {
    if (std::isnan(value)) {
        return "NAN";
    }
    if (std::isinf(value)) {
        return value > 0 ? "INF" : "-INF";
    }
    decimals = std::clamp(decimals, 0, MaxDecimals);
    TDecimalDigits number = SignificantDecimalDigits(std::fabs(value));
    std::string text;
    if (number.point > SignificantDigits) {
        text = ScientificText(number, settings);
    } else {
        number = RoundToDecimals(std::move(number), decimals);
        text = FixedText(number, decimals, withThousands, settings);
    }
    bool isZero = number.digits.find_first_not_of('0') == std::string::npos;
    return value < 0 && !isZero ? "-" + text : text;
}

std::optional<double> ParseFloat(std::string_view text, const TFormatSettings& settings) {
    std::string cleaned = RemoveTrimChars(text);
    if (!settings.thousandSeparator.empty() && settings.thousandSeparator != settings.decimalSeparator) {
        RemoveAll(cleaned, settings.thousandSeparator);
    }
    std::optional<std::string> canonical = CanonicalNumber(cleaned, settings.decimalSeparator);
    if (!canonical) {
        return std::nullopt;
    }
    double value = 0;
    const char* end = canonical->data() + canonical->size();
    auto [stop, error] = std::from_chars(canonical->data(), end, value);
    if (error != std::errc() || stop != end) {
        return std::nullopt;
    }
    return value;
}

} // namespace klt
