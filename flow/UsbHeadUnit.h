#pragma once
// The USB head unit as the main window's watch sees it: is one attached, connect to it, has it
// gone. The program's one talks through the USB link and a generation 7 protocol object; tests
// put a scripted one in its place.
#include <cstdint>
#include <functional>
#include <memory>

#include "core/Prompt.h"

namespace klt {

class TUsbLink;
class TVeltrak;

class IUsbHeadUnit {
public:
    // Hardware versions as the USB detection reports them.
    static constexpr int kGenerationVI = 7;
    static constexpr int kGeneration7 = 8;

    virtual ~IUsbHeadUnit() = default;
    // kGenerationVI or kGeneration7 for the first USB head unit attached, 0 for none. Silent.
    virtual int Detect() = 0;
    // Whether the link to the connected head unit is gone.
    virtual bool LinkLost() = 0;
    // Opens the link to the head unit of `hardwareVersion` and asks for its firmware version;
    // false when the link could not be opened. Never throws.
    virtual bool Connect(int hardwareVersion) = 0;
    // The firmware version the last connect got; 0 when the head unit did not answer.
    virtual uint16_t FirmwareVersion() const = 0;
    virtual void Close() = 0;
    // Restarts the head unit; throws EVeltrak when that fails.
    virtual void Reset() = 0;
};

// The real head unit: the program's USB link (or `usb`) and a generation 7 protocol object, which
// also serves generation VI.
class TVeltrakUsbHeadUnit : public IUsbHeadUnit {
public:
    // `processEvents` keeps the window alive while the protocol waits; may be empty. Questions go to
    // `prompt`.
    TVeltrakUsbHeadUnit(std::function<void()> processEvents, IPrompt& prompt, TUsbLink* usb = nullptr);
    ~TVeltrakUsbHeadUnit() override;

    int Detect() override;
    bool LinkLost() override;
    bool Connect(int hardwareVersion) override;
    uint16_t FirmwareVersion() const override;
    void Close() override;
    void Reset() override;

    TVeltrak& Veltrak() { return *veltrak_; }

private:
    std::unique_ptr<TVeltrak> veltrak_;
    TUsbLink& usb_;
};

} // namespace klt
