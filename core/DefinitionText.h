#pragma once
// The field syntax of the one-line definitions in the text table: fields separated by "|", each
// trimmed of the trim set and optionally enclosed in double quotes that protect a "|" inside.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace klt {

// Magnitude that stands for "no limit"; an empty number field reads as its negative.
inline constexpr double UnboundedLimit = 1e14;

// Reads the fields of one line in order, so that a fault late in the line does not spoil the
// fields before it.
class TDefinitionFields {
public:
    explicit TDefinitionFields(std::string_view line) : line_(line) {}

    // True when every field has been read.
    bool AtEnd() const { return atEnd_; }

    // The next field, trimmed and without its quotes; empty after the last one. Throws
    // EConvertError "SplitString(\")" when a quote opened in the field is never closed.
    std::string Next();

private:
    std::string_view line_;
    std::size_t position_ = 0;
    bool atEnd_ = false;
};

// All fields of a line (see TDefinitionFields::Next).
std::vector<std::string> SplitString(std::string_view line);

// A number field: "." is the decimal point, "," groups thousands, and "a/b" is a quotient.
// Empty reads as -UnboundedLimit; nothing when the field is not a number.
std::optional<double> ReadNumberField(std::string_view field);

// The factor field of a unit: "factor" or "factor;offset" (offset 0 when absent).
struct TFactorField {
    double factor = 1.0;
    double offset = 0.0;
};
std::optional<TFactorField> ReadFactorField(std::string_view field);

} // namespace klt
