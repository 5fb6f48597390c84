// klt device status | clock: a head unit identified and read; generations IV and V on a serial
// port, VI and 7 on the program's USB link (the simulator's when KLT_USB_SIM names its socket).
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>

#include "cli/Commands.h"
#include "cli/DatabaseText.h"
#include "cli/DevicePrompt.h"
#include "cli/Json.h"
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
    explicit TStatusPrinter(TJsonWriter* json) : json_(json) {}
    std::string text;

    void Boolean(std::string_view name, bool value, const TSetter<bool>&) override {
        Put(name, value ? "true" : "false", [&] { json_->Value(value); });
    }
    void Integer(std::string_view name, int64_t value, int64_t, int64_t, const TSetter<int64_t>&) override {
        Put(name, std::to_string(value), [&] { json_->Value(value); });
    }
    void Number(std::string_view name, double value, const TSetter<double>&) override {
        char digits[32];
        std::snprintf(digits, sizeof digits, "%.17g", value);
        Put(name, digits, [&] { json_->Value(value); });
    }
    void Enumeration(std::string_view name, int value, TValueNames names, const TSetter<int>&) override {
        const std::string shown = value >= 0 && static_cast<size_t>(value) < names.size()
                                      ? std::string(names[static_cast<size_t>(value)])
                                      : std::to_string(value);
        Put(name, shown, [&] { json_->Value(shown); });
    }
    void Flags(std::string_view name, uint32_t value, TValueNames, const TSetter<uint32_t>&) override {
        Put(name, std::to_string(value), [&] { json_->Value(value); });
    }
    void Text(std::string_view name, const std::string& value, const TSetter<std::string>&) override {
        Put(name, value, [&] { json_->Value(value); });
    }
    void TextList(std::string_view name, const std::vector<std::string>& value,
                  const TSetter<std::vector<std::string>>&) override {
        std::string joined;
        for (const std::string& item : value) {
            joined += (joined.empty() ? "" : ", ") + item;
        }
        Put(name, joined, [&] {
            json_->BeginArray();
            for (const std::string& item : value) {
                json_->Value(item);
            }
            json_->EndArray();
        });
    }
    void Object(std::string_view name, const TNestedProperties& visitNested) override {
        if (json_ != nullptr) {
            json_->Key(name).BeginObject();
        }
        visitNested(*this);
        if (json_ != nullptr) {
            json_->EndObject();
        }
    }

private:
    template <class WriteJson>
    void Put(std::string_view name, const std::string& shown, WriteJson writeJson) {
        if (json_ != nullptr) {
            json_->Key(name);
            writeJson();
        } else {
            text += std::string(name) + " = " + shown + "\n";
        }
    }

    TJsonWriter* json_;
};

} // namespace

TVeltrakComPort SerialPortOption(const TArguments& parsed) {
    TVeltrakComPort port;
    if (const auto option = parsed.options.find("--port"); option != parsed.options.end()) {
        port.Name = port.Path = option->second;
    } else {
        port = ConfiguredSystemData().VeltrakComPort();
        if (port.Path.empty()) {
            throw Exception("No head-unit port is configured; name one with --port PATH");
        }
    }
    return port;
}

namespace {

struct TDeviceOptions {
    int type = 0;
    TVeltrakComPort port;
    uint32_t password = 0;
};

} // namespace

uint32_t ParsePassword(const std::string& text) {
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const char* digits = text.c_str() + (hex ? 2 : 0);
    char* end = nullptr;
    errno = 0;
    const unsigned long long value = std::strtoull(digits, &end, hex ? 16 : 10);
    if (*digits == '\0' || *digits == '-' || *digits == '+' || *end != '\0' || errno != 0 ||
        value > 0xFFFFFFFFull) {
        throw EUsage("--password needs a 32-bit number, decimal or 0x-hexadecimal: " + text);
    }
    return static_cast<uint32_t>(value);
}

