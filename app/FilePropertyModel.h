#pragma once
// The file properties dialog without its window: what a training says about itself, and
// applying the user's changes through the training's own operations, each only when it differs.
#include <cstdint>
#include <string>

namespace klt {

class TKLTFile;

struct TFileProperties {
    uint16_t date = 0;     // days since 1880
    int32_t startTime = 0; // 1/100 s since midnight
    std::string comment;   // at most 70 characters
    std::string initials;
    int zeroOffset = 0;      // Hz
    int slope = 0;           // raw unit of the power-meter slope
    int altitudeAtStart = 0; // m, altitude of the first sample
    int circumference = 0;   // mm
};

// What the dialog shows without letting it be changed.
struct TFileSummary {
    std::string path;
    char version = '?';
    int samples = 0;
    int interval = 0;     // 1/100 s
    int64_t duration = 0; // 1/100 s
};

class TFilePropertyModel {
public:
    // The training must be loaded.
    explicit TFilePropertyModel(TKLTFile& file);

    const TFileProperties& Current() const { return current_; }
    TFileSummary Summary() const;

    // Recalibrates, moves the start time and sets comment, initials and date where `wanted`
    // differs, announced to the windows once. Whether anything changed. Renaming errors pass on.
    bool Apply(const TFileProperties& wanted);

private:
    static TFileProperties Read(const TKLTFile& file);

    TKLTFile& file_;
    TFileProperties current_;
};

} // namespace klt
