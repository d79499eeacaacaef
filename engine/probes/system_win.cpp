// The operating system's caption ("Microsoft Windows 10 Pro").

#include "engine/probes/facts_win.h"

namespace probes_win {

std::wstring OsCaption(const CWmiConnection& wmi) {
    return wmi.FirstObjectText(L"Win32_OperatingSystem", L"Caption").value_or(std::wstring{});
}

}  // namespace probes_win
