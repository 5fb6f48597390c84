#include "core/DefinitionText.h"

#include "core/Exceptions.h"
#include "core/NumberFormat.h"
#include "core/Utf8Chars.h"

#include <algorithm>

namespace klt {
namespace {

const TFormatSettings DefinitionNumberFormat{".", ","};

} // namespace

std::string TDefinitionFields::Next() {
    if (atEnd_) {
        return {};
    }
    std::size_t end = position_;
    while (end < line_.size() && line_[end] != '|') {
        if (line_[end] == '"') {
            end = line_.find('"', end + 1);
            if (end == std::string_view::npos) {
                throw EConvertError("SplitString(\")");
            }
        }
        ++end;
    }
    std::string field(TrimField(line_.substr(position_, end - position_)));
    std::erase(field, '"');
    atEnd_ = end >= line_.size();
    position_ = end + 1;
    return field;
}

std::vector<std::string> SplitString(std::string_view line) {
    std::vector<std::string> fields;
    TDefinitionFields reader(line);
    while (!reader.AtEnd()) {
        fields.push_back(reader.Next());
    }
    return fields;
}

std::optional<double> ReadNumberField(std::string_view field) {
    if (field.empty()) {
        return -UnboundedLimit;
    }
    std::size_t slash = field.find('/');
    std::optional<double> numerator = ParseFloat(field.substr(0, slash), DefinitionNumberFormat);
    if (!numerator || slash == std::string_view::npos) {
        return numerator;
    }
    std::optional<double> denominator = ParseFloat(field.substr(slash + 1), DefinitionNumberFormat);
    if (!denominator) {
        return std::nullopt;
    }
    return *numerator / *denominator;
}

std::optional<TFactorField> ReadFactorField(std::string_view field) {
    std::size_t semicolon = field.find(';');
    std::optional<double> factor = ReadNumberField(TrimField(field.substr(0, semicolon)));
    if (!factor) {
        return std::nullopt;
    }
    if (semicolon == std::string_view::npos) {
        return TFactorField{*factor, 0.0};
    }
    std::optional<double> offset = ReadNumberField(TrimField(field.substr(semicolon + 1)));
    if (!offset) {
        return std::nullopt;
    }
    return TFactorField{*factor, *offset};
}

} // namespace klt
