#pragma once
// The records of a training file field by field. The document object (TKLTFile) and the training
// data module (TTrainingData) both read and write training files through these, so the two models
// of a training accept and produce the same bytes.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/KLTFile.h"

namespace klt {

class TBinaryReader;
class TAtomicFileWriter;

// --- Layout differences between versions (" " sorts below "2") ---
inline bool IsOldVersion(char version) {
    return version < '5';
}
inline size_t MarkerNameLength(char version) {
    return version <= '5' ? 3 : TKLTFile::kMarkerNameLength;
}
inline bool HasPackedSamples(char version) {
    return version < '7';
}

// --- Header (15 bytes) and comment (71 bytes) ---
// Returns the block count field. "Ok19" reads as "KLT "; any magic other than "KLT" with " " or
// "2".."8" throws EKLTFileInOutError "Header".
uint16_t ReadHeaderRecord(TBinaryReader& in, TKLTHeader& header);
// Writes the header's magic, marker count field and flags as they are.
void WriteHeaderRecord(TAtomicFileWriter& out, const TKLTHeader& header, uint16_t blockCount);
// A length byte and 70 code page 850 characters; the program's side is UTF-8.
std::string ReadCommentField(TBinaryReader& in);
void WriteCommentField(TAtomicFileWriter& out, const std::string& comment);

// --- Marker records ---
// One marker record as it lies in the file. The five words after the range are the averages of
// power, heart rate, cadence and speed and a zero word.
struct TStructurArray {
    std::string name; // UTF-8, cut at the first NUL of the name field
    uint8_t active = 1;
    uint16_t first = 0; // 1-based sample index
    uint16_t last = 0;
    std::array<uint16_t, 5> words{};

    bool operator==(const TStructurArray&) const = default;
};

// Name and fields are read separately so that a reader can tell which of them a file ends in.
void ReadMarkerName(TBinaryReader& in, size_t length, TStructurArray& record);
void ReadMarkerFields(TBinaryReader& in, TStructurArray& record);
// Always the 255-byte name of the current versions; a longer name is cut.
void WriteMarkerRecord(TAtomicFileWriter& out, const TStructurArray& record);

// --- Blocks and calibration ---
// More blocks than that fail with EKLTFileInOutError "Too many blocks".
void CheckBlockCount(size_t count);
TKLTBlock ReadBlockRecord(TBinaryReader& in);
void WriteBlockRecord(TAtomicFileWriter& out, const TKLTBlock& block);
// Zero offset, slope, sample count and the old interval byte. Returns the sample count, 0xFFFF
// taken as 0xFFFE.
int ReadCalibrationRecord(TBinaryReader& in, TKLTHeader& header);
void WriteCalibrationRecord(TAtomicFileWriter& out, const TKLTHeader& header, int sampleCount);

// --- 5-byte samples of versions before "7" ---
struct TPackedSample {
    int watts = 0;
    int cadence = 0;   // rpm
    int heartRate = 0; // bpm
    int speed = 0;     // mm/s, a multiple of 32
};

// Versions "5" and "6" pack speed (32 mm/s) and power over bytes 0-2; older ones hold power in
// 16 bits and speed in km/h, recoded here into what a version-5 record could hold.
TPackedSample DecodePackedSample(const uint8_t* record, char version);

// --- Files before version 5 ---
// They knew no circumference, kept the interval in whole seconds in the old interval byte and
// were dated only by their name: an initial, then day, month and two-digit year.
void ConvertOldHeader(TKLTHeader& header, const std::string& path);
// Their markers ended one past their last sample.
int ConvertOldMarkerLast(int first, int last, int sampleCount);
// Marker 0 without initials (nothing but blanks and control characters) takes the first letter of
// the file name.
std::string OldInitials(const std::string& initials, const std::string& path);

} // namespace klt
