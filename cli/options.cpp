#include "cli/options.h"

#include "shell/text_convert.h"
#include "shell/text_util.h"

const char kCliUsage[] =
    "usage: kalofitprobe-cli [--json] [--lang CODE] [--settings FILE] [--no-download]\n"
    "       kalofitprobe-cli --help | --version\n"
    "\n"
    "Checks whether this PC can drive the KALO Q8 headset and prints the result.\n"
    "\n"
    "  --json           print one JSON object instead of text\n"
    "  --lang CODE      language of the texts: cn en jp ko de es fr it nl pl pt ru\n"
    "  --settings FILE  settings file (default: config/fitprobe.ini beside the program,\n"
    "                   installed: $XDG_CONFIG_HOME/KALOFitProbe/fitprobe.ini)\n"
    "  --no-download    do not ask the configuration service for a newer rule set\n"
    "  --help           show this text\n"
    "  --version        show the program version\n";

CliParseResult ParseCliOptions(const std::vector<std::string>& arguments) {
    CliOptions options;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        // "--name=value" or "--name value"; an option that follows is no
        // value ("--lang --json" lacks its code rather than taking "--json").
        auto value = [&](const char* name) -> std::optional<std::wstring> {
            const std::string prefix = std::string(name) + "=";
            if (argument.rfind(prefix, 0) == 0) return Utf8ToWide(argument.substr(prefix.size()));
            if (argument == name && i + 1 < arguments.size() && arguments[i + 1].rfind("--", 0) != 0) {
                return Utf8ToWide(arguments[++i]);
            }
            return std::nullopt;
        };
        if (argument == "--json") {
            options.json = true;
        } else if (argument == "--no-download") {
            options.noDownload = true;
        } else if (argument == "--help" || argument == "-h") {
            options.help = true;
        } else if (argument == "--version") {
            options.version = true;
        } else if (argument == "--lang" || argument.rfind("--lang=", 0) == 0) {
            options.language = value("--lang");
            if (!options.language || options.language->empty()) return {std::nullopt, "--lang needs a language code"};
            // Language codes are folder names in lower case; "DE" means "de".
            for (wchar_t& c : *options.language) c = LowerAscii(c);
        } else if (argument == "--settings" || argument.rfind("--settings=", 0) == 0) {
            options.settingsFile = value("--settings");
            if (!options.settingsFile || options.settingsFile->empty()) return {std::nullopt, "--settings needs a file"};
        } else {
            return {std::nullopt, "unknown option: " + argument};
        }
    }
    return {options, {}};
}
