#include "online/OnlineOptionFile.h"

#include <filesystem>

#include "core/BinaryFile.h"
#include "core/Exceptions.h"
#include "core/ProfileText.h"
#include "core/Texts.h"

namespace klt {

TOnlineOptionReader::TOnlineOptionReader(std::string_view text) : text_(text) {}

std::string_view TOnlineOptionReader::NextLine() {
    if (next_ >= text_.size()) {
        throw EInOutError("The options end before their closing tag");
    }
    size_t end = text_.find('\n', next_);
    if (end == std::string_view::npos) {
        end = text_.size();
    }
    std::string_view line = text_.substr(next_, end - next_);
    next_ = end + 1;
    if (line.ends_with('\r')) {
        line.remove_suffix(1);
    }
    if (line.empty()) {
        throw EInOutError("The options hold an empty line");
    }
    return line;
}

bool TOnlineOptionReader::OpensWithDeclaration() {
    try {
        return NextLine().find(kProfileDeclaration) != std::string_view::npos;
    } catch (const EInOutError&) {
        return false;
    }
}

void TOnlineOptionReader::SkipPast(std::string_view text) {
    while (NextLine().find(text) == std::string_view::npos) {
    }
}

void TOnlineOptionReader::AddFormatError(std::string_view line, std::string_view tag) {
    formatErrors_.push_back(FormatText("Fileformat Error\r\n%s not allowed in %s", {line, tag}));
}

void TOnlineOptionWriter::Line(std::string_view text) {
    text_.append(static_cast<size_t>(2 * level_), ' ').append(text).append("\n");
}

void TOnlineOptionWriter::Open(std::string_view tag) {
    Line("<" + std::string(tag) + ">");
    ++level_;
}

void TOnlineOptionWriter::Close(std::string_view tag) {
    --level_;
    Line("</" + std::string(tag) + ">");
}

void TOnlineOptionWriter::Text(std::string_view name, std::string_view value) {
    Line(ProfileVariableLine(name, value));
}

void TOnlineOptionWriter::Integer(std::string_view name, int64_t value) {
    Text(name, std::to_string(value));
}

void TOnlineOptionWriter::Boolean(std::string_view name, bool value) {
    Text(name, value ? "-1" : "0");
}

void WriteOptionFile(const std::string& path, std::string_view text) {
    try {
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        TAtomicFileWriter writer(path);
        writer.Write(text.data(), text.size());
        writer.Commit();
    } catch (const std::exception& error) {
        throw EInOutError(FormatText("Cannot open File %s", {path}) + "\r\n" + error.what());
    }
}

bool HoldsOpeningTag(std::string_view line, std::string_view tag) {
    return line.find("<" + std::string(tag) + ">") != std::string_view::npos;
}

} // namespace klt
