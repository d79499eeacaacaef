#pragma once
// The text of one INI file, read and edited the way the Windows
// private-profile functions treat it: "[section]" headers and "key=value"
// lines, names compared without regard to ASCII case and trimmed of blanks,
// ";" comments and every other line kept untouched when a value is written.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

class CIniText {
public:
    explicit CIniText(std::string_view text = {});

    // The value, trimmed and without surrounding quotes; nothing when the
    // section or key is absent.
    std::optional<std::string> Get(std::string_view section, std::string_view key) const;
    // Replaces the first occurrence of the key in the section, or adds it at
    // the end of the section, or adds the section at the end of the text.
    void Set(std::string_view section, std::string_view key, std::string_view value);
    // The lines, each ending with "\n", after one byte-order mark when the
    // text began with any.
    std::string Text() const;

private:
    struct Location {
        std::optional<size_t> sectionLine;  // header line of the section
        size_t sectionEnd = 0;              // one past its last non-blank line
        std::optional<size_t> keyLine;
    };
    Location Find(std::string_view section, std::string_view key) const;

    std::vector<std::string> lines_;
    bool hasByteOrderMark_ = false;  // written back once by Text()
};
