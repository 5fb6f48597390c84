#pragma once
// What a training tells the windows that show it.

namespace klt {

class TKLTFile;

// Bits of a change announcement, collected between nested BeginUpdate and EndUpdate.
namespace TKLTChange {
constexpr int Caption = 1;   // modified, renamed
constexpr int Repaint = 2;   // the list of views changed
constexpr int Markers = 4;
constexpr int Samples = 8;
constexpr int Selection = 16;
constexpr int Modified = Caption | Repaint;
constexpr int Everything = Caption | Repaint | Markers | Samples; // after a load or a clear
} // namespace TKLTChange

class IKLTFileView {
public:
    virtual ~IKLTFileView() = default;
    virtual void TrainingChanged(TKLTFile& file, int changes) = 0;
    // The training is going away (deleted): the view closes and releases it.
    virtual void CloseView(TKLTFile& file) = 0;
};

} // namespace klt
