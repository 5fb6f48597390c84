#pragma once
// What a diagram receives with input events and what it may ask of the window that shows it.
// Key codes are the system's virtual-key numbers, so the engine stays free of any toolkit.
#include <cstdint>
#include <string>

namespace klt {

class TKLTFile;

namespace TKey {
constexpr int Left = 0x25;
constexpr int Up = 0x26;
constexpr int Right = 0x27;
constexpr int Down = 0x28;
constexpr int F2 = 0x71;
constexpr int F3 = 0x72;
constexpr int F4 = 0x73;
constexpr int F6 = 0x75;
constexpr int F7 = 0x76;
// Letters and digits are their upper-case character codes ('Q', 'W', 'B', ...).
} // namespace TKey

// Shift state bits of a key or mouse event.
namespace TShift {
constexpr uint32_t Shift = 1;
constexpr uint32_t Alt = 2;
constexpr uint32_t Ctrl = 4;
constexpr uint32_t Left = 8; // left mouse button held
constexpr uint32_t Right = 16;
constexpr uint32_t Middle = 32;
constexpr uint32_t Double = 64; // a double click
} // namespace TShift

enum class TMouseButton : uint8_t { Left, Right, Middle };

// The window a diagram is shown in.
class IDiagramHost {
public:
    virtual ~IDiagramHost() = default;
    virtual void SetHint(const std::string& text) = 0;
    // The user finished a selection: offer to make it a new marker inside the current one.
    virtual void CreateMarkerFromSelection() = 0;
};

// The training and marker a diagram shows, with the title its window gives it.
struct TDiagramView {
    TKLTFile* file = nullptr;
    int marker = 0;
    std::string title;
    IDiagramHost* host = nullptr;
};

} // namespace klt
