#pragma once
// The protocol base of every head unit: the port, identification by register telegrams, the idle
// and abort mechanism and the operations each generation overrides.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/Prompt.h"
#include "device/transport/VeltrakComPort.h"
#include "device/ProtocolLine.h"
#include "device/VeltrakStatus.h"

namespace klt {

class TVeltrakInternal {
public:
    using TEvent = std::function<void()>;
    using TPortLister = std::function<std::vector<TVeltrakComPort>()>;
    static constexpr uint8_t kDefaultAddress = 0x30;
    static constexpr uint32_t kReplyTimeoutMs = 200;
    static constexpr int kFailuresBeforeTimeout = 7;

    // Without a line the serial backend is used; without a clock, real time.
    explicit TVeltrakInternal(std::unique_ptr<ISerialLine> line = nullptr, IProtocolClock* clock = nullptr);
    virtual ~TVeltrakInternal() = default;
    TVeltrakInternal(const TVeltrakInternal&) = delete;
    TVeltrakInternal& operator=(const TVeltrakInternal&) = delete;

    // The status the head unit's identity and values go to; an own one until another is linked.
    void LinkStatus(TVeltrakStatus* status) { status_ = status != nullptr ? status : &ownStatus_; }
    TVeltrakStatus& Status() { return *status_; }

    const TVeltrakComPort& Port() const { return port_; }
    void SetPort(const TVeltrakComPort& port) { port_ = port; }
    bool SearchAllPorts() const { return searchAllPorts_; }
    void SetSearchAllPorts(bool on) { searchAllPorts_ = on; }
    // The ports a search of all ports goes through besides the configured one; by default the
    // serial ports of the machine, listed afresh.
    void SetPortLister(TPortLister lister) { portLister_ = std::move(lister); }
    void SetPassword(uint32_t password) { password_ = password; }
    // The generation chosen in the configuration.
    TVeltrakHWVersion ConfiguredHWVersion() const { return configuredHWVersion_; }
    void SetConfiguredHWVersion(TVeltrakHWVersion version) { configuredHWVersion_ = version; }
    uint16_t RegisterVersion() const { return version_; }
    TVeltrakPasswordLevel AccessLevel() const { return accessLevel_; }
    int ConsecutiveFailures() const { return failures_; }
    TProtocolLine& Line() { return line_; }
    IProtocolClock& Clock() { return line_.Clock(); }

    // Where the head unit's questions and messages go; until set, the cautious answers of a program
    // without a user, with messages on stderr.
    void SetPrompt(IPrompt& prompt) { prompt_ = &prompt; }
    IPrompt& UserPrompt() const { return *prompt_; }

    TEvent OnIdle;  // while waiting
    TEvent OnAbort; // before an abort unwinds

    // The operations of each generation, in slot order.
    virtual void SetModeByte(uint8_t mode);
    virtual void WriteClock();
    virtual void ReadClock();
    virtual void Disconnect();
    virtual void ReadLiveValues();
    virtual void ReadStatus();
    virtual void WriteSettings(const TVeltrakStatus& settings);
    virtual void WriteZones();
    virtual void ReadBrakeState();
    virtual void ReadBrakeCalibration();
    virtual void WriteBrakeCalibration();
    virtual void StartRecording();
    virtual std::array<uint8_t, 5> ReadMemoryBlock(uint16_t index);

    // Identifies the head unit when it is not yet: EVeltrakTooOld, EVeltrakTooNew,
    // EVeltrakPassword or EVeltrakTimeout.
    void Identify();
    // Sends the register block with this number and takes the reply in its place; EVeltrakTimeout.
    void RegisterExchange(uint8_t registerNumber);
    // Identify, then the exchange; a failure forgets the identification.
    void ReadRegister(uint8_t registerNumber);

    // Every waiting loop calls this: keeps the program alive and raises EVeltrakAbort when an abort
    // was requested meanwhile.
    void ProcessIdle();
    void RequestAbort();
    // Idles until ms + 100 milliseconds have passed.
    void Wait(int milliseconds);
    // A retry/cancel question; cancel aborts. True to retry.
    bool AskRetry(const std::string& text);
    // Runs `step`; a head-unit failure shows its message in the retry/cancel question and the step
    // runs again on retry. Cancel raises EVeltrakAbort, as does an abort inside the step.
    void RetryOnError(const std::function<void()>& step);

    std::string PortText() const;

protected:
    // What waiting does besides the idle event.
    virtual void Idle() {}

    // Register block: address, 0x20, command or status, four data bytes (1-based).
    uint8_t Data(int index) const { return block_[static_cast<size_t>(index) + 2]; }
    void SetData(int index, uint8_t value) { block_[static_cast<size_t>(index) + 2] = value; }
    uint16_t Data16(int first) const { return static_cast<uint16_t>(Data(first) << 8 | Data(first + 1)); }
    void SetData16(int first, uint16_t value);
    uint32_t Data32() const;
    void SetData32(uint32_t value);
    uint8_t StatusByte() const { return block_[2]; }
    // ReadRegister with these four data bytes, high byte first.
    void Exchange(uint8_t registerNumber, uint32_t data = 0) {
        SetData32(data);
        ReadRegister(registerNumber);
    }
    // The telemetry time slot delays the clock of register head units by this many hundredths.
    int TelemetryClockDelay() const;
    // Closes the port in use, lists the ports afresh and opens the one `port` stands for (the
    // download cable when it is gone; see TVeltrakComPortList::Resolve), which `port` becomes.
    // EVeltrakComError when there is none or it cannot be opened.
    void OpenPort(TVeltrakComPort& port);
    // Opens the port with the register protocol's line and asks it for register 5, resetting the
    // line once when it does not answer.
    void ProbeRegisterPort(TVeltrakComPort& port);
    void SearchRegisterPorts();
    std::vector<TVeltrakComPort> SearchedPorts() const;

    void CountFailure() { ++failures_; }
    void ClearFailures() { failures_ = 0; }

    uint16_t version_ = 0;
    TVeltrakPasswordLevel accessLevel_ = TVeltrakPasswordLevel::PasswordLevelUnknown;
    bool searchedAllPorts_ = false;

private:
    uint8_t ReadReplyByte();
    void StartReplyTimer();

    TProtocolLine line_;
    TVeltrakStatus ownStatus_;
    TVeltrakStatus* status_ = &ownStatus_;
    TVeltrakComPort port_;
    IPrompt* prompt_;
    bool searchAllPorts_ = true;
    TPortLister portLister_;
    uint32_t password_ = 0;
    TVeltrakHWVersion configuredHWVersion_ = TVeltrakHWVersion::HWVersionEntwicklung;
    std::array<uint8_t, 7> block_{kDefaultAddress, 0x20}; // address and mark; the rest per telegram
    std::array<uint8_t, 12> chunk_{};
    size_t chunkFill_ = 0;
    size_t chunkNext_ = 0;
    uint32_t replyStart_ = 0;
    bool replyTimedOut_ = false;
    int idleNesting_ = 0;
    int abortCounter_ = 0;
    int failures_ = 0;
};

// TVeltrakOld keeps the program alive while it waits.
class TVeltrakOld : public TVeltrakInternal {
public:
    using TVeltrakInternal::TVeltrakInternal;

    // Lets the host process one pending user-interface event; installed by the window program,
    // left empty by the tool and the download thread.
    std::function<void()> ProcessPendingEvent;

protected:
    void Idle() override;
};

} // namespace klt
