#pragma once
// A protocol object wired to a scripted head unit on a fake line and a fake clock.
#include <memory>

#include "tests/device/FakeLine.h"
#include "tests/support/ScriptedPrompt.h"

namespace klt::test {

template <class Protocol> struct TProtocolRig {
    template <class HeadUnit> explicit TProtocolRig(HeadUnit& unit) {
        auto owned =
            std::make_unique<TFakeLine>([&unit](uint8_t byte, const TLineSettings& settings,
                                                std::deque<uint8_t>& out) { unit(byte, settings, out); });
        line = owned.get();
        protocol = std::make_unique<Protocol>(std::move(owned), &clock);
        protocol->SetPrompt(InstalledPrompt());
        TVeltrakComPort port;
        port.Name = "Test";
        port.Path = "/dev/ttyTEST0";
        port.PortNumber = 3;
        protocol->SetPort(port);
        protocol->SetPortLister([port] { return std::vector<TVeltrakComPort>{port}; }); // the machine's ports
        protocol->SetSearchAllPorts(false);
        protocol->Line().OpenPort(port); // as the search leaves it; tests that search reopen it
    }

    TFakeClock clock;
    TFakeLine* line = nullptr;
    std::unique_ptr<Protocol> protocol;
};

} // namespace klt::test
