#pragma once
// The recording memory of generation VI and 7 head units: data sections, each a header and
// 16-byte sample records (docs/usb-sections.md). A ride is one section with pause records for the
// time the rider stood still; the newest ride of a memory with two or more is recorded as two
// sections a short pause apart, as when the rider switched the head unit off and on again.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/sim/SimMemory.h"
#include "tools/sim/SimOptions.h"

namespace klt::sim {

constexpr size_t kSectionHeaderSize = 39;
constexpr size_t kSectionRecordSize = 16;
constexpr size_t kSectionBlockRecords = 32;
constexpr size_t kSectionMarkerByte = 10;
constexpr uint8_t kSectionEnd = 0xFF;

using TSectionRecord = std::array<uint8_t, kSectionRecordSize>;

// What a section's header carries besides its start and interval.
struct TSectionSettings {
    std::string initials; // at most 20 characters
    int slope = 250, wheel = 2095, zeroOffset = 0; // slope raw: × 30.558 is the slope in use
};

struct TSimSection {
    int64_t start = 0; // head-unit clock seconds
    int intervalMs = 1000;
    TSectionSettings settings;
    std::vector<TSectionRecord> records; // pause records included, the end record not
    bool impossibleDate = false;         // the header says month 13 (the "baddate" fault)
    size_t unannouncedRecords = 0;       // the header counts this many fewer ("extrarecords")
};

std::vector<TSimSection> EncodeSectionMemory(const std::vector<TSimRide>& rides,
                                             const TSectionSettings& settings, int intervalTenths);
// The memory a generation VI or 7 head unit with these options starts with; `now` is its clock.
std::vector<TSimSection> BuildSectionMemory(const TSimOptions& options, int64_t now);
// Lays what the options make of every section over sections just recorded; `firstNumber` is the
// place of the first of them in the memory, counted from 1.
void ApplySectionOptions(std::vector<TSimSection>& sections, size_t firstNumber, const TSimOptions& options);

// Where the section's recording ended (start + records x interval), in whole seconds rounded up.
int64_t SectionEnd(const TSimSection& section);

std::vector<uint8_t> SectionHeaderBytes(const TSimSection& section);
// `marker`: 0 outside an interval, else the interval's number (1 to 254).
TSectionRecord EncodeSectionSample(const TRideSample& sample, uint8_t marker);
TSectionRecord SectionEndRecord();
bool IsPauseRecord(const TSectionRecord& record);

} // namespace klt::sim
