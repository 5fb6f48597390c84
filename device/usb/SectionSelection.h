#pragma once
// The trainings a head unit holds, offered for download before their data are read: sections
// that continue one another form one training, shown as one line of the selection list.
#include <string>
#include <vector>

#include "device/usb/SectionRecords.h"

namespace klt {

struct TOfferedTraining {
    size_t firstSection = 0;
    size_t sectionCount = 0;
    int64_t duration = 0; // hundredths, from the first start to the last end
    uint64_t records = 0; // pause records included
};

// Groups consecutive sections of one ride (see ContinuesRide).
std::vector<TOfferedTraining> OfferedTrainings(const std::vector<TVeltrakDataHeader>& headers, int32_t maxPause);

// A line 120 characters wide, blank-filled: date (column 0), start time (14), slope in Hz/Nm (24),
// zero offset (38) and wheel circumference (50) of the first section, duration (60) and number of
// records (72).
std::string SectionChoiceLine(const TVeltrakDataHeader& first, const TOfferedTraining& training);

} // namespace klt
