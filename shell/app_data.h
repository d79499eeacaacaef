#pragma once
// The folder under which the program keeps its data for the machine: on
// Windows the common (all users) application-data folder. Linux has no such
// folder an ordinary user may write, so there it is the user's data folder,
// $XDG_DATA_HOME or ~/.local/share. Empty when none can be found.

#include <string>

std::wstring CommonAppDataFolder();
