#include "app/SystemData.h"
#include "app/KLTIniData.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace klt {
namespace {

TEST(SystemDataTest, APortWithoutANameIsNotTaken) {
    TSystemData system;
    TVeltrakComPort port;
    port.Name = "Com3";
    port.PortNumber = 3;
    system.SetVeltrakComPort(port);
    TVeltrakComPort nameless;
    nameless.Path = "/dev/ttyS0";
    system.SetVeltrakComPort(nameless);
    EXPECT_EQ(system.VeltrakComPort().Name, "Com3");
    EXPECT_EQ(system.VeltrakComPort().PortNumber, 3);
}

TEST(SystemDataTest, ANewUserNameLoadsThatUsersProfileOnlyWhenItIsAnotherUser) {
    TSystemData system;
    std::vector<std::string> loaded;
    system.SetOnUserNameChange([&loaded](const std::string& name) { loaded.push_back(name); });
    system.SetUserName("Anna");
    system.SetUserName("ANNA"); // the same user
    EXPECT_EQ(system.UserName(), "ANNA");
    system.DataBaseDir.clear();
    system.SetUserName("Bert"); // no database, no profiles
    system.DataBaseDir = "/data";
    system.SetToDefaults(); // keeps the hook
    system.SetUserName(std::string(75, 'z'));
    EXPECT_EQ(loaded, (std::vector<std::string>{"Anna", std::string(70, 'z')}));
}

TEST(SystemDataTest, ReadingAConfigurationDoesNotSwitchTheUser) {
    TKLTIniData ini;
    bool called = false;
    ini.SystemData.SetOnUserNameChange([&called](const std::string&) { called = true; });
    ini.ReadText("object KLTIniFile: TKLTIniFile\n  SystemData.UserName = 'Carla'\nend\n");
    EXPECT_EQ(ini.SystemData.UserName(), "Carla");
    EXPECT_FALSE(called);
}

TEST(SystemDataTest, UserNamesAreCutAtSeventyCharactersNotBytes) {
    TSystemData system;
    std::string name;
    for (int i = 0; i < 71; ++i) {
        name += "\xC3\xB6"; // ö
    }
    system.SetUserName(name);
    EXPECT_EQ(system.UserName(), name.substr(0, 140));
}

} // namespace
} // namespace klt
