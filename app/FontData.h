#pragma once
// A font choice as the configuration stores it; the window program turns it into a real font.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/Persistent.h"

namespace klt {

// Bit numbers in a font's style set.
enum TFontStyle : uint8_t { fsBold, fsItalic, fsUnderline, fsStrikeOut };

inline constexpr std::array<std::string_view, 4> FontStyleNames = {"fsBold", "fsItalic", "fsUnderline",
                                                                   "fsStrikeOut"};

class TFontData : public TPersistent {
public:
    static constexpr int32_t kMaxSize = 1000; // points

    std::string Name = "Arial";
    int32_t Size = 8; // points
    uint32_t Style = 0;

    void VisitProperties(TPropertyVisitor& visitor) override {
        visitor.Field("Name", Name);
        visitor.Field("Size", Size, 1, kMaxSize);
        visitor.FlagsField("Style", Style, FontStyleNames);
    }
};

} // namespace klt