namespace {

bool IsUsbType(int type) {
    return type >= 6;
}

TDeviceOptions ParseDeviceOptions(const TArguments& parsed) {
    TDeviceOptions options;
    const auto type = parsed.options.find("--type");
    if (type == parsed.options.end() || type->second.size() != 1 || type->second[0] < '4' ||
        type->second[0] > '7') {
        throw EUsage("--type 4, 5, 6 or 7 is needed: the generation of the head unit");
    }
    options.type = type->second[0] - '0';
    if (IsUsbType(options.type)) {
        if (parsed.options.count("--port") != 0 || parsed.options.count("--password") != 0) {
            throw EUsage("--port and --password are for serial head units (--type 4 or 5)");
        }
        options.port.Name = options.port.Path = "USB";
        return options;
    }
    options.port = SerialPortOption(parsed);
    if (const auto password = parsed.options.find("--password"); password != parsed.options.end()) {
        options.password = ParsePassword(password->second);
    }
    return options;
}

// A USB head unit of generation VI or 7, connected.
std::unique_ptr<TVeltrakV> ConnectUsb(int type, IPrompt& prompt) {
    auto veltrak = std::make_unique<TVeltrak>();
    veltrak->SetPrompt(prompt);
    TDownloadConfiguration configuration;
    configuration.headUnitType = type;
    ConnectHeadUnit(*veltrak, configuration);
    return veltrak;
}

// A protocol object for the chosen generation on exactly the chosen port.
std::unique_ptr<TVeltrakV> Connect(const TDeviceOptions& options, IPrompt& prompt) {
    if (IsUsbType(options.type)) {
        return ConnectUsb(options.type, prompt);
    }
    auto veltrak = std::make_unique<TVeltrakV>();
    veltrak->SetPrompt(prompt);
    const TVeltrakHWVersion hardware = HWVersionOfType(options.type);
    veltrak->SetConfiguredHWVersion(hardware);
    veltrak->Status().SetHWVersion(hardware);
    veltrak->SetPort(options.port);
    veltrak->SetSearchAllPorts(false);
    veltrak->SetPassword(options.password);
    if (options.type == 5) {
        veltrak->FindHeadUnitV();
    } else {
        veltrak->Identify();
    }
    return veltrak;
}

std::string ClockText(const TVeltrakStatus& status) {
    if (status.ClockDay == kNoDate) {
        return "";
    }
    return FormatIsoDate(status.ClockDay) + " " + FormatTimeOfDay(status.ClockTime, true);
}

int RunStatus(const std::vector<std::string>& args) {
    const TArguments parsed = TArguments::Parse(args, {"--json"}, {"--type", "--port", "--password"});
    const TDeviceOptions options = ParseDeviceOptions(parsed);
    TDevicePrompt prompt;
    auto veltrak = Connect(options, prompt);
    veltrak->ReadStatus();
    TVeltrakStatus& status = veltrak->Status();
    const std::string unread = SettingGroupNames(veltrak->FailedSettings());
    const std::string generation = HWVersionName(HWVersionOfType(options.type));
    if (parsed.flags.count("--json") != 0) {
        TJsonWriter json;
        json.BeginObject().Field("port", options.port.Path).Field("generation", generation);
        json.Field("firmware", status.SWVersionText()).Field("hardware", status.HWVersionText());
        json.Field("clock", ClockText(status)).Key("properties").BeginObject();
        TStatusPrinter printer(&json);
        status.VisitProperties(printer);
        json.EndObject().Key("unread_settings").BeginArray();
        for (int i = 0; i <= static_cast<int>(TSettingGroup::Telemetry); ++i) {
            if ((veltrak->FailedSettings() & (1u << i)) != 0) {
                json.Value(SettingGroupName(static_cast<TSettingGroup>(i)));
            }
        }
        json.EndArray().EndObject();
        std::printf("%s\n", json.Text().c_str());
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

int RunClock(const std::vector<std::string>& args) {
    const TArguments parsed = TArguments::Parse(args, {"--json"}, {"--type", "--port", "--password", "--set"});
    const TDeviceOptions options = ParseDeviceOptions(parsed);
    const auto set = parsed.options.find("--set");
    if (set != parsed.options.end() && set->second != "now") {
        throw EUsage("--set takes \"now\"");
    }
    TDevicePrompt prompt;
    auto veltrak = Connect(options, prompt);
    TVeltrakStatus& status = veltrak->Status();
    if (set != parsed.options.end()) {
        const TDateTimeMark now = TDateTimeMark::Now();
        status.ClockDay = static_cast<uint16_t>(now.days);
        status.ClockTime = now.time;
        veltrak->WriteClock();
    }
    veltrak->ReadClock();
    if (parsed.flags.count("--json") != 0) {
        TJsonWriter json;
        json.BeginObject().Field("clock", ClockText(status)).EndObject();
        std::printf("%s\n", json.Text().c_str());
    } else {
        std::printf("%s\n", ClockText(status).c_str());
    }
    return 0;
}

} // namespace

int RunDevice(const std::vector<std::string>& args) {
    if (args.empty()) {
        throw EUsage("device needs a subcommand");
    }
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    if (args[0] == "ports") {
        return RunDevicePorts(rest);
    }
    if (args[0] == "status") {
        return RunStatus(rest);
    }
    if (args[0] == "clock") {
        return RunClock(rest);
    }
    if (args[0] == "download") {
        return RunDeviceDownload(rest);
    }
    throw EUsage("unknown device subcommand " + args[0]);
}

} // namespace klt::cli
