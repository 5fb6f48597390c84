#include "app/MarkerEditModel.h"

#include <algorithm>

#include "app/KLTFileUpdateScope.h"
#include "core/KLTFile.h"
#include "core/TrainingEnvironment.h"
#include "core/Utf8Chars.h"

namespace klt {

TMarkerEditModel::TMarkerEditModel(TKLTFile& file, int index, int enclosing)
    : file_(file), index_(index < file.MarkerCount() ? index : -1) {
    const int outer = enclosing >= 0 && enclosing < file.MarkerCount() ? enclosing : 0;
    const TKLTMarker& around = file.Marker(outer);
    lowest_ = std::max(1, around.first);
    highest_ = std::max(lowest_, around.last);
    if (index_ >= 0) {
        // An edited marker keeps at least its own range even when it reaches out of the enclosing one.
        lowest_ = std::min(lowest_, std::max(1, file.Marker(index_).first));
        highest_ = std::max(highest_, file.Marker(index_).last);
    }
    if (index_ >= 0) {
        marker_ = file.Marker(index_);
        SetRange(marker_.first, marker_.last);
    } else if (file.SelectionActive()) {
        SetRange(std::min(file.SelectionFirst(), file.SelectionLast()),
                 std::max(file.SelectionFirst(), file.SelectionLast()));
    } else {
        SetRange(lowest_, highest_);
    }
}

void TMarkerEditModel::SetName(const std::string& name) {
    marker_.name = TruncateChars(TrimText(name), TKLTFile::kMarkerNameLength);
}

void TMarkerEditModel::SetRange(int first, int last) {
    first = std::clamp(first, lowest_, highest_);
    last = std::clamp(last, first, highest_);
    file_.ComputeMarker(marker_, first, last);
}

void TMarkerEditModel::SetFirst(int sample) {
    if (RangeEditable()) {
        SetRange(sample, std::max(sample, marker_.last));
    }
}

void TMarkerEditModel::SetLast(int sample) {
    if (RangeEditable()) {
        sample = std::clamp(sample, lowest_, highest_);
        SetRange(std::min(sample, marker_.first), sample);
    }
}

int32_t TMarkerEditModel::FirstTime() const {
    return file_.SampleTime(marker_.first);
}

int32_t TMarkerEditModel::LastTime() const {
    return file_.SampleTime(marker_.last);
}

void TMarkerEditModel::SetFirstTime(int32_t time) {
    SetFirst(file_.IndexAtTime(time));
}

void TMarkerEditModel::SetLastTime(int32_t time) {
    SetLast(file_.IndexAtTime(time));
}

std::vector<std::string> TMarkerEditModel::RecentNames() {
    const TMarkerIdentList* names = TrainingEnvironment().markerNames;
    return names != nullptr ? names->Items() : std::vector<std::string>();
}

bool TMarkerEditModel::Apply() {
    const TKLTMarker wanted(marker_.name, marker_.first, marker_.last);
    if (index_ < 0) {
        file_.AddMarker(wanted);
        return true;
    }
    const TKLTMarker& current = file_.Marker(index_);
    const bool sameRange = current.SameRange(wanted);
    if (sameRange && current.name == wanted.name) {
        return false;
    }
    if (index_ == 0) {
        file_.SetInitials(wanted.name);
        return true;
    }
    TKLTFileUpdateScope update(file_);
    if (!sameRange) {
        file_.RemoveMarker(index_);
    }
    file_.AddMarker(wanted); // a marker of the same range takes the new name
    return true;
}

} // namespace klt
