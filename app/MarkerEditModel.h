#pragma once
// The marker dialog without its window: a new marker from the training's selection, or an
// existing marker, with its name and range kept inside the marker that encloses it, its values
// for the range as it stands, and applying the result through the training's marker operations.
#include <string>
#include <vector>

#include "core/KLTMarker.h"

namespace klt {

class TKLTFile;

class TMarkerEditModel {
public:
    // Edits marker `index`, or prepares a new one from the selection inside marker `enclosing`
    // when index is negative (the whole enclosing marker without an active selection). An
    // enclosing marker that does not exist is the whole training. The training must be loaded.
    TMarkerEditModel(TKLTFile& file, int index, int enclosing);

    bool IsNew() const { return index_ < 0; }
    // Marker 0 is the whole training: its range cannot change and its name is the initials.
    bool RangeEditable() const { return index_ != 0; }

    const std::string& Name() const { return marker_.name; }
    void SetName(const std::string& name);

    // Sample range, 1-based and inclusive, always inside the enclosing marker with first ≤ last.
    int First() const { return marker_.first; }
    int Last() const { return marker_.last; }
    void SetFirst(int sample);
    void SetLast(int sample);
    int LowestSample() const { return lowest_; }
    int HighestSample() const { return highest_; }

    // The same by time of day (1/100 s): the sample recorded at that time.
    int32_t FirstTime() const;
    int32_t LastTime() const;
    void SetFirstTime(int32_t time);
    void SetLastTime(int32_t time);

    // The marker with its sums for the current range.
    const TKLTMarker& Values() const { return marker_; }

    // Names offered for the name box: the recent marker names.
    static std::vector<std::string> RecentNames();

    // Adds the new marker or changes the edited one; the training then is modified and its
    // windows are told. Whether anything changed.
    bool Apply();

private:
    void SetRange(int first, int last);

    TKLTFile& file_;
    int index_;
    int lowest_ = 1;
    int highest_ = 1;
    TKLTMarker marker_;
};

} // namespace klt
