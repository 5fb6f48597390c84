#pragma once
// Builds the bytes of a training file of any version field by field, including malformed ones, so
// tests and the fuzz corpus do not depend on the writer they are checking.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/ExtraHeader.h"
#include "core/KLTFile.h"

namespace klt::test {

struct TRawMarker {
    std::string name; // code page 850 bytes
    uint8_t active = 1;
    uint16_t first = 0;
    uint16_t last = 0;
};

struct TRawSample {
    int watts = 0;
    int rpm = 0;
    int bpm = 0;
    int speed = 0; // mm/s from version 5 on; km/h before
    int altitude = 0;
    int temperature = 0;
};

struct TRawTraining {
    std::string magic = "KLT7";
    uint16_t date = 50000;
    uint16_t circumference = 2100;
    uint8_t intervalNumerator = 1;
    uint8_t intervalDenominator = 1;
    uint8_t flags = 2;
    std::string comment; // code page 850 bytes
    std::vector<TRawMarker> markers = {TRawMarker{"AB"}};
    std::vector<TKLTBlock> blocks;
    uint16_t zeroOffset = 500;
    uint16_t slope = 3000;
    uint8_t intervalByte = 0;
    std::vector<TRawSample> samples;
    TExtraHeader extraHeader;
    // Header fields that normally follow the vectors; set them to describe a lying file.
    std::optional<uint16_t> blockCountField;
    std::optional<uint16_t> markerCountField;
    std::optional<uint16_t> sampleCountField;

    char Version() const { return magic.size() >= 4 ? magic[3] : '7'; }
    std::string Bytes() const;
    void WriteTo(const std::string& path) const;
};

// A file of `count` samples with simple distinct values, in the given version.
TRawTraining SimpleTraining(char version, int count);

// A fresh, empty directory for one test; removed with its contents by the destructor.
class TTempDir {
public:
    TTempDir();
    ~TTempDir();
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;
    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);

} // namespace klt::test
