#include <gtest/gtest.h>

#include <mutex>

#include "device/genv/VeltrakV.h"
#include "tests/device/FakeLine.h"
#include "tests/device/PtyHeadUnit.h"
#include "tests/device/ScriptedHeadUnits.h"

namespace klt {
namespace {

using test::TPtyHeadUnit;

template <class Unit> TPtyHeadUnit::TResponder Guarded(Unit& unit, std::mutex& mutex) {
    return [&unit, &mutex](uint8_t byte, const TLineSettings& settings, std::deque<uint8_t>& out) {
        std::lock_guard lock(mutex);
        unit(byte, settings, out);
    };
}

TVeltrakComPort PortAt(const std::string& path) {
    TVeltrakComPort port;
    port.Name = port.Path = path;
    return port;
}

TEST(PtyProtocol, RegisterHeadUnitIsIdentifiedAndRead) {
    std::mutex mutex;
    test::TRegisterHeadUnit unit;
    unit.registers[3] = {0, 0, 0, 0x08, 0x2F};
    TPtyHeadUnit pty(Guarded(unit, mutex));
    ASSERT_FALSE(pty.Path().empty());
    test::TSlowClock clock;
    TVeltrakOld veltrak(std::make_unique<test::TSlowTimeoutsLine>(), &clock);
    veltrak.SetPort(PortAt(pty.Path()));
    veltrak.SetSearchAllPorts(false);
    veltrak.ReadStatus();
    std::lock_guard lock(mutex);
    EXPECT_EQ(veltrak.RegisterVersion(), 240);
    EXPECT_EQ(veltrak.Status().Radumfang, 0x082F);
    EXPECT_EQ(veltrak.PortText(), "None"); // no COM number: messages name it "None"
}

TEST(PtyProtocol, GenerationVHeadUnitIsFoundAndAnswers) {
    std::mutex mutex;
    test::THeadUnitV unit;
    unit.replies['M'] = {0x24, 0x12, 0x26, 0x23, 0x59, 0x58};
    unit.replies['G'] = {0x08, 0x2F};
    TPtyHeadUnit pty(Guarded(unit, mutex));
    ASSERT_FALSE(pty.Path().empty());
    test::TSlowClock clock;
    TVeltrakV veltrak(std::make_unique<test::TSlowTimeoutsLine>(), &clock);
    veltrak.SetPort(PortAt(pty.Path()));
    veltrak.SetSearchAllPorts(false);
    veltrak.FindHeadUnitV();
    veltrak.ReadClock();
    ASSERT_TRUE(veltrak.SendTelegramV('G', {0xFF, 0xFF}, 2));
    EXPECT_EQ(veltrak.Status().SWVersion(), 0x430A);
    EXPECT_EQ(veltrak.Status().ClockTime, (23 * 3600 + 59 * 60 + 58) * 100);
    EXPECT_EQ(veltrak.Reply(), (std::vector<uint8_t>{0x08, 0x2F}));
}

TEST(ProtocolLine, TheLinePausesPassOnTheProtocolClock) {
    auto owned =
        std::make_unique<test::TFakeLine>([](uint8_t, const TLineSettings&, std::deque<uint8_t>&) {});
    test::TFakeLine& line = *owned;
    line.breakWorks = false;
    test::TFakeClock clock;
    TProtocolLine protocolLine(std::move(owned), clock);
    protocolLine.OpenPort({"Com1", "/dev/fake", 1});
    const uint32_t before = clock.now;
    protocolLine.ResetLine();
    EXPECT_EQ(clock.now - before, 100u);
    const std::vector<uint8_t> bytes{1, 2, 3};
    EXPECT_EQ(protocolLine.WriteBytes(bytes), 3u);
    EXPECT_EQ(clock.now - before, 130u);
}

} // namespace
} // namespace klt
