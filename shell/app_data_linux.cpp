#include "shell/app_data.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

#include "shell/text_convert.h"

namespace {

std::wstring HomeFolder() {
    if (const char* home = std::getenv("HOME"); home != nullptr && *home == '/') return Utf8ToWide(home);
    const passwd* entry = getpwuid(getuid());
    if (entry != nullptr && entry->pw_dir != nullptr && *entry->pw_dir == '/') return Utf8ToWide(entry->pw_dir);
    return {};
}

}  // namespace

std::wstring CommonAppDataFolder() {
    // A relative XDG_DATA_HOME is invalid and ignored, as the XDG rules say.
    if (const char* data = std::getenv("XDG_DATA_HOME"); data != nullptr && *data == '/') {
        return Utf8ToWide(data);
    }
    const std::wstring home = HomeFolder();
    return home.empty() ? std::wstring{} : home + L"/.local/share";
}
