// A generation V head unit seen from the computer: character telegrams at 9600 baud, unframed
// before firmware 0x430A, framed from it on, and the block download.
#include <gtest/gtest.h>

#include "SerialTestPort.h"
#include "tools/sim/HeadUnitSimulator.h"
#include "tools/sim/SimClock.h"

namespace klt::sim {
namespace {

using test::FramedTelegram;
using test::TSerialTestPort;

constexpr int64_t kClock = 1796774400; // 2026-12-09 00:00 on the head unit
constexpr uint8_t kStx = 0x02, kEtx = 0x03, kAck = 0x06, kNak = 0x15;

std::vector<uint8_t> Bytes(std::initializer_list<int> values) {
    std::vector<uint8_t> bytes;
    for (const int v : values) {
        bytes.push_back(static_cast<uint8_t>(v));
    }
    return bytes;
}

// The data of a framed reply to `command`: STX, command, pairs of characters, ETX.
std::optional<std::vector<uint8_t>> FramedData(const std::vector<uint8_t>& reply, char command) {
    if (reply.size() < 3 || reply[0] != kStx || reply[1] != static_cast<uint8_t>(command) ||
        reply.back() != kEtx || reply.size() % 2 != 1) {
        return std::nullopt;
    }
    std::vector<uint8_t> data;
    for (size_t i = 2; i + 1 < reply.size(); i += 2) {
        data.push_back(static_cast<uint8_t>((reply[i] - 0x30) << 4 | (reply[i + 1] - 0x30)));
    }
    return data;
}

class CharacterHeadUnitTest : public ::testing::Test {
protected:
    void StartUnit(TSimOptions options = {}) {
        options.generation = 5;
        options.clock = options.clock.value_or(kClock);
        options.rideMinutes = std::min(options.rideMinutes, 5);
        options.rides = std::min(options.rides, 2);
        simulator_ = std::make_unique<THeadUnitSimulator>(options);
        simulator_->Start();
        port_ =
            std::make_unique<TSerialTestPort>(simulator_->SlavePath(), options.faults.only4800 ? 4800 : 9600);
        ASSERT_TRUE(port_->IsOpen());
    }
    std::optional<std::vector<uint8_t>> Ask(char command, const std::vector<uint8_t>& data = {}) {
        port_->Write(FramedTelegram(command, data));
        return FramedData(port_->ReadThrough(kEtx), command);
    }

