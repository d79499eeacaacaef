// Feeds arbitrary bytes to the settings-file editor. The first line names
// what to write, "section|key|value"; the rest is the file's text. Names and
// value are first made ones a settings file can hold (names trimmed, not
// empty, without brackets, equals signs or line breaks, a key not starting a
// comment; a value without line breaks that reads back as written). It traps
// when writing the key and reading it back, in the same text or after the
// text went through a file, does not give the value, or when any other key
// reads differently after the write or after a round trip through a file,
// and when a file's bytes taken as text (UTF-8 or UTF-16LE) do not encode
// back to the same bytes.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "shell/ini_text.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

std::string SaneName(std::string_view raw, bool isKey, const char* fallback) {
    std::string name;
    for (const char c : raw) {
        if (c != '[' && c != ']' && c != '=' && c != '\n' && c != '\r') name.push_back(c);
    }
    std::string_view view = Trimmed(name);
    while (isKey && !view.empty() && view.front() == ';') view = Trimmed(view.substr(1));
    return view.empty() ? std::string(fallback) : std::string(view);
}

// A value the reader gives back unchanged: no surrounding blanks, no
// surrounding pair of quotes.
std::string SaneValue(std::string_view raw) {
    std::string value;
    for (const char c : raw) {
        if (c != '\n' && c != '\r') value.push_back(c);
    }
    for (;;) {
        value = std::string(Trimmed(value));
        const bool quoted = value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                            value.back() == value.front();
        if (!quoted) return value;
        value.pop_back();
    }
}

// Sections and keys the text mentions, a few of each.
std::vector<std::pair<std::string, std::string>> MentionedNames(std::string_view text) {
    std::vector<std::string> sections{""};
    std::vector<std::string> keys;
    size_t start = 0;
    while (start < text.size() && (sections.size() < 8 || keys.size() < 8)) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = Trimmed(text.substr(start, end - start));
        start = end + 1;
        const size_t open = line.find('[');
        const size_t close = line.find(']');
        if (open != std::string_view::npos && close != std::string_view::npos && open < close &&
            sections.size() < 8) {
            sections.emplace_back(Trimmed(line.substr(open + 1, close - open - 1)));
        }
        const size_t equals = line.find('=');
        if (equals != std::string_view::npos && keys.size() < 8) keys.emplace_back(Trimmed(line.substr(0, equals)));
    }
    std::vector<std::pair<std::string, std::string>> names;
    for (const std::string& section : sections) {
        for (const std::string& key : keys) names.emplace_back(section, key);
    }
    return names;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const size_t lineEnd = input.find('\n');
    const std::string_view command = input.substr(0, lineEnd);
    const std::string_view text = lineEnd == std::string_view::npos ? std::string_view{} : input.substr(lineEnd + 1);

    const size_t bar1 = command.find('|');
    const size_t bar2 = bar1 == std::string_view::npos ? bar1 : command.find('|', bar1 + 1);
    const std::string section = SaneName(command.substr(0, bar1), false, "s");
    const std::string key =
        SaneName(bar1 == std::string_view::npos ? "" : command.substr(bar1 + 1, bar2 - bar1 - 1), true, "k");
    const std::string value = SaneValue(bar2 == std::string_view::npos ? "" : command.substr(bar2 + 1));

    // Bytes taken as a settings file's text are written back as they were.
    if (const std::optional<IniFileText> decoded = DecodeIniFile(text)) {
        if (EncodeIniFile(decoded->text, decoded->encoding) != text) __builtin_trap();
    }

    CIniText ini(text);
    const auto others = MentionedNames(text);
    std::vector<std::optional<std::string>> before;
    for (const auto& [s, k] : others) before.push_back(ini.Get(s, k));

    // A file written without a change reads as the text did.
    const CIniText unchanged(ini.Text());
    for (size_t i = 0; i < others.size(); ++i) {
        if (unchanged.Get(others[i].first, others[i].second) != before[i]) __builtin_trap();
    }

    ini.Set(section, key, value);
    const CIniText reread(ini.Text());
    const CIniText* const edits[] = {&ini, &reread};
    for (const CIniText* edited : edits) {
        if (edited->Get(section, key) != value) __builtin_trap();
        for (size_t i = 0; i < others.size(); ++i) {
            const auto& [s, k] = others[i];
            if (SameName(Trimmed(s), section) && SameName(Trimmed(k), key)) continue;
            if (edited->Get(s, k) != before[i]) __builtin_trap();
        }
    }
    return 0;
}
