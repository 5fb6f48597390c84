#include "flow/UsbPoll.h"

#include "app/KLTMainStartup.h"
#include "app/OptionDataUnit.h"
#include "core/Prompt.h"
#include "device/VeltrakExceptions.h"

namespace klt {
namespace {

constexpr int kSerialGeneration = 5;

// The busy cursor for a scope, taken back before any message shows.
class TBusy {
public:
    explicit TBusy(IUsbPollView& view) : view_(view) { view_.SetBusy(true); }
    ~TBusy() { Release(); }
    void Release() {
        if (busy_) {
            busy_ = false;
            view_.SetBusy(false);
        }
    }

private:
    IUsbPollView& view_;
    bool busy_ = true;
};

int SelectorItemOf(int generation) {
    return generation == 4 ? 1 : 0;
}

} // namespace

TUsbPoll::TUsbPoll(IUsbHeadUnit& headUnit, TOptionDataNew& optionTree, IUsbPollView& view)
    : headUnit_(headUnit), optionTree_(optionTree), view_(view) {}

TUsbPoll::~TUsbPoll() {
    if (attached_ != 0) {
        headUnit_.Close();
    }
}

void TUsbPoll::Poll() {
    if (polling_ || Paused()) {
        return;
    }
    polling_ = true;
    try {
        if (attached_ != 0) {
            if (headUnit_.LinkLost()) {
                Left();
            }
        } else if (const int found = headUnit_.Detect();
                   found == IUsbHeadUnit::kGenerationVI || found == IUsbHeadUnit::kGeneration7) {
            Arrived(found);
        }
    } catch (...) {
        polling_ = false;
        throw;
    }
    polling_ = false;
}

void TUsbPoll::Arrived(int hardwareVersion) {
    int32_t& generation = optionTree_.Sets().System.VeltrakVersion;
    TBusy busy(view_);
    if (!headUnit_.Connect(hardwareVersion)) {
        busy.Release();
        if (generation != kSerialGeneration) {
            SelectHeadUnitItem(optionTree_, SelectorItemOf(kSerialGeneration));
            view_.HeadUnitChanged();
        }
        return;
    }
    busy.Release();
    serialGeneration_ = generation == 4 ? 4 : kSerialGeneration;
    attached_ = hardwareVersion;
    generation = hardwareVersion == IUsbHeadUnit::kGenerationVI ? 6 : 7;
    view_.HeadUnitChanged();
    if ((optionTree_.Sets().System.ProtectionLevel & TStartupFlag::NoFirmwareFlash) == 0 && firstConnect_) {
        OfferFirmwareUpdate();
    }
    firstConnect_ = false;
}

void TUsbPoll::OfferFirmwareUpdate() {
    const bool vi = attached_ == IUsbHeadUnit::kGenerationVI;
    const uint16_t firmware = headUnit_.FirmwareVersion();
    std::string_view text;
    if (firmware == 0) {
        text = vi ? kNoAnswerVI : kNoAnswer7;
    } else if (firmware < kLatestUsbFirmware) {
        text = vi ? kNewFirmwareVI : kNewFirmware7;
    } else {
        return;
    }
    if (Prompt().Ask("Attention", std::string(text), TPromptButtons::OkCancel) == TPromptAnswer::Ok) {
        view_.OpenFirmwareWindow();
    }
}

void TUsbPoll::Left() {
    headUnit_.Close();
    attached_ = 0;
    firstConnect_ = true;
    SelectHeadUnitItem(optionTree_, SelectorItemOf(serialGeneration_));
    view_.HeadUnitChanged();
}

std::string_view TUsbPoll::GenerationName() const {
    switch (attached_) {
    case IUsbHeadUnit::kGenerationVI:
        return "VI";
    case IUsbHeadUnit::kGeneration7:
        return "7";
    default:
        return {};
    }
}

std::string TUsbPoll::SelectorText() const {
    return attached_ != 0 ? "VT " + std::string(GenerationName()) : std::string();
}

std::string TUsbPoll::StatusText() const {
    return attached_ != 0 ? "Veltrak " + std::string(GenerationName()) + " connected by USB" : std::string();
}

bool TUsbPoll::HeadUnitGate() {
    const int32_t generation = optionTree_.Sets().System.VeltrakVersion;
    if (attached_ != 0 || generation <= kSerialGeneration) {
        return true;
    }
    view_.WaitForHeadUnit(kGateWaitMs);
    if (attached_ != 0) {
        return true;
    }
    const EVeltrakVersion missing =
        generation == 6 ? EVeltrakVersion::NoVeltrakVI() : EVeltrakVersion::NoVeltrakVII();
    Prompt().ShowMessage("Attention", missing.what());
    return false;
}

void TUsbPoll::ResetHeadUnit() {
    if (attached_ == 0) {
        return;
    }
    const std::string_view text = attached_ < IUsbHeadUnit::kGeneration7 ? kResetDeletesData : kResetRestarts;
    if (Prompt().Ask("Warning", std::string(text), TPromptButtons::OkCancel) != TPromptAnswer::Ok) {
        return;
    }
    TPause pause(*this);
    TBusy busy(view_);
    try {
        headUnit_.Reset();
    } catch (const EVeltrakAbort&) {
        // the user stopped it
    } catch (const std::exception& error) {
        busy.Release();
        Prompt().ShowMessage("Warning", error.what());
    }
}

} // namespace klt
