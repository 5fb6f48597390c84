#include "app/ConfigurationPaths.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

#include "core/FileHistory.h"

namespace klt {
namespace {

// An environment variable; empty ones count as unset.
std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

std::string HomeDir() {
    std::string home = Environment("HOME");
    if (home.empty()) {
        if (const passwd* entry = ::getpwuid(::getuid()); entry != nullptr && entry->pw_dir != nullptr) {
            home = entry->pw_dir;
        }
    }
    return home.empty() ? "/" : home;
}

} // namespace

std::string ConfigurationFilePath() {
    if (std::string path = Environment("KLT_CONFIG"); !path.empty()) {
        return FullPath(path);
    }
    std::string configHome = Environment("XDG_CONFIG_HOME");
    if (configHome.empty() || configHome.front() != '/') {
        configHome = HomeDir() + "/.config";
    }
    return FullPath(configHome + "/klt/KLTWIN.CFG");
}

std::string DefaultDatabaseDir() {
    if (std::string dir = Environment("KLT_DATABASE"); !dir.empty()) {
        return FullPath(dir);
    }
    return FullPath(HomeDir() + "/Documents/KLT/_DATA.KLT");
}

} // namespace klt
