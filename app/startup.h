#pragma once
// The start-up sequence both programs run, in its fixed order: the base
// environment (data folder, folders, today's log), the settings file, the
// log level, the language archive and a pack (the saved choice, else the
// system's), and the built-in rule set as the last-resort copy. A step that
// fails ends the sequence: the window shows its start-up message, the
// terminal prints the line.

#include <functional>
#include <optional>
#include <string>

#include "app/startup_messages.h"

struct StartupRequest {
    std::wstring settingsFile;             // the settings file to use
    std::optional<std::wstring> language;  // a code of the language list; none: the saved choice, else the system's
    // Runs once the log is open, before the language archive is read: the
    // window registers its fonts there.
    std::function<void()> onLogOpen;
};

struct StartupResult {
    bool ok = false;
    // The message that ends start-up; none when it went on, or for a
    // requested code that is not in the language list.
    std::optional<startup::StartupMessage> message;
    int messageLanguage = 1;   // the texts' language: 0 Chinese, else English (from the saved choice)
    bool badLanguage = false;  // the requested code is not in the language list
    std::string error;         // what failed, in one line with its cause, for the terminal
    std::wstring language;     // the code of the loaded pack
};

StartupResult StartServices(const StartupRequest& request);

// The start-up messages' language for a failure before the sequence runs:
// the saved choice's (0 Chinese, else English), English without the file.
int StartupMessageLanguage(const std::wstring& settingsFile);
