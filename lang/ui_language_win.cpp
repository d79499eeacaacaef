#include <windows.h>

#include "lang/ui_language.h"

uint16_t UserDefaultUiLanguage() { return GetUserDefaultUILanguage(); }
