#include <algorithm>
#include <cstdio>

#include "cli/Commands.h"
#include "cli/Json.h"
#include "cli/TextTable.h"
#include "device/transport/ComPorts.h"

namespace klt::cli {

int RunDevicePorts(const std::vector<std::string>& args) {
    const TArguments parsed = TArguments::Parse(args, {"--json"}, {});
    if (!parsed.positional.empty()) {
        throw EUsage("device ports takes no arguments");
    }
    TVeltrakComPortList list;
    list.Enumerate();
    if (parsed.flags.count("--json") != 0) {
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

} // namespace klt::cli
