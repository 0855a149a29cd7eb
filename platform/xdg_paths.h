// The per-user folders of the freedesktop base-directory rules, where the setup tools put the game,
// its install record and its menu entries.
#pragma once

#include <string>

// $HOME, or the password database's home folder; empty when neither is known.
std::string HomeFolder();
// $XDG_DATA_HOME when it is absolute, else ~/.local/share; empty without a home folder.
std::string DataHome();
// $XDG_CONFIG_HOME when it is absolute, else ~/.config; empty without a home folder.
std::string ConfigHome();
