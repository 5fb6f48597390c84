#include <algorithm>
#include <cstdio>

#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/Json.h"
#include "cli/TextTable.h"
#include "device/transport/ComPorts.h"

namespace klt::cli {

namespace {

int RunDevicePorts(bool asJson) {
    TVeltrakComPortList list;
    list.Enumerate();
    if (asJson) {
        TJsonWriter json;
        json.BeginObject().Key("ports").BeginArray();
        for (const TVeltrakComPort& port : list.Ports()) {
            json.BeginObject()
                .Field("name", port.Name)
                .Field("path", port.Path)
                .Field("number", port.PortNumber)
                .EndObject();
        }
        json.EndArray().EndObject();
        std::printf("%s\n", json.Text().c_str());
        return 0;
    }
    size_t nameWidth = 4, pathWidth = 4;
    for (const TVeltrakComPort& port : list.Ports()) {
        nameWidth = std::max(nameWidth, port.Name.size());
        pathWidth = std::max(pathWidth, port.Path.size());
    }
    TTextTable table({{"Name", nameWidth + 2, false}, {"Path", pathWidth + 2, false}, {"Number", 6, true}});
    for (const TVeltrakComPort& port : list.Ports()) {
        table.AddRow({port.Name, port.Path, std::to_string(port.PortNumber)});
    }
    std::fputs(table.Text().c_str(), stdout);
    return 0;
}

} // namespace

void AddDevicePortsCommand(CLI::App& device, TCommandRun& selected) {
    auto json = std::make_shared<bool>(false);
    CLI::App& ports = *device.add_subcommand("ports", "serial ports for head units, \"None\" last");
    ports.add_flag("--json", *json, "one JSON object {ports}");
    RunWhenSelected(ports, selected, [json] { return RunDevicePorts(*json); });
}

} // namespace klt::cli
