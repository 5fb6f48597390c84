#pragma once
// The line form of the online options file: one tag or variable per line, two spaces of
// indentation per level,
//   <Variable Name="Friction" Value="60"/>
// Values are escaped like XML attribute text, so a user or category name can never end a line,
// a value or an element early.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace klt {

class TOnlineOptionReader {
public:
    explicit TOnlineOptionReader(std::string_view text);

    // Reads the first line: whether it holds the XML declaration.
    bool OpensWithDeclaration();
    // The next line without its line break. Throws EInOutError at an empty line or the end of the
    // text: a file that ends before its closing tag is cut short.
    std::string_view NextLine();
    // Skips lines up to and including the one holding `text`.
    void SkipPast(std::string_view text);

    // Sets read back as defaults because of a line they do not allow, as messages for the user.
    const std::vector<std::string>& FormatErrors() const { return formatErrors_; }
    void AddFormatError(std::string_view line, std::string_view tag);

private:
    std::string_view text_;
    size_t next_ = 0;
    std::vector<std::string> formatErrors_;
};

class TOnlineOptionWriter {
public:
    // The line at the current indentation.
    void Line(std::string_view text);
    // "<tag>" and one level deeper; Close goes back and writes "</tag>".
    void Open(std::string_view tag);
    void Close(std::string_view tag);
    void Text(std::string_view name, std::string_view value);
    void Integer(std::string_view name, int64_t value);
    void Boolean(std::string_view name, bool value); // "-1" or "0"

    const std::string& Result() const { return text_; }

private:
    std::string text_;
    int level_ = 0;
};

// Replaces the file at path by text atomically, creating its folder. Throws EInOutError "Cannot open
// File <path>" with the failure; the old file then stays as it was.
void WriteOptionFile(const std::string& path, std::string_view text);

// Whether a line holds the opening tag "<tag>".
bool HoldsOpeningTag(std::string_view line, std::string_view tag);

} // namespace klt
