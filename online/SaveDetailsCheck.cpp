#include "online/SaveDetailsCheck.h"

#include "core/Initials.h"
#include "core/KLTDate.h"
#include "core/Utf8Chars.h"

namespace klt {

std::optional<std::string> CheckSaveDetails(TSaveDetails& details) {
    const std::string initials = TrimText(details.initials);
    if (initials.empty()) {
        return "Please enter the rider's initials.";
    }
    // Initials name the training's folder and file: what the database would change is refused,
    // so the ride is never filed under initials nobody typed.
    if (NormalizeInitials(initials) != initials) {
        return "The initials may hold at most 20 letters, digits, blanks, \",\" and \".\".";
    }
    if (details.date == kNoDate) {
        return "Please enter the date of the ride.";
    }
    if (details.startTime < 0 || details.startTime >= 24 * 360000) {
        return "Please enter a time of day.";
    }
    details.initials = initials;
    details.comment = TruncateChars(details.comment, kMaxSaveCommentChars);
    return std::nullopt;
}

} // namespace klt