    std::unique_ptr<THeadUnitSimulator> simulator_;
    std::unique_ptr<TSerialTestPort> port_;
};

TEST_F(CharacterHeadUnitTest, VersionQueryAnswersInCharactersFramedFrom430A) {
    TSimOptions options;
    options.firmware = 0x430A;
    StartUnit(options);
    port_->Write(FramedTelegram('P'));
    EXPECT_EQ(port_->ReadUntilQuiet(300), Bytes({kStx, 'P', '4', '3', '0', ':', kEtx}));
}

TEST_F(CharacterHeadUnitTest, OlderFirmwareAnswersUnframedButHearsAFramedVersionQuery) {
    TSimOptions options;
    options.firmware = 0x4309;
    StartUnit(options);
    port_->Write(FramedTelegram('P'));
    EXPECT_EQ(port_->ReadUntilQuiet(300), Bytes({'P', '4', '3', '0', '9', kEtx}));
    port_->Write(std::string("xZZZ"));
    EXPECT_EQ(port_->ReadUntilQuiet(300), Bytes({'x', 0x43, 0x09, 0x80}));
    port_->Write(std::string("G") + std::string(2, '\xFF'));
    EXPECT_EQ(port_->ReadUntilQuiet(300), Bytes({'G', 0x08, 0x39}));
}

TEST_F(CharacterHeadUnitTest, NewerFirmwareIgnoresUnframedCommands) {
    StartUnit();
    port_->Write(std::string("xZZZ"));
    EXPECT_TRUE(port_->ReadUntilQuiet(300).empty());
    EXPECT_EQ(Ask('x', {'Z', 'Z', 'Z'}), Bytes({0x77, 0x00, 0x80}));
}

// Every command of the set with what a query sends and how many bytes come back.
TEST_F(CharacterHeadUnitTest, EveryCommandAnswersWithItsReplyLength) {
    StartUnit();
    const struct {
        char command;
        std::vector<uint8_t> sent;
        size_t replyBytes;
    } table[] = {
        {'x', {'Z', 'Z', 'Z'}, 3},
        {'Z', {2, 0x34}, 1},
        {'Y', {3, 0x10, 7}, 0},
        {'M', {0}, 6},
        {'E', {0xFF, 0xFF}, 2},
        {'F', {0xFF, 0xFF}, 2},
        {'G', {0xFF, 0xFF}, 2},
        {'N', {0}, 8},
        {'R', {0xFF}, 1},
        {'H', {0}, 11},
        {'O', {}, 14},
        {'S', {0xFF, 0xFF}, 2},
        {'c', {0}, 8},
        {'K', {0xFF}, 1},
        {'L', {0xFF}, 1},
        {'a', {0xFF}, 1},
        {'W', {0xFF}, 1},
        {'U', {0xFF}, 1},
        {'n', {0, 1}, 5},
        {'n', {0, 4}, 5},
        {'h', {0xFF}, 1},
        {'v', {0xFF, 0, 0}, 3},
        {'b', {0xFF}, 2},
        {'b', {0xFF, 0xFF}, 3},
        {'e', {1}, 0},
        {'J', {1}, 0},
        {'p', {1}, 0},
        {'V', {1}, 0},
        {'d', {1}, 0},
        {'X', {'0'}, 0},
        {'B', {}, 0},
        {'T', {}, 0},
    };
    for (const auto& row : table) {
        const auto reply = Ask(row.command, row.sent);
        ASSERT_TRUE(reply) << row.command;
        EXPECT_EQ(reply->size(), row.replyBytes) << row.command;
    }
    EXPECT_EQ(Ask('E', {0xFF, 0xFF}), Bytes({0x00, 0xEE}));
    EXPECT_EQ(Ask('G', {0xFF, 0xFF}), Bytes({0x08, 0x39}));
    EXPECT_EQ(Ask('S', {0xFF, 0xFF}), Bytes({20, 28}));
    EXPECT_EQ(Ask('a', {0xFF}), Bytes({9}));
    EXPECT_EQ(Ask('H', {0}), Bytes({1, 0x03, 0x20, 0x06, 0x40, 0x09, 0x60, 0x0C, 0x80, 0x0F, 0xA0}));
    EXPECT_EQ(simulator_->State().telegrams.size(), std::size(table) + 5);
}

TEST_F(CharacterHeadUnitTest, InstructionAndUnknownCommandsGoUnacknowledged) {
    StartUnit();
    port_->Write(FramedTelegram('I', {1}));
    EXPECT_TRUE(port_->ReadUntilQuiet(300).empty());
    port_->Write(FramedTelegram('q', {1}));
    EXPECT_TRUE(port_->ReadUntilQuiet(300).empty());
    ASSERT_EQ(simulator_->State().telegrams.size(), 1u);
    EXPECT_EQ(simulator_->State().telegrams[0].command, 'I');
}

TEST_F(CharacterHeadUnitTest, CommandsNewerThanTheFirmwareGoUnanswered) {
    TSimOptions options;
    options.firmware = 0x7601;
    StartUnit(options);
    EXPECT_FALSE(Ask('n', {0, 1}));
    EXPECT_TRUE(Ask('h', {0xFF}));
}

TEST_F(CharacterHeadUnitTest, SettingsWrittenAreKeptAndShown) {
    StartUnit();
    EXPECT_EQ(Ask('E', {0x01, 0x00}), Bytes({0x01, 0x00}));
    EXPECT_EQ(Ask('E', {0xFF, 0xFF}), Bytes({0x01, 0x00}));
    EXPECT_EQ(Ask('U', {0}), Bytes({0})); // zero is a value, not a question
    EXPECT_TRUE(Ask('N', {'A', 'B', 'C', 'D', 'E', 'F', ' ', ' '}));
    EXPECT_EQ(Ask('N', {0}), Bytes({'A', 'B', 'C', 'D', 'E', 'F', ' ', ' '}));
    EXPECT_TRUE(Ask('R', {0x85}));
    EXPECT_TRUE(Ask('Y', {3, 0x4E, 0x42}));
    EXPECT_EQ(Ask('Z', {3, 0x4E}), Bytes({0x42}));
    const TSimState state = simulator_->State();
    EXPECT_EQ(state.initials, "ABCDEF");
    EXPECT_EQ(state.intervalTenths, 5);
}

TEST_F(CharacterHeadUnitTest, OdometerKeepsItsYearAndDistanceInTheSettingsMemory) {
    StartUnit();
    EXPECT_EQ(Ask('Z', {2, 0x34}), Bytes({0x26})) << "the clock's year";
    EXPECT_EQ(Ask('Z', {2, 0x35}), Bytes({0x20}));
    EXPECT_EQ(Ask('Z', {3, 0x4E}), Bytes({0x10})); // 4180 km
    EXPECT_EQ(Ask('Z', {3, 0x4F}), Bytes({0x54}));
    EXPECT_FALSE(Ask('Z', {4, 0x34})) << "no fifth page";
    EXPECT_EQ(simulator_->State().settingsMemory.size(), 4u * 256);

    TSimOptions options;
    options.odometerYear = 2019;
    StartUnit(options);
    EXPECT_EQ(Ask('Z', {2, 0x34}), Bytes({0x19}));
    EXPECT_EQ(Ask('Z', {2, 0x35}), Bytes({0x20}));
    // The computer starts the clock's year: distance cleared, year written.
    for (const auto& write : {Bytes({3, 0x4E, 0}), Bytes({3, 0x4F, 0}), Bytes({2, 0x34, 0x26})}) {
        EXPECT_TRUE(Ask('Y', write));
    }
    const std::vector<uint8_t> memory = simulator_->State().settingsMemory;
    ASSERT_EQ(memory.size(), 4u * 256);
    EXPECT_EQ(memory[2 * 256 + 0x34], 0x26);
    EXPECT_EQ(memory[2 * 256 + 0x35], 0x20);
    EXPECT_EQ(memory[3 * 256 + 0x4E], 0);
    EXPECT_EQ(memory[3 * 256 + 0x4F], 0);
}

TEST_F(CharacterHeadUnitTest, PowerDownSettingStartsAsGivenAndTakesWrites) {
    StartUnit();
    EXPECT_EQ(Ask('v', {0xFF, 0xFF, 0xFF}), Bytes({'0', 0, 0}));
    TSimOptions options;
    options.powerDownMode = '4';
    options.powerDownSeconds = 600;
    StartUnit(options);
    EXPECT_EQ(Ask('v', {0xFF, 0xFF, 0xFF}), Bytes({'4', 0x02, 0x58}));
    EXPECT_EQ(Ask('v', {'1', 0x00, 0x3C}), Bytes({'1', 0x00, 0x3C}));
    EXPECT_EQ(Ask('v', {0xFF, 0xFF, 0xFF}), Bytes({'1', 0x00, 0x3C}));
}

TEST_F(CharacterHeadUnitTest, ClockIsSetAndReadInBcd) {
    StartUnit();
    EXPECT_TRUE(Ask('M', {0x24, 0x12, 0x26, 0x18, 0x30, 0x00})); // 24.12.2026 18:30:00
    const auto time = Ask('M', {0});
    ASSERT_TRUE(time);
    EXPECT_EQ((*time)[0], 0x24);
    EXPECT_EQ((*time)[1], 0x12);
    EXPECT_EQ((*time)[2], 0x26);
    EXPECT_EQ((*time)[3] & 0x3F, 0x18); // the upper bits of the hour byte are flags
    EXPECT_EQ((*time)[4], 0x30);
    const int64_t expected = kClock + 15 * 86400 + 18 * 3600 + 30 * 60;
    EXPECT_GE(simulator_->State().clockSeconds, expected);
    EXPECT_LT(simulator_->State().clockSeconds, expected + 60);
}

TEST_F(CharacterHeadUnitTest, BadClockFaultShowsThirtyFirstOfFebruaryForTheFirstReadsOnly) {
    TSimOptions options;
    options.faults.badClockReads = 2;
    StartUnit(options);
    const auto first = Ask('M', {0});
    ASSERT_TRUE(first);
    EXPECT_EQ(std::vector<uint8_t>(first->begin(), first->begin() + 5), Bytes({0x31, 0x02, 0x26, 0x40, 0x00}))
        << "year and time stay right";
    EXPECT_TRUE(Ask('M', {0x24, 0x12, 0x26, 0x18, 0x30, 0x00}));
    const auto second = Ask('M', {0});
    ASSERT_TRUE(second);
    EXPECT_EQ(std::vector<uint8_t>(second->begin(), second->begin() + 5), Bytes({0x31, 0x02, 0x26, 0x58, 0x30}))
        << "the written clock runs behind the wrong date";
    const auto third = Ask('M', {0});
    ASSERT_TRUE(third);
    EXPECT_EQ(std::vector<uint8_t>(third->begin(), third->begin() + 2), Bytes({0x24, 0x12}));
    EXPECT_EQ(simulator_->State().faultsInjected, 2);
}

TEST_F(CharacterHeadUnitTest, WakeUpCallIsHeardButNotAnswered) {
    StartUnit();
    port_->Write(std::string("xxxx"));
    EXPECT_TRUE(port_->ReadUntilQuiet(300).empty());
    EXPECT_EQ(simulator_->State().wakeUps, 1);
}

TEST_F(CharacterHeadUnitTest, NakFaultLeavesEveryNthTelegramUnacknowledged) {
    TSimOptions options;
    options.faults.nakEvery = 2;
    StartUnit(options);
    EXPECT_TRUE(Ask('G', {0xFF, 0xFF}));
    EXPECT_FALSE(Ask('G', {0xFF, 0xFF}));
    EXPECT_TRUE(Ask('G', {0xFF, 0xFF}));
}

TEST_F(CharacterHeadUnitTest, FourThousandEightHundredBaudOnlyIgnoresOtherSpeedsAndParities) {
    TSimOptions options;
    options.faults.only4800 = true;
    StartUnit(options);
    port_->Configure(9600);
    EXPECT_FALSE(Ask('P'));
    port_->Configure(19200);
    EXPECT_FALSE(Ask('P'));
    // STX has odd weight: its even-parity bit is a 1 that passes for the stop bit, but 'P' has
    // even weight and its 0 parity bit breaks the frame.
    port_->Configure(4800, TSerialTestPort::TParity::Even);
    port_->Write(FramedTelegram('P'));
    EXPECT_TRUE(port_->ReadUntilQuiet(300).empty());
    port_->Configure(4800);
    port_->Write(FramedTelegram('P'));
    EXPECT_EQ(port_->ReadUntilQuiet(300), Bytes({kStx, 'P', '7', '7', '0', '0', kEtx}));
    EXPECT_GT(simulator_->State().garbledBytes, 0);
}

class CharacterDownloadTest : public CharacterHeadUnitTest {
protected:
    // Starts a download and returns the number of blocks announced.
    int StartDownload(char command = 'A') {
        port_->Write(FramedTelegram(command));
        const auto head = port_->Read(4);
        if (head.size() != 4 || head[0] != kStx || head[1] != static_cast<uint8_t>(command)) {
            return -1;
        }
        return head[2] << 8 | head[3];
    }
    using TBlocks = std::vector<std::vector<uint8_t>>;
    // The whole memory, every block acknowledged.
    TBlocks DownloadAll() {
        const int count = StartDownload();
        TBlocks blocks;
        for (int b = 0; b < count; ++b) {
            blocks.push_back(port_->Read(64));
            EXPECT_EQ(blocks.back().size(), 64u) << b;
            port_->Write(Bytes({kAck}));
        }
        return blocks;
    }
    // The memory of a head unit without faults, then that of one with these faults.
    std::pair<TBlocks, TBlocks> DownloadSoundAndFaulty(const TSimFaults& faults) {
        StartUnit();
        TBlocks sound = DownloadAll();
        TSimOptions options;
        options.faults = faults;
        StartUnit(options);
        return {std::move(sound), DownloadAll()};
    }
};

TEST_F(CharacterDownloadTest, BlocksComeOneByOneAsTheyAreAcknowledged) {
    StartUnit();
    const int blocks = StartDownload('y');
    ASSERT_GT(blocks, 2);
    const auto first = port_->Read(64);
    ASSERT_EQ(first.size(), 64u);
    EXPECT_TRUE(first[0] & 0x40); // a training starts here
    // No further block before the acknowledgement.
    EXPECT_TRUE(port_->Read(1, 200).empty());
    port_->Write(Bytes({kNak}));
    EXPECT_EQ(port_->Read(64), first);
    for (int b = 1; b < blocks; ++b) {
        port_->Write(Bytes({kAck}));
        ASSERT_EQ(port_->Read(64).size(), 64u) << b;
    }
    port_->Write(Bytes({kAck}));
    EXPECT_TRUE(port_->Read(1, 300).empty());
    const TSimState state = simulator_->State();
    EXPECT_EQ(state.announcedBlocks, blocks);
    EXPECT_EQ(state.blocksAcknowledged, blocks);
    EXPECT_EQ(state.blocksRefused, 1);
    EXPECT_EQ(state.downloadsCompleted, 1);
}

TEST_F(CharacterDownloadTest, SameSeedAndClockSendTheSameMemory) {
    std::vector<std::vector<uint8_t>> firstBlocks;
    for (int run = 0; run < 2; ++run) {
        TSimOptions options;
        options.seed = 42;
        StartUnit(options);
        ASSERT_GT(StartDownload(), 0);
        firstBlocks.push_back(port_->Read(64));
    }
    EXPECT_EQ(firstBlocks[0].size(), 64u);
    EXPECT_EQ(firstBlocks[0], firstBlocks[1]);
}

TEST_F(CharacterDownloadTest, SilentComputerEndsTheDownloadAndTheHeadUnitListensAgain) {
    TSimOptions options;
    options.blockAckTimeoutMs = 300;
    StartUnit(options);
    ASSERT_GT(StartDownload(), 1);
    ASSERT_EQ(port_->Read(64).size(), 64u);
    EXPECT_TRUE(port_->Read(64, 1000).empty()); // no acknowledgement: nothing more comes
    EXPECT_EQ(simulator_->State().downloadsAborted, 1);
    EXPECT_TRUE(Ask('G', {0xFF, 0xFF}));
}

TEST_F(CharacterDownloadTest, NewTelegramInsteadOfAnAcknowledgementIsAnswered) {
    StartUnit();
    ASSERT_GT(StartDownload(), 1);
    ASSERT_EQ(port_->Read(64).size(), 64u);
    EXPECT_TRUE(Ask('G', {0xFF, 0xFF}));
    EXPECT_EQ(simulator_->State().downloadsAborted, 1);
}

TEST_F(CharacterDownloadTest, ClearedMemoryAnnouncesNothingOrThreeOnLaterFirmware) {
    StartUnit();
    EXPECT_TRUE(Ask('B'));
    EXPECT_EQ(StartDownload(), 3);
    EXPECT_TRUE(port_->Read(1, 300).empty());

    TSimOptions options;
    options.firmware = 0x6410;
    options.rides = 0;
    StartUnit(options);
    EXPECT_EQ(StartDownload(), 0);
}

TEST_F(CharacterDownloadTest, WinterRidesCarryTheirTemperatureInWholeDegrees) {
    TSimOptions options;
    options.temperature = -5;
    StartUnit(options);
    const auto blocks = DownloadAll();
    ASSERT_GT(blocks.size(), 2u);
    for (const auto& block : blocks) {
        const int degrees = static_cast<int8_t>(block[8]);
        EXPECT_GE(degrees, -5);
        EXPECT_LE(degrees, -3) << "the day warms only a little";
    }
    EXPECT_EQ(static_cast<int8_t>(blocks[0][8]), -5);
}

TEST_F(CharacterDownloadTest, BadDateFaultSpoilsTheMinuteOfEveryNthBlockAndNothingElse) {
    const auto [sound, spoilt] = DownloadSoundAndFaulty({.badDateEvery = 3});
    ASSERT_EQ(spoilt.size(), sound.size());
    ASSERT_GT(sound.size(), 6u);
    for (size_t b = 0; b < sound.size(); ++b) {
        std::vector<uint8_t> expected = sound[b];
        if ((b + 1) % 3 == 0) {
            expected[3] = static_cast<uint8_t>((expected[3] & 0xF0) | 0x0A);
        }
        EXPECT_EQ(spoilt[b], expected) << b;
    }
    EXPECT_TRUE(spoilt[0][0] & 0x40) << "the ride's start flag stays";
}

TEST_F(CharacterDownloadTest, HeadlessFaultPutsBlocksWithoutATrainingStartBeforeTheFirstRide) {
    const auto [sound, blocks] = DownloadSoundAndFaulty({.headlessBlocks = 3});
    ASSERT_EQ(blocks.size(), sound.size() + 3);
    EXPECT_TRUE(std::equal(sound.begin(), sound.end(), blocks.begin() + 3)) << "the rides follow unchanged";
    int64_t previous = 0;
    for (size_t b = 0; b < 4; ++b) {
        const std::vector<uint8_t>& block = blocks[b];
        EXPECT_EQ(block[0] & 0x40, b == 3 ? 0x40 : 0) << b;
        EXPECT_EQ(block[1] & 0x20, 0) << b;
        const uint8_t time[6] = {
            static_cast<uint8_t>(block[0] & 0x3F), block[1], block[5], block[2], block[3], block[4]};
        int64_t seconds = 0;
        ASSERT_TRUE(FromBcdTime(time, seconds)) << b;
        EXPECT_GT(seconds, previous) << b;
        previous = seconds;
        EXPECT_NE(std::vector<uint8_t>(block.begin() + 9, block.end()), std::vector<uint8_t>(55, 0))
            << "samples";
    }
}

TEST_F(CharacterDownloadTest, ChecksumFaultSpoilsEveryNthBlockWithNoiseUntilSentAgain) {
    TSimOptions options;
    options.faults.checksumEvery = 2;
    StartUnit(options);
    ASSERT_GT(StartDownload(), 2);
    auto hasNoise = [](const std::vector<uint8_t>& block) {
        return std::search_n(block.begin(), block.end(), 4, uint8_t{0xFF}) != block.end();
    };
    EXPECT_FALSE(hasNoise(port_->Read(64)));
    port_->Write(Bytes({kAck}));
    EXPECT_TRUE(hasNoise(port_->Read(64)));
    port_->Write(Bytes({kNak}));
    EXPECT_FALSE(hasNoise(port_->Read(64)));
}

} // namespace
} // namespace klt::sim
