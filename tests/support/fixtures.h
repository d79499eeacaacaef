#pragma once
// The fixture trees under tests/fixtures: procfs/sysfs trees of real kinds of
// machine, and Steam files.

#include <string>

#include "shell/text_convert.h"

// tests/fixtures/machines/<name>, the root folder a Linux probe reads below.
inline std::wstring MachineRoot(const char* name) {
    return Utf8ToWide(std::string(KALO_FIXTURE_DIR) + "/machines/" + name);
}
