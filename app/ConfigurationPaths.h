#pragma once
// Where the configuration file and the training database are, unless the user says otherwise.
#include <string>

namespace klt {

// $KLT_CONFIG, else $XDG_CONFIG_HOME/klt/KLTWIN.CFG, with ~/.config standing in for an unset or
// relative $XDG_CONFIG_HOME.
std::string ConfigurationFilePath();

// $KLT_DATABASE, else ~/Documents/KLT/_DATA.KLT.
std::string DefaultDatabaseDir();

} // namespace klt
