#pragma once
// Aligned plain-text tables and the value formats the tool's human output shares.
#include <string>
#include <vector>

#include "core/PRMesWrt.h"

namespace klt::cli {

struct TColumn {
    std::string title;
    size_t width; // characters; 0: as wide as the text (last column)
    bool right;   // right-aligned
};

// Control characters of the cells show escaped (Printable).
class TTextTable {
public:
    explicit TTextTable(std::vector<TColumn> columns);
    void AddRow(const std::vector<std::string>& cells);
    std::string Text() const { return text_; }

private:
    void AddLine(const std::vector<std::string>& cells);

    std::vector<TColumn> columns_;
    std::string text_;
};

// Pads to a width in characters, not in the bytes of their UTF-8 form.
std::string PaddedText(const std::string& text, size_t width, bool right);
// The raw value in the kind's display unit, with the unit's short name.
std::string ValueWithUnit(TMesswertArtType kind, double raw, int decimals = -1);
// "H:MM:SS" of a duration in 1/100 s.
std::string FormatDuration(int64_t hundredths);

} // namespace klt::cli
