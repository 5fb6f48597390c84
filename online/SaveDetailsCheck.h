#pragma once
// What the "Save Data" dialog lets through: initials a training can be filed under, a date and a
// time of day, and a comment that fits the training's header.
#include <optional>
#include <string>

#include "core/KLTFile.h"
#include "online/OnlineRunController.h"

namespace klt {

constexpr size_t kMaxSaveCommentChars = TKLTFile::kCommentLength;
constexpr size_t kMaxSaveInitialsChars = 20;

// The message for the first detail that cannot be saved, or nothing. A comment that is too long
// is cut, not refused: the rest of the details stay as typed.
std::optional<std::string> CheckSaveDetails(TSaveDetails& details);

} // namespace klt
