#pragma once
// The syntax of the property text form (see PropertyText.h): the header, "name = value" lines and
// their values, before anything is known about the object they belong to.
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace klt {

struct TParsedValue {
    enum class TKind { Word, Integer, Number, Text, List, Set };

    TKind kind = TKind::Word;
    std::string text;               // Word, Text
    int64_t integer = 0;            // Integer
    double number = 0.0;            // Integer, Number
    std::vector<std::string> items; // List: texts, Set: words
    int line = 0;
    bool used = false; // taken by a property
};

// The values by dotted property name. EConvertError naming the line for a text that is not of
// this form or not of className, and for a property given twice.
std::map<std::string, TParsedValue> ParsePropertyText(std::string_view text, std::string_view className);

// Throws EConvertError "Line <line>: <problem>".
[[noreturn]] void PropertyTextError(int line, const std::string& problem);

} // namespace klt
