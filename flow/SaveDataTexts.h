#pragma once
// What the save dialog shows of a head unit's battery and which storage intervals it offers.
#include <cstdint>
#include <string>
#include <vector>

#include "device/VeltrakStatus.h"

namespace klt {

// The battery record's remaining value: 0x7FFF "n/a", -5 "Critical" .. -1 "New", otherwise
// hours x 10, shown in whole hours with "h".
std::string BatteryText(int32_t remaining);
// Below 20 hours and "Critical" the battery symbol flashes.
bool BatteryFlashes(int32_t remaining);
// The remaining value of a battery record as a signed number (the record holds 16 bits).
int32_t BatteryRemaining(uint32_t recordValue);

struct TStorageInterval {
    int32_t hundredths;
    std::string text; // "0.5 s", "240 s"
};
// The intervals a head unit of this hardware version can record at.
std::vector<TStorageInterval> StorageIntervals(TVeltrakHWVersion hardware);
// The entry of `intervals` nearest to `hundredths` (the first of two as near); -1 for an empty list.
int NearestStorageInterval(const std::vector<TStorageInterval>& intervals, int32_t hundredths);

} // namespace klt
