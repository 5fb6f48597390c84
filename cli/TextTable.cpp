#include "cli/TextTable.h"

#include <cstdio>

#include "cli/TerminalText.h"

namespace klt::cli {

TTextTable::TTextTable(std::vector<TColumn> columns) : columns_(std::move(columns)) {
    std::vector<std::string> titles;
    for (const TColumn& column : columns_) {
        titles.push_back(column.title);
    }
    AddLine(titles);
}

void TTextTable::AddRow(const std::vector<std::string>& cells) { AddLine(cells); }

void TTextTable::AddLine(const std::vector<std::string>& cells) {
    std::string line;
    for (size_t c = 0; c < columns_.size() && c < cells.size(); ++c) {
        line += (c == 0 ? "" : " ") + PaddedText(Printable(cells[c]), columns_[c].width, columns_[c].right);
    }
    while (!line.empty() && line.back() == ' ') {
        line.pop_back();
    }
    text_ += line + "\n";
}

std::string PaddedText(const std::string& text, size_t width, bool right) {
    size_t characters = 0;
    for (char c : text) {
        characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }
    const std::string fill(width > characters ? width - characters : 0, ' ');
    return right ? fill + text : text + fill;
}

std::string ValueWithUnit(TMesswertArtType kind, double raw, int decimals) {
    const TMesswertArt& art = MesswertArt(kind);
    return art.FormatValue(raw, decimals, true) + " " + art.UnitShortName();
}

std::string FormatDuration(int64_t hundredths) {
    const int64_t s = hundredths / 100;
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", static_cast<long long>(s / 3600),
                  static_cast<long long>(s / 60 % 60), static_cast<long long>(s % 60));
    return text;
}

} // namespace klt::cli
