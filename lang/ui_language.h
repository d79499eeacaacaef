#pragma once
// The user's interface language as a Windows language id (LANGID, for
// example 0x0804 for Chinese (PRC), 0x0409 for English (United States)): the
// language choice maps that number, whatever the platform reports natively.

#include <cstdint>

uint16_t UserDefaultUiLanguage();
