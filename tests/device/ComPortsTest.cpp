#include <gtest/gtest.h>

#include "device/VeltrakErrors.h"
#include "device/transport/ComPorts.h"
#include "tests/device/FakeSysfs.h"

namespace klt {
namespace {

std::vector<std::string> Names(const TVeltrakComPortList& list) {
    std::vector<std::string> names;
    for (const TVeltrakComPort& port : list.Ports()) {
        names.push_back(port.Name);
    }
    return names;
}

TEST(ComPorts, MachineWithoutSerialPortsListsOnlyNone) {
    test::TFakeSysfs sysfs;
    sysfs.AddVirtual("tty0");
    sysfs.AddOnBoard("ttyS3", "0"); // reserved slot, no UART
    TVeltrakComPortList list;
    list.Enumerate(sysfs.Root());
    ASSERT_EQ(list.Count(), 1u);
    EXPECT_EQ(list.Port(0).Name, "None");
    EXPECT_EQ(list.Port(0).Path, "");
    EXPECT_EQ(list.Port(0).PortNumber, 0);

    list.Enumerate(sysfs.Root() + "/missing");
    EXPECT_EQ(Names(list), std::vector<std::string>{"None"});
}

TEST(ComPorts, DownloadCableIsNamedByItsUsbIdWhateverItCallsItself) {
    test::TFakeSysfs sysfs;
    sysfs.AddUsb("ttyUSB1", "067b", "2303", "USB-Serial Controller", "pl2303", "Prolific Technology Inc.");
    TVeltrakComPortList list;
    list.Enumerate(sysfs.Root());
    ASSERT_EQ(list.Count(), 2u);
    EXPECT_EQ(list.Port(0).Name, "KLT Downloadcable USB");
    EXPECT_EQ(list.Port(0).Path, "/dev/ttyUSB1");
    EXPECT_EQ(list.Port(0).PortNumber, 102);
    EXPECT_EQ(PortText(list.Port(0)), "Com102");
}

TEST(ComPorts, OrderIsProlificThenOnBoardByNumberThenTheRestWithNoneLast) {
    test::TFakeSysfs sysfs;
    sysfs.AddUsb("ttyACM0", "2341", "0043", "Arduino Uno", "cdc_acm");
    sysfs.AddOnBoard("ttyS1");
    sysfs.AddUsb("ttyUSB0", "0403", "6001", "", "ftdi_sio", "FTDI");
    sysfs.AddOnBoard("ttyS0");
    sysfs.AddUsb("ttyUSB1", "067b", "23a3", "USB-Serial Controller", "pl2303");
    sysfs.AddVirtual("ttyS12"); // no device: not a port
    TVeltrakComPortList list;
    list.Enumerate(sysfs.Root());
    EXPECT_EQ(Names(list),
              (std::vector<std::string>{"Prolific USB-to-Serial Comm Port (ttyUSB1)",
                                        "Communications Port (ttyS0)", "Communications Port (ttyS1)",
                                        "Arduino Uno (ttyACM0)", "FTDI USB Serial Port (ttyUSB0)", "None"}));
    EXPECT_EQ(list.Port(1).PortNumber, 1);
    EXPECT_EQ(list.Port(2).PortNumber, 2);
    EXPECT_EQ(list.Port(3).PortNumber, 201);
}

TEST(ComPorts, DeviceNumbersFollowTheComNumbering) {
    EXPECT_EQ(PortNumberOfDevice("ttyS0"), 1);
    EXPECT_EQ(PortNumberOfDevice("ttyS31"), 32);
    EXPECT_EQ(PortNumberOfDevice("ttyUSB0"), 101);
    EXPECT_EQ(PortNumberOfDevice("ttyACM2"), 203);
    for (const char* unnumbered : {"ttyAMA0", "ttyS", "ttyUSBx", "ttyS1a", "ttyUSB100", "ttyS-1"}) {
        EXPECT_EQ(PortNumberOfDevice(unnumbered), 0) << unnumbered;
    }
}

TEST(ComPorts, PortWithoutNumberIsShownAsNone) {
    test::TFakeSysfs sysfs;
    sysfs.AddUsb("ttyXRUSB0", "04e2", "1410", "XR21V1410");
    TVeltrakComPortList list;
    list.Enumerate(sysfs.Root());
    ASSERT_EQ(list.Count(), 2u);
    EXPECT_EQ(list.Port(0).PortNumber, 0);
    EXPECT_EQ(PortText(list.Port(0)), "None");
    try {
        list.Resolve(TVeltrakComPort("Gone", "/dev/ttyS9", 0), false);
        FAIL() << "resolved a port that is not listed";
    } catch (const EVeltrakComError& e) {
        EXPECT_STREQ(e.what(), "Port None does not exist");
    }
}

TEST(ComPorts, ResolvingFallsBackToTheCableAndRefusesUnknownPorts) {
    test::TFakeSysfs sysfs;
    sysfs.AddOnBoard("ttyS0");
    TVeltrakComPortList list;
    list.Enumerate(sysfs.Root());
    const TVeltrakComPort missing("Communications Port (ttyS4)", sysfs.Root() + "/dev/ttyS4", 5);
    try {
        list.Resolve(missing, false);
        FAIL() << "resolved a port that is not listed";
    } catch (const EVeltrakComError& e) {
        EXPECT_STREQ(e.what(), "Port Com5 does not exist");
    }
    EXPECT_EQ(list.Resolve(missing, true).Path, missing.Path); // searching all ports takes it as asked
    // A device no listing shows, say a pseudo-terminal, is opened as it was asked for.
    const TVeltrakComPort unlisted("Simulator", "/dev/null", 0);
    EXPECT_EQ(list.Resolve(unlisted, false).Path, "/dev/null");
    EXPECT_EQ(list.Resolve(TVeltrakComPort("None", "", 0), false).Path, ""); // nothing to open
    EXPECT_EQ(list.Resolve(TVeltrakComPort("Communications Port (ttyS0)", "stale", 7), false).Path,
              "/dev/ttyS0");

    sysfs.AddUsb("ttyUSB0", "067B", "2303", "anything", "pl2303");
    list.Enumerate(sysfs.Root());
    for (const TVeltrakComPort& request : {missing, TVeltrakComPort("None", "", 0), TVeltrakComPort()}) {
        EXPECT_EQ(list.Resolve(request, false).Name, "KLT Downloadcable USB") << request.Name;
    }
    EXPECT_EQ(list.Resolve(TVeltrakComPort("Communications Port (ttyS0)", "", 1), false).Path, "/dev/ttyS0");
}

TEST(ComPorts, PortIsPersistentWithItsThreeProperties) {
    TVeltrakComPort port("KLT Downloadcable USB", "/dev/ttyUSB0", 101), copy;
    copy.Assign(port);
    EXPECT_TRUE(copy.Equals(port));
    EXPECT_EQ(copy.Path, "/dev/ttyUSB0");
    EXPECT_EQ(copy.PortNumber, 101);
}

} // namespace
} // namespace klt
