#pragma once
// Whether the Qt platform the host would pick can reach its display server.
// Qt ends the process when it cannot connect; asking first lets the program
// say what to do instead.

#include <string>

namespace ui::qt {

// True when it can; otherwise false with the reason in words.
bool DisplayReachable(std::string& reason);

}  // namespace ui::qt
