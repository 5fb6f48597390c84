// klt device status | clock: a head unit identified and read; generations IV and V on a serial
// port, VI and 7 on the program's USB link (the simulator's when KLT_USB_SIM names its socket).
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>

#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/DatabaseText.h"
#include "cli/DevicePrompt.h"
#include "cli/HeadUnitConnection.h"
#include "cli/HeadUnitOptions.h"
#include "cli/JsonOutput.h"
#include "cli/TerminalText.h"
#include "core/Exceptions.h"
#include "core/KLTDate.h"
#include "device/VeltrakExceptions.h"
#include "device/genv/VeltrakV.h"
#include "device/usb/VeltrakVI.h"
#include "flow/HeadUnitSession.h"

namespace klt::cli {
namespace {

// Lists the published properties of a status as JSON members or as "Name = value" lines.
class TStatusPrinter : public TPropertyVisitor {
public:
    explicit TStatusPrinter(TJson* json) : json_(json) {}
    std::string text;

    void Boolean(std::string_view name, bool value, const TSetter<bool>&) override {
        Put(name, value ? "true" : "false", value);
    }
    void Integer(std::string_view name, int64_t value, int64_t, int64_t, const TSetter<int64_t>&) override {
        Put(name, std::to_string(value), value);
    }
    void Number(std::string_view name, double value, const TSetter<double>&) override {
        char digits[32];
        std::snprintf(digits, sizeof digits, "%.17g", value);
        Put(name, digits, value);
    }
    void Enumeration(std::string_view name, int value, TValueNames names, const TSetter<int>&) override {
        const std::string shown = value >= 0 && static_cast<size_t>(value) < names.size()
                                      ? std::string(names[static_cast<size_t>(value)])
                                      : std::to_string(value);
        Put(name, shown, shown);
    }
    void Flags(std::string_view name, uint32_t value, TValueNames, const TSetter<uint32_t>&) override {
        Put(name, std::to_string(value), value);
    }
    void Text(std::string_view name, const std::string& value, const TSetter<std::string>&) override {
        Put(name, value, value);
    }
    void TextList(std::string_view name, const std::vector<std::string>& value,
                  const TSetter<std::vector<std::string>>&) override {
        std::string joined;
        for (const std::string& item : value) {
            joined += (joined.empty() ? "" : ", ") + item;
        }
        Put(name, joined, value);
    }
    void Object(std::string_view name, const TNestedProperties& visitNested) override {
        if (json_ == nullptr) {
            visitNested(*this);
            return;
        }
        TJson* const outer = json_;
        TJson nested = TJson::object();
        json_ = &nested;
        visitNested(*this);
        json_ = outer;
        (*json_)[std::string(name)] = std::move(nested);
    }

private:
    void Put(std::string_view name, const std::string& shown, TJson value) {
        if (json_ != nullptr) {
            (*json_)[std::string(name)] = std::move(value);
        } else {
            text += std::string(name) + " = " + Printable(shown) + "\n";
        }
    }

    TJson* json_;
};

std::string ClockText(const TVeltrakStatus& status) {
    if (status.ClockDay == kNoDate) {
        return "";
    }
    return FormatIsoDate(status.ClockDay) + " " + FormatTimeOfDay(status.ClockTime, true);
}

int RunStatus(const THeadUnitOptions& given) {
    const TDeviceOptions options = DeviceOptions(given);
    TDevicePrompt prompt;
    auto veltrak = Connect(options, prompt);
    veltrak->ReadStatus();
    TVeltrakStatus& status = veltrak->Status();
    const std::string unread = SettingGroupNames(veltrak->FailedSettings());
    const std::string generation = HWVersionName(HWVersionOfType(options.type));
    if (given.json) {
        TJson properties = TJson::object();
        TStatusPrinter printer(&properties);
        status.VisitProperties(printer);
        TJson unreadSettings = TJson::array();
        for (int i = 0; i <= static_cast<int>(TSettingGroup::Telemetry); ++i) {
            if ((veltrak->FailedSettings() & (1u << i)) != 0) {
                unreadSettings.push_back(SettingGroupName(static_cast<TSettingGroup>(i)));
            }
        }
        PrintJson({{"port", options.port.Path},
                   {"generation", generation},
                   {"firmware", status.SWVersionText()},
                   {"hardware", status.HWVersionText()},
                   {"clock", ClockText(status)},
                   {"properties", properties},
                   {"unread_settings", unreadSettings}});
        return 0;
    }
    TStatusPrinter printer(nullptr);
    status.VisitProperties(printer);
    // The device path: messages name ports by COM number, which a pseudo-terminal does not have.
    std::printf("Veltrak %s at %s, firmware %s, hardware %s\nClock = %s\n%s", generation.c_str(),
                options.port.Path.c_str(), status.SWVersionText().c_str(), status.HWVersionText().c_str(),
                ClockText(status).c_str(), printer.text.c_str());
    if (!unread.empty()) {
        std::printf("Not read (defaults shown): %s\n", unread.c_str());
    }
    return 0;
}

struct TClockOptions {
    THeadUnitOptions headUnit;
    std::optional<std::string> set;
};

int RunClock(const TClockOptions& given) {
    const TDeviceOptions options = DeviceOptions(given.headUnit);
    TDevicePrompt prompt;
    auto veltrak = Connect(options, prompt);
    TVeltrakStatus& status = veltrak->Status();
    if (given.set) {
        const TDateTimeMark now = TDateTimeMark::Now();
        status.ClockDay = static_cast<uint16_t>(now.days);
        status.ClockTime = now.time;
        veltrak->WriteClock();
    }
    veltrak->ReadClock();
    if (given.headUnit.json) {
        PrintJson({{"clock", ClockText(status)}});
    } else {
        std::printf("%s\n", ClockText(status).c_str());
    }
    return 0;
}

void AddStatusCommand(CLI::App& device, TCommandRun& selected) {
    auto options = std::make_shared<THeadUnitOptions>();
    CLI::App& status = *device.add_subcommand(
        "status", "identify a head unit and read its whole status (6, 7: over USB; KLT_USB_SIM: the simulator's)");
    AddHeadUnitOptions(status, *options);
    RunWhenSelected(status, selected, [options] { return RunStatus(*options); });
}

void AddClockCommand(CLI::App& device, TCommandRun& selected) {
    auto options = std::make_shared<TClockOptions>();
    CLI::App& clock = *device.add_subcommand("clock", "read (or set, then read) the head unit's clock");
    AddHeadUnitOptions(clock, options->headUnit);
    clock.add_option("--set", options->set, "\"now\": set the clock to this computer's")->check(CLI::IsMember({"now"}));
    RunWhenSelected(clock, selected, [options] { return RunClock(*options); });
}

} // namespace

void AddDeviceCommand(CLI::App& klt, TCommandRun& selected) {
    CLI::App& device = AddCommandGroup(klt, "device", "serial ports and head units");
    AddDevicePortsCommand(device, selected);
    AddStatusCommand(device, selected);
    AddClockCommand(device, selected);
    AddDeviceDownloadCommand(device, selected);
}

} // namespace klt::cli
