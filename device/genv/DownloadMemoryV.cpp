// Downloading the recording memory of a generation V head unit, block by block.
#include <algorithm>

#include "core/Exceptions.h"
#include "core/Texts.h"
#include "device/VeltrakExceptions.h"
#include "device/genv/VeltrakV.h"
#include "device/register/RegisterTelegram.h"

namespace klt {
namespace {

constexpr int kStartAttempts = 3;
constexpr int kDownloadAttempts = 3;
constexpr int kBlockAttempts = 3;
constexpr uint32_t kMaxAnswerMs = 4000;

} // namespace

void TVeltrakV::DownloadMemoryV(const TProgress& progress, bool newerCommand) {
    memory_.clear();
    garbled_.clear();
    announcedBlocks_ = 0;
    if (newerCommand && Status().SWVersion() < kFirstNewerDownloadFirmware) {
        throw Exception(
            "Your Veltrak does not support this function\r\nThis function is only implemented in newer "
            "versions");
    }
    for (int attempt = 1;; ++attempt) {
        try {
            DownloadOnce(progress, newerCommand);
            return;
        } catch (const EVeltrakAbort&) {
            memory_.clear();
            garbled_.clear();
            throw;
        } catch (const std::exception&) {
            memory_.clear();
            garbled_.clear();
            if (attempt >= kDownloadAttempts) {
                throw;
            }
            ResetLineV();
        }
    }
}

void TVeltrakV::StartDownload(char command) {
    const std::array<uint8_t, 3> start{0x02, static_cast<uint8_t>(command), 0x03};
    for (int attempt = 1;; ++attempt) {
        try {
            Line().Purge();
            Line().WriteBytes(start.data(), start.size());
            ReadAcknowledgement(command);
            return;
        } catch (const EVeltrakAbort&) {
            throw;
        } catch (const std::exception&) {
            if (attempt >= kStartAttempts) {
                throw;
            }
            Line().ResetLine();
        }
    }
}

size_t TVeltrakV::ReadBlock(uint8_t* block) {
    // One read: the line's interval ends it once the head unit pauses, and a byte that has not come
    // by then is lost; waiting for it would only delay the refusal that asks for the block again.
    return Line().ReadBytes(block, kBlockSize);
}

void TVeltrakV::DownloadOnce(const TProgress& progress, bool newerCommand) {
    ReadClockV();
    if (Status().SettingsV.powerDownMode != '0' && !powerDownSuspended_) {
        // A head unit that powers down mid-transfer would cut the download short. The status keeps
        // the mode, so that the new recording sets it again.
        SendTelegramV('v', {'0', 0, 0}, 3);
        powerDownSuspended_ = true;
        Wait(2900);
    }
    StartDownload(newerCommand ? 'y' : 'A');
    std::array<uint8_t, 2> count{};
    if (Line().ReadBytes(count.data(), 1) != 1 || Line().ReadBytes(count.data() + 1, 1) != 1) {
        throw Exception(std::string("Not all data for Telegram ") + (newerCommand ? 'y' : 'A') +
                        " could be received");
    }
    const size_t blocks = static_cast<size_t>(count[0] << 8 | count[1]);
    if (blocks == 0 || (blocks == 3 && Status().SWVersion() >= kFirstThreeEmptyBlocksFirmware)) {
        return; // nothing recorded
    }
    announcedBlocks_ = blocks;
    memory_.assign(blocks * kBlockSize, 0);
    uint32_t lastAcknowledgement = Clock().Milliseconds();
    for (size_t index = 0; index < blocks; ++index) {
        uint8_t* block = memory_.data() + index * kBlockSize;
        for (int attempt = 1;; ++attempt) {
            std::array<uint8_t, kBlockSize> received{};
            const size_t got = ReadBlock(received.data());
            if (got == 0 && attempt == 1) {
                if (index == 0) {
                    throw Exception(std::string("Not all data for Telegram ") + (newerCommand ? 'y' : 'A') +
                                    " could be received");
                }
                // Silence after blocks came: the head unit has sent all it holds, and the count came
                // garbled (or it announced more than it has). What came is kept; the download is
                // incomplete, so the memory stays.
                memory_.resize(index * kBlockSize);
                return;
            }
            if (Clock().Since(lastAcknowledgement) > kMaxAnswerMs) {
                throw Exception(LoadText(65154));
            }
            const bool good = got == kBlockSize && !HasFFRun(received);
            if (good || attempt >= kBlockAttempts) {
                // after the last attempt what came is kept, the rest stays zero, and the block is
                // known to be no recording
                std::copy_n(received.begin(), got, block);
                if (!good) {
                    garbled_.push_back(index);
                }
                Line().WriteBlock(&kAck, 1);
                break;
            }
            Clock().Sleep(100);
            Line().WriteBlock(&kNak, 1);
            Clock().Sleep(50);
        }
        lastAcknowledgement = Clock().Milliseconds();
        if (progress) {
            progress(static_cast<int>((index + 1) * 100 / blocks));
        }
        ProcessIdle();
    }
}

} // namespace klt
