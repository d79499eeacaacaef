#pragma once
// The start-up services a check needs, in the order the windowed program
// brings them up: base environment, settings file, logging, language archive
// and pack, and the built-in rule set as the last-resort copy.

#include <optional>
#include <string>

struct StartupRequest {
    std::wstring settingsFile;            // the settings file to use
    std::optional<std::wstring> language; // a code of the language list, or the saved/system choice
};

struct StartupResult {
    bool ok = false;
    bool badLanguage = false;  // the requested code is not in the language list
    std::string error;         // what failed, for the terminal
    std::wstring language;     // the code of the loaded pack
};

StartupResult StartServices(const StartupRequest& request);
