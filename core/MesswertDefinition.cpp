#include "core/MesswertDefinition.h"

#include "core/Exceptions.h"
#include "core/Utf8Chars.h"

#include <array>
#include <cmath>
#include <optional>

namespace klt {
namespace {

constexpr double MaxUnitDecimals = 18;

std::optional<TMesswertUnit> ReadUnitEntry(TDefinitionFields& fields) {
    std::array<std::string, 4> entry; // decimals, factor, name, short name
    try {
        for (std::string& field : entry) {
            if (fields.AtEnd()) {
                return std::nullopt;
            }
            field = fields.Next();
        }
    } catch (const EConvertError&) {
        return std::nullopt;
    }
    std::optional<double> decimals = ReadNumberField(entry[0]);
    std::optional<TFactorField> factor = ReadFactorField(entry[1]);
    // Written so that NaN (a field like "0/0") fails every test.
    if (!decimals || !(*decimals >= 0 && *decimals <= MaxUnitDecimals) || factor->factor == 0 ||
        !std::isfinite(factor->factor) || !std::isfinite(factor->offset)) {
        return std::nullopt;
    }
    return TMesswertUnit{static_cast<int>(std::round(*decimals)), factor->factor, factor->offset,
                         TruncateChars(entry[2], MaxNameLength), TruncateChars(entry[3], MaxShortNameLength)};
}

// A limit field; empty, not a number or not finite means no limit.
double ReadLimit(std::string_view field) {
    const double limit = ReadNumberField(field).value_or(-UnboundedLimit);
    return std::isfinite(limit) ? limit : -UnboundedLimit;
}

double LimitToRaw(double limit, const TMesswertUnit& unit, double unbounded) {
    if (limit <= -UnboundedLimit) {
        return unbounded;
    }
    return std::round((limit - unit.offset) / unit.factor);
}

} // namespace

TMesswertDefinition ReadMesswertDefinition(std::string_view text, int unitIndex) {
    TMesswertDefinition definition;
    TDefinitionFields fields(text);
    double minimum = 0;
    double maximum = 0;
    try {
        minimum = ReadLimit(fields.Next());
        maximum = ReadLimit(fields.Next());
        definition.name = TruncateChars(fields.Next(), MaxNameLength);
        definition.shortName = TruncateChars(fields.Next(), MaxShortNameLength);
    } catch (const EConvertError&) {
        return definition;
    }
    std::optional<TMesswertUnit> first = ReadUnitEntry(fields);
    if (first) {
        definition.unit = *first;
    }
    definition.minimum = LimitToRaw(minimum, definition.unit, -UnboundedLimit);
    definition.maximum = LimitToRaw(maximum, definition.unit, UnboundedLimit);
    if (!first || unitIndex <= 0) {
        return definition;
    }
    for (int index = 1; index <= unitIndex; ++index) {
        std::optional<TMesswertUnit> entry = ReadUnitEntry(fields);
        if (!entry) {
            definition.unit = *first;
            return definition;
        }
        definition.unit = std::move(*entry);
    }
    definition.unitIndex = unitIndex;
    return definition;
}

std::vector<std::string> ReadMesswertUnitNames(std::string_view text) {
    std::vector<std::string> names;
    TDefinitionFields fields(text);
    try {
        for (int header = 0; header < 4; ++header) {
            fields.Next();
        }
    } catch (const EConvertError&) {
        return names;
    }
    while (std::optional<TMesswertUnit> entry = ReadUnitEntry(fields)) {
        names.push_back(std::move(entry->name));
    }
    return names;
}

} // namespace klt
