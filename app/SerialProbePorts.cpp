#include "app/SerialProbePorts.h"

#include <chrono>
#include <thread>

#include "device/ProtocolLine.h"

namespace klt {
namespace {

// A byte within 2 ms plus 50 ms; writes within 50 ms per byte plus 50 ms.
constexpr TLineTimeouts kProbeTimeouts{0, 2, 50, 50, 50};

class TSerialProbePort : public IProbePort {
public:
    explicit TSerialProbePort(std::unique_ptr<ISerialLine> line) : line_(std::move(line)) {}
    ~TSerialProbePort() override {
        try {
            line_->Purge(); // nothing left to drain: closing never waits for the line
            line_->Close();
        } catch (...) {
        }
    }
    TSerialProbePort(const TSerialProbePort&) = delete;
    TSerialProbePort& operator=(const TSerialProbePort&) = delete;

    bool Configure(int baud) override {
        try {
            line_->Configure({baud, 8, TParity::None, 1});
            line_->SetTimeouts(kProbeTimeouts);
            line_->Purge();
            return true;
        } catch (const std::exception&) {
            return false;
        }
    }
    void SetBaud(int baud) override { Configure(baud); }
    void SendBreak(int milliseconds) override {
        if (line_->SetBreak(true)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
            line_->SetBreak(false);
        }
    }
    bool WriteByte(uint8_t byte) override {
        try {
            return line_->Write(&byte, 1) == 1;
        } catch (const std::exception&) {
            return false;
        }
    }
    std::optional<uint8_t> ReadByte() override {
        uint8_t byte = 0;
        try {
            if (line_->Read(&byte, 1) == 1) {
                return byte;
            }
        } catch (const std::exception&) {
        }
        return std::nullopt;
    }

private:
    std::unique_ptr<ISerialLine> line_;
};

} // namespace

std::unique_ptr<IProbePort> TSerialProbePorts::Open(int index) {
    std::unique_ptr<ISerialLine> line = CreateSerialLine();
    try {
        line->Open(prefix_ + std::to_string(index));
    } catch (const std::exception&) {
        return nullptr;
    }
    return std::make_unique<TSerialProbePort>(std::move(line));
}

} // namespace klt
