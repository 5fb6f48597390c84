#include <algorithm>
#include <cstdio>

#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/JsonOutput.h"
#include "cli/TextTable.h"
#include "device/transport/ComPorts.h"

namespace klt::cli {

namespace {

int RunDevicePorts(bool asJson) {
    TVeltrakComPortList list;
    list.Enumerate();
    if (asJson) {
        TJson ports = TJson::array();
        for (const TVeltrakComPort& port : list.Ports()) {
            ports.push_back({{"name", port.Name}, {"path", port.Path}, {"number", port.PortNumber}});
        }
        PrintJson({{"ports", ports}});
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
