#pragma once
// Command-line options of the terminal front end.

#include <optional>
#include <string>
#include <vector>

struct CliOptions {
    bool json = false;
    bool noDownload = false;
    bool help = false;
    bool version = false;
    std::optional<std::wstring> language;      // --lang CODE
    std::optional<std::wstring> settingsFile;  // --settings FILE
};

struct CliParseResult {
    std::optional<CliOptions> options;  // nothing when the arguments are bad
    std::string error;                  // what was wrong, for the usage message
};

CliParseResult ParseCliOptions(const std::vector<std::string>& arguments);

extern const char kCliUsage[];

// Exit code for bad options (the BSD "usage" code).
inline constexpr int kExitUsage = 64;
