#include "core/ExtraHeader.h"

#include "core/BinaryFile.h"

namespace klt {
namespace {

uint32_t WordAt(const TExtraHeader::Bytes& bytes, size_t word) {
    const size_t at = word * 4;
    return uint32_t{bytes[at]} | uint32_t{bytes[at + 1]} << 8 | uint32_t{bytes[at + 2]} << 16 |
           uint32_t{bytes[at + 3]} << 24;
}

void PutWord(TExtraHeader::Bytes& bytes, size_t word, uint32_t value) {
    for (size_t i = 0; i < 4; ++i) {
        bytes[word * 4 + i] = static_cast<uint8_t>(value >> (8 * i));
    }
}

} // namespace

void TExtraHeader::ReadFromStream(const Bytes& bytes) {
    batInfo.battery = WordAt(bytes, 0);
    batInfo.battery2 = WordAt(bytes, 1);
    for (size_t i = 0; i < sensorInfo.words.size(); ++i) {
        sensorInfo.words[i] = WordAt(bytes, 2 + i);
    }
}

TExtraHeader::Bytes TExtraHeader::WriteToStream() const {
    Bytes bytes{};
    PutWord(bytes, 0, batInfo.battery);
    PutWord(bytes, 1, batInfo.battery2);
    for (size_t i = 0; i < sensorInfo.words.size(); ++i) {
        PutWord(bytes, 2 + i, sensorInfo.words[i]);
    }
    return bytes;
}

void TExtraHeader::ReadFromFile(TBinaryReader& file) {
    Bytes bytes{};
    file.Read(bytes.data(), bytes.size());
    ReadFromStream(bytes);
}

void TExtraHeader::WriteToFile(TAtomicFileWriter& file) const {
    const Bytes bytes = WriteToStream();
    file.Write(bytes.data(), bytes.size());
}

} // namespace klt
