#include "tests/support/RawTraining.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace klt::test {
namespace {

void Put8(std::string& out, int v) { out += static_cast<char>(v & 0xFF); }
void Put16(std::string& out, int v) {
    Put8(out, v);
    Put8(out, v >> 8);
}
void Put32(std::string& out, int64_t v) {
    Put16(out, static_cast<int>(v & 0xFFFF));
    Put16(out, static_cast<int>((v >> 16) & 0xFFFF));
}

void PutSample(std::string& out, char version, const TRawSample& s) {
    if (version >= '7') {
        Put16(out, s.watts);
        Put8(out, s.rpm);
        Put8(out, s.bpm);
        Put32(out, static_cast<int16_t>(s.speed));
        Put32(out, s.altitude);
        Put16(out, s.temperature);
    } else if (version >= '5') {
        const int v = s.speed / 32;
        Put8(out, v & 0x7F);
        Put8(out, (v >> 7) << 4 | (s.watts & 0x0F));
        Put8(out, s.watts >> 4);
        Put8(out, s.rpm);
        Put8(out, s.bpm);
    } else {
        Put16(out, s.watts);
        Put8(out, s.rpm);
        Put8(out, s.speed & 0x7F);
        Put8(out, s.bpm);
    }
}

} // namespace

std::string TRawTraining::Bytes() const {
    const char version = Version();
    std::string out;
    out.append(magic, 0, 4);
    Put16(out, date);
    Put16(out, circumference);
    Put8(out, intervalNumerator);
    Put8(out, intervalDenominator);
    Put16(out, blockCountField.value_or(static_cast<uint16_t>(blocks.size())));
    Put16(out, markerCountField.value_or(static_cast<uint16_t>(std::max<size_t>(markers.size(), 1) - 1)));
    Put8(out, flags);
    std::string commentField(71, '\0');
    commentField[0] = static_cast<char>(std::min<size_t>(comment.size(), 70));
    std::copy_n(comment.begin(), std::min<size_t>(comment.size(), 70), commentField.begin() + 1);
    out += commentField;
    const size_t nameLength = (version == ' ' || version <= '5') ? 3 : 255;
    for (const TRawMarker& m : markers) {
        std::string name = m.name.substr(0, nameLength);
        name.resize(nameLength, '\0');
        out += name;
        Put8(out, m.active);
        Put16(out, m.first);
        Put16(out, m.last);
        for (int i = 0; i < 5; ++i) {
            Put16(out, 0);
        }
    }
    for (const TKLTBlock& b : blocks) {
        Put32(out, b.start);
        Put16(out, b.count);
    }
    Put16(out, zeroOffset);
    Put16(out, slope);
    Put16(out, sampleCountField.value_or(static_cast<uint16_t>(samples.size())));
    Put8(out, intervalByte);
    for (const TRawSample& s : samples) {
        PutSample(out, version, s);
    }
    if ((flags & 2) != 0) {
        for (uint8_t b : extraHeader.WriteToStream()) {
            out += static_cast<char>(b);
        }
    }
    return out;
}

void TRawTraining::WriteTo(const std::string& path) const { WriteFileBytes(path, Bytes()); }

TRawTraining SimpleTraining(char version, int count) {
    TRawTraining t;
    t.magic = std::string("KLT") + version;
    t.flags = version >= '7' ? 2 : 0;
    const bool old = version < '5';
    for (int i = 1; i <= count; ++i) {
        TRawSample s;
        s.watts = 100 + i;
        s.rpm = 80 + i % 20;
        s.bpm = 120 + i % 50;
        s.speed = old ? 20 + i % 30 : 32 * (200 + i);
        if (version >= '7') {
            s.altitude = 300 + (i % 7);
            s.temperature = 180 + i % 5;
        }
        t.samples.push_back(s);
    }
    if (old) {
        t.intervalByte = 2;
        t.date = 0;
        t.circumference = 0;
    }
    return t;
}

TTempDir::TTempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "klt-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot create a temporary directory");
    }
    path_ = pattern;
}

TTempDir::~TTempDir() {
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ignored);
    std::filesystem::remove_all(path_, ignored);
}

std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + path);
    }
}

} // namespace klt::test
