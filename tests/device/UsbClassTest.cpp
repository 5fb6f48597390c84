#include <gtest/gtest.h>

#include <string>

#include "device/transport/UsbClass.h"

namespace klt {
namespace {

TEST(UsbClass, ArrivalAndRemovalFireTheirEventAndEveryChangeTheChangeEvent) {
    TUsbClass watcher;
    std::string fired;
    watcher.OnUsbArrival = [&](TUsbClass& sender) { fired += &sender == &watcher ? "A" : "?"; };
    watcher.OnUsbRemoval = [&](TUsbClass&) { fired += "R"; };
    watcher.OnDeviceChange = [&](TUsbClass&) { fired += "C"; };
    watcher.HandleAction("add");
    watcher.HandleAction("remove");
    watcher.HandleAction("bind");
    EXPECT_EQ(fired, "ACRCC");
    watcher.Dispatch(); // nothing waiting: returns at once
}

} // namespace
} // namespace klt
