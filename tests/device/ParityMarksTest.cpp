#include <gtest/gtest.h>

#include <vector>

#include "device/transport/ParityMarks.h"

namespace klt {
namespace {

std::vector<uint8_t> Decode(TParityMarkDecoder& decoder, std::vector<uint8_t> raw) {
    std::vector<uint8_t> out(raw.size());
    out.resize(decoder.Decode(raw.data(), raw.size(), out.data()));
    return out;
}

TEST(ParityMarks, FaultyBytesBecomeTheErrorCharacterAndDoubledMarksOneByte) {
    TParityMarkDecoder decoder;
    EXPECT_EQ(Decode(decoder, {0x41, 0xFF, 0x00, 0x37, 0xFF, 0xFF, 0x00}),
              (std::vector<uint8_t>{0x41, 0xFE, 0xFF, 0x00}));
}

TEST(ParityMarks, MarkSplitAcrossReadsIsFinishedByTheNext) {
    TParityMarkDecoder decoder;
    EXPECT_EQ(Decode(decoder, {0x10, 0xFF}), std::vector<uint8_t>{0x10});
    EXPECT_EQ(Decode(decoder, {0x00}), std::vector<uint8_t>{});
    EXPECT_EQ(Decode(decoder, {0x99, 0x20}), (std::vector<uint8_t>{0xFE, 0x20}));
    EXPECT_EQ(Decode(decoder, {0xFF}), std::vector<uint8_t>{});
    decoder.Reset(); // a purge drops the half mark
    EXPECT_EQ(Decode(decoder, {0x00}), std::vector<uint8_t>{0x00});
}

} // namespace
} // namespace klt
