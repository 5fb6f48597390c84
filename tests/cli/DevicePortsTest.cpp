#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>

#include "tests/cli/KltRun.h"
#include "tests/device/FakeSysfs.h"
#include "tests/support/RawTraining.h"

namespace klt {
namespace {

using TRun = test::TKltRun;

// `klt device ...` on a machine whose serial ports are those of a fake sysfs tree.
class KltDevicePorts : public ::testing::Test {
protected:
    TRun Klt(const std::string& args) { return test::RunKlt(dir_, "KLT_SYSFS_ROOT=" + sysfs_.Root(), args); }

    test::TTempDir dir_;
    test::TFakeSysfs sysfs_;
};

TEST_F(KltDevicePorts, ListsPortsInTheProgramsOrderWithNoneLast) {
    sysfs_.AddOnBoard("ttyS0");
    sysfs_.AddUsb("ttyUSB0", "067b", "2303", "USB-Serial Controller", "pl2303");
    const TRun text = Klt("device ports");
    ASSERT_EQ(text.status, 0) << text.err;
    const size_t cable = text.out.find("KLT Downloadcable USB");
    const size_t onBoard = text.out.find("Communications Port (ttyS0)");
    const size_t none = text.out.find("\nNone");
    ASSERT_NE(onBoard, std::string::npos) << text.out;
    EXPECT_LT(onBoard, cable); // on-board ports come before other adapters
    EXPECT_LT(cable, none);
    EXPECT_NE(text.out.find("/dev/ttyUSB0"), std::string::npos);

    const TRun json = Klt("device ports --json");
    ASSERT_EQ(json.status, 0) << json.err;
    const std::string expected =
        R"j({"ports":[{"name":"Communications Port (ttyS0)","path":"/dev/ttyS0","number":1},)j"
        R"j({"name":"KLT Downloadcable USB","path":"/dev/ttyUSB0","number":101},)j"
        R"j({"name":"None","path":"","number":0}]})j";
    EXPECT_EQ(json.out, expected + "\n");
}

TEST_F(KltDevicePorts, MachineWithoutPortsListsNone) {
    const TRun json = Klt("device ports --json");
    ASSERT_EQ(json.status, 0) << json.err;
    EXPECT_EQ(json.out, "{\"ports\":[{\"name\":\"None\",\"path\":\"\",\"number\":0}]}\n");
}

TEST_F(KltDevicePorts, WrongUseIsAUsageError) {
    EXPECT_EQ(Klt("device").status, 2);
    EXPECT_EQ(Klt("device plug").status, 2);
    EXPECT_EQ(Klt("device ports extra").status, 2);
    EXPECT_EQ(Klt("device ports --yaml").status, 2);
}

} // namespace
} // namespace klt
