#include "app/FilePropertyModel.h"

#include "app/KLTFileUpdateScope.h"
#include "core/Initials.h"
#include "core/KLTFile.h"
#include "core/Utf8Chars.h"

namespace klt {

TFilePropertyModel::TFilePropertyModel(TKLTFile& file) : file_(file), current_(Read(file)) {}

TFileProperties TFilePropertyModel::Read(const TKLTFile& file) {
    const TKLTHeader& header = file.Header();
    TFileProperties p;
    p.date = header.date;
    p.startTime = file.MarkerCount() > 0 ? file.Marker(0).startTime : 0;
    p.comment = file.Comment();
    p.initials = file.MarkerCount() > 0 ? file.Marker(0).name : std::string();
    p.zeroOffset = header.zeroOffset;
    p.slope = header.slope;
    p.altitudeAtStart = file.SampleCount() > 0 ? file.Sample(1).Altitude() : 0;
    p.circumference = header.circumference;
    return p;
}

TFileSummary TFilePropertyModel::Summary() const {
    return {file_.FileName(), file_.Header().Version(), file_.SampleCount(), file_.Interval(),
            file_.MarkerCount() > 0 ? file_.Marker(0).Duration() : 0};
}

bool TFilePropertyModel::Apply(const TFileProperties& wanted) {
    const std::string comment = TruncateChars(TrimText(wanted.comment), TKLTFile::kCommentLength);
    const std::string initials = NormalizeInitials(wanted.initials);
    const bool recalibrate = wanted.zeroOffset != current_.zeroOffset || wanted.slope != current_.slope ||
                             wanted.altitudeAtStart != current_.altitudeAtStart ||
                             wanted.circumference != current_.circumference;
    const bool changed = recalibrate || wanted.startTime != current_.startTime ||
                         comment != current_.comment || initials != current_.initials ||
                         wanted.date != current_.date;
    if (!changed) {
        return false;
    }
    try {
        TKLTFileUpdateScope update(file_);
        if (recalibrate) {
            // The altitude passed is the first sample's new one; unchanged, nothing moves.
            file_.Recalibrate(wanted.zeroOffset, wanted.slope, wanted.altitudeAtStart, wanted.circumference);
        }
        if (wanted.startTime != current_.startTime) {
            file_.SetStartTime(wanted.startTime);
        }
        if (comment != current_.comment) {
            file_.SetComment(comment);
        }
        if (initials != current_.initials) {
            file_.SetInitials(initials);
        }
        if (wanted.date != current_.date) {
            file_.SetDate(wanted.date);
        }
    } catch (...) {
        current_ = Read(file_); // what did change counts as the current state for another try
        throw;
    }
    current_ = Read(file_);
    return true;
}

} // namespace klt
