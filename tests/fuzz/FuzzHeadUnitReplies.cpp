// Head-unit replies are hostile input: whatever bytes come back, the protocols end in their own
// exceptions or results, never in a crash, an overrun or an endless wait. The first byte chooses
// the protocol; the rest is everything the "head unit" says, handed out a few bytes per read.
#include <deque>
#include <memory>
#include <span>
#include <vector>

#include "core/Prompt.h"
#include "device/genv/MemoryV.h"
#include "device/genv/VeltrakV.h"
#include "device/usb/UsbRequest.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

using namespace klt;
using fuzz::Check;

// Time passes with every look at the clock too, so a loop that only polls still times out.
class TRunningClock : public IProtocolClock {
public:
    uint32_t Milliseconds() override { return (now_ += 1) & 0x7FFFFFFFu; }
    void Sleep(int milliseconds) override { now_ += static_cast<uint32_t>(milliseconds > 0 ? milliseconds : 1); }

private:
    uint32_t now_ = 1000;
};

// The bytes of the input, served in reads of the sizes the input itself chooses.
class TReplayLine : public ISerialLine {
public:
    explicit TReplayLine(std::span<const uint8_t> replies) : replies_(replies.begin(), replies.end()) {}
    void Open(const std::string&) override { open_ = true; }
    void Close() override { open_ = false; }
    bool IsOpen() const override { return open_; }
    void Configure(const TLineSettings&) override {}
    void SetTimeouts(const TLineTimeouts&) override {}
    void Purge() override {}
    bool SetBreak(bool) override { return true; }
    size_t Write(const uint8_t*, size_t count) override { return count; }
    void Flush() override {}
    size_t Read(uint8_t* bytes, size_t count) override {
        size_t got = 0;
        while (got < count && !replies_.empty()) {
            bytes[got++] = replies_.front();
            replies_.pop_front();
        }
        return got;
    }
    bool Exhausted() const { return replies_.empty(); }

private:
    std::deque<uint8_t> replies_;
    bool open_ = false;
};

class TReplayFtdi : public IFtdiLink {
public:
    explicit TReplayFtdi(std::span<const uint8_t> replies) : line_(replies) {}
    TFtStatus DeviceCount(int& count) override { return count = 1, FT_OK; }
    TFtStatus DeviceDescription(int, std::string& description) override {
        return description = "VELTRAK 7", FT_OK;
    }
    TFtStatus OpenByDescription(const std::string&) override { return FT_OK; }
    TFtStatus Close() override { return FT_OK; }
    TFtStatus ResetDevice() override { return FT_OK; }
    TFtStatus PurgeTransmit() override { return FT_OK; }
    TFtStatus PurgeReceive() override { return FT_OK; }
    TFtStatus SetBreak(bool) override { return FT_OK; }
    TFtStatus SetBaudRate(int) override { return FT_OK; }
    TFtStatus SetDataCharacteristics(int, int, int) override { return FT_OK; }
    TFtStatus SetFlowControlNone(uint8_t, uint8_t) override { return FT_OK; }
    TFtStatus SetTimeouts(int, int) override { return FT_OK; }
    TFtStatus QueueStatus(size_t& waiting) override { return waiting = 0, FT_OK; }
    TFtStatus Write(const uint8_t*, size_t count, size_t& written) override { return written = count, FT_OK; }
    TFtStatus Read(uint8_t* bytes, size_t count, size_t& read) override {
        read = line_.Read(bytes, count);
        return FT_OK;
    }
    TFtStatus SetBitMode(uint8_t, uint8_t) override { return FT_OK; }
    TFtStatus CyclePort() override { return FT_OK; }

private:
    TReplayLine line_;
};

// Nobody to ask: every question is cancelled, every message dropped.
class TAbsentUser : public IPrompt {
public:
    TPromptAnswer Ask(const std::string&, const std::string&, TPromptButtons) override {
        return TPromptAnswer::Cancel;
    }
    void ShowMessage(const std::string&, const std::string&) override {}
};

template <class Protocol> std::unique_ptr<Protocol> ProtocolOver(std::span<const uint8_t> replies,
                                                                 IProtocolClock& clock) {
    static TAbsentUser user;
    auto protocol = std::make_unique<Protocol>(std::make_unique<TReplayLine>(replies), &clock);
    const TVeltrakComPort port("Fuzz", "/dev/null", 1);
    protocol->SetPort(port);
    protocol->SetPortLister([port] { return std::vector<TVeltrakComPort>{port}; });
    protocol->SetSearchAllPorts(false);
    protocol->SetPrompt(user);
    return protocol;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) {
        return 0;
    }
    static TAbsentUser user;
    SetPrompt(&user);
    const std::span<const uint8_t> replies(data + 1, size - 1);
    TRunningClock clock;
    try {
        switch (data[0] % 4) {
        case 0: { // register protocol: identification and the whole status
            auto protocol = ProtocolOver<TVeltrakOld>(replies, clock);
            protocol->SetConfiguredHWVersion(TVeltrakHWVersion::HWVersionVT4x128);
            protocol->ReadStatus();
            break;
        }
        case 1: { // generation V: search, status with its fallbacks, clock
            auto protocol = ProtocolOver<TVeltrakV>(replies, clock);
            protocol->SetConfiguredHWVersion(TVeltrakHWVersion::HWVersionVT5x128);
            protocol->Status().SetHWVersion(TVeltrakHWVersion::HWVersionVT5x128);
            protocol->ReadStatus();
            break;
        }
        case 2: { // generation V: the memory download
            auto protocol = ProtocolOver<TVeltrakV>(replies, clock);
            protocol->SetConfiguredHWVersion(TVeltrakHWVersion::HWVersionVT5x128);
            protocol->Status().SetHWVersion(TVeltrakHWVersion::HWVersionVT5x128);
            protocol->DownloadMemoryV([](int) {}, (data[0] & 4) != 0);
            const TMemoryVParse parse = ParseMemoryV(protocol->Memory(), protocol->Status().SWVersion(), 100,
                                                     protocol->GarbledBlocks());
            for (const TVeltrakVTraining& training : parse.trainings) {
                int inBlocks = 0;
                for (const TVeltrakVTimeBlock& block : training.blocks) {
                    inBlocks += block.count;
                }
                Check(inBlocks == static_cast<int>(training.samples.size()));
            }
            break;
        }
        default: { // generation VI/7 requests
            TReplayFtdi link(replies);
            TUsbRequestLink requests(link, clock, nullptr, [] {}, [] { return true; });
            const uint8_t payload[] = {1, 2, 3};
            for (int kind = 0; kind < 3; ++kind) {
                requests.SendRequest({kind, static_cast<uint8_t>(kind + 1), 1}, payload);
            }
            break;
        }
        }
    } catch (const std::exception&) {
        // Every failure the protocols report is fine; only crashes and hangs are faults.
    }
    SetPrompt(nullptr);
    return 0;
}
