#include "online/DemoResultFile.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <optional>

#include "core/SmallFile.h"
#include "core/Texts.h"
#include "core/Utf8Chars.h"

namespace klt {
namespace {

constexpr std::string_view kExtension = ".rst";
// Room for ".rst.damaged.9" within the 255 bytes of a file name.
constexpr size_t kMaxFileStemBytes = 200;
// 999 lines of names in four-byte characters: anything larger is no results file.
constexpr size_t kMaxFileSize = 256 * 1024;
constexpr size_t kNameFieldsChars = 2 * TKLTDemoResult::kMaxNameChars;

struct TNumberField {
    int32_t TKLTDemoResult::*member;
    int width;
};
constexpr std::array<TNumberField, 5> kNumberFields = {{
    {&TKLTDemoResult::AveragePower, 5},
    {&TKLTDemoResult::CategorieWatt, 5},
    {&TKLTDemoResult::Failure, 10},
    {&TKLTDemoResult::MaxPower, 5},
    {&TKLTDemoResult::Spare, 10},
}};
constexpr size_t kNumberColumns = 35;

int64_t PowerOfTen(int exponent) {
    int64_t power = 1;
    for (int i = 0; i < exponent; ++i) {
        power *= 10;
    }
    return power;
}

// What a field of the width holds (a minus sign takes a column), so that a line never grows past
// its columns.
int64_t FieldLowest(int width) {
    return std::max<int64_t>(1 - PowerOfTen(width - 1), std::numeric_limits<int32_t>::min());
}
int64_t FieldHighest(int width) {
    return std::min<int64_t>(PowerOfTen(width) - 1, std::numeric_limits<int32_t>::max());
}

bool IsUnsafeInFileName(char c, bool first) {
    return static_cast<unsigned char>(c) < ' ' || c == '\x7F' || c == '/' || c == '\\' || c == '%' ||
           (first && c == '.');
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// Byte offset after `chars` characters of text (its size when it has fewer).
size_t CharsEnd(std::string_view text, size_t chars) {
    return TruncateChars(text, chars).size();
}

std::string PaddedName(const std::string& name) {
    const size_t chars = CountChars(name);
    return name +
           std::string(TKLTDemoResult::kMaxNameChars - std::min(chars, TKLTDemoResult::kMaxNameChars), ' ');
}

EDemoResultsDamaged Damaged(const std::string& path, size_t lineNumber, std::string_view reason) {
    return EDemoResultsDamaged(FormatText("File:%s damaged", {path}) + "\r\n" +
                               FormatText("line %d: %s", {std::to_string(lineNumber), reason}));
}

// One right-aligned number filling its field: blanks, an optional minus sign, digits.
std::optional<int32_t> ReadNumberField(std::string_view field, int width) {
    const size_t start = field.find_first_not_of(' ');
    if (start == std::string_view::npos) {
        return std::nullopt;
    }
    int64_t value = 0;
    const char* end = field.data() + field.size();
    const auto [stop, error] = std::from_chars(field.data() + start, end, value);
    if (error != std::errc() || stop != end || value < FieldLowest(width) || value > FieldHighest(width)) {
        return std::nullopt;
    }
    return static_cast<int32_t>(value);
}

// Whether `numbers` holds exactly the number fields; fills them in.
bool ReadNumbers(std::string_view numbers, TKLTDemoResult& result) {
    if (numbers.size() != kNumberColumns) {
        return false;
    }
    for (const TNumberField& field : kNumberFields) {
        const std::optional<int32_t> value = ReadNumberField(numbers.substr(0, field.width), field.width);
        if (!value) {
            return false;
        }
        result.*field.member = *value;
        numbers.remove_prefix(field.width);
    }
    return true;
}

} // namespace

std::string DemoResultFileName(std::string_view categorieName) {
    std::string stem;
    for (size_t i = 0; i < categorieName.size(); ++i) {
        const char c = categorieName[i];
        if (IsUnsafeInFileName(c, i == 0)) {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", static_cast<unsigned char>(c));
            stem += escaped;
        } else {
            stem += c;
        }
    }
    if (stem.size() > kMaxFileStemBytes) {
        // Cut between characters and outside an escape.
        size_t cut = kMaxFileStemBytes;
        while (cut > 2 && (IsContinuationByte(stem[cut]) || stem[cut - 1] == '%' || stem[cut - 2] == '%')) {
            --cut;
        }
        stem.resize(cut);
    }
    return stem + std::string(kExtension);
}

std::string DemoCategorieNameOfFile(std::string_view fileName) {
    if (fileName.size() >= kExtension.size() &&
        fileName.substr(fileName.size() - kExtension.size()) == kExtension) {
        fileName.remove_suffix(kExtension.size());
    }
    std::string name;
    for (size_t i = 0; i < fileName.size(); ++i) {
        if (fileName[i] == '%' && i + 2 < fileName.size() && HexDigit(fileName[i + 1]) >= 0 &&
            HexDigit(fileName[i + 2]) >= 0) {
            name += static_cast<char>(HexDigit(fileName[i + 1]) * 16 + HexDigit(fileName[i + 2]));
            i += 2;
        } else {
            name += fileName[i];
        }
    }
    return name;
}

std::string DemoResultPath(const std::string& optionsDirectory, std::string_view categorieName) {
    return optionsDirectory + "/DemoMode/" + DemoResultFileName(categorieName);
}

std::string WriteDemoResultText(const std::vector<TKLTDemoResult>& results) {
    std::string text;
    for (const TKLTDemoResult& result : results) {
        text += PaddedName(result.LastName()) + PaddedName(result.FirstName());
        for (const TNumberField& field : kNumberFields) {
            const int64_t value = std::clamp<int64_t>(result.*field.member, FieldLowest(field.width),
                                                      FieldHighest(field.width));
            char number[16];
            std::snprintf(number, sizeof number, "%*lld", field.width, static_cast<long long>(value));
            text += number;
        }
        text += '\n';
    }
    return text;
}

std::vector<TKLTDemoResult> ReadDemoResultText(std::string_view text, const std::string& path) {
    std::vector<TKLTDemoResult> results;
    size_t lineNumber = 0;
    while (!text.empty()) {
        const size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        ++lineNumber;
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }
        if (line.empty()) {
            continue;
        }
        if (results.size() == kMaxDemoResults) {
            throw Damaged(path, lineNumber, "more than " + std::to_string(kMaxDemoResults) + " results");
        }
        const size_t namesEnd = CharsEnd(line, kNameFieldsChars);
        const std::string_view names = line.substr(0, namesEnd);
        TKLTDemoResult result;
        if (namesEnd == line.size() || !ReadNumbers(line.substr(namesEnd), result)) {
            throw Damaged(path, lineNumber, "not a result");
        }
        const size_t lastNameEnd = CharsEnd(names, TKLTDemoResult::kMaxNameChars);
        result.SetLastName(names.substr(0, lastNameEnd));
        result.SetFirstName(names.substr(lastNameEnd));
        results.push_back(std::move(result));
    }
    return results;
}

std::vector<TKLTDemoResult> ReadDemoResultFile(const std::string& path) {
    std::error_code error;
    const std::filesystem::path file(path);
    if (std::filesystem::is_regular_file(file, error) &&
        std::filesystem::file_size(file, error) > kMaxFileSize) {
        throw EDemoResultsDamaged(FormatText("File:%s damaged", {path}) + "\r\nFile too large");
    }
    const std::optional<std::string> text = ReadSmallFile(path, kMaxFileSize);
    return text ? ReadDemoResultText(*text, path) : std::vector<TKLTDemoResult>();
}

} // namespace klt
