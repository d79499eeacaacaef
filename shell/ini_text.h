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

// How a settings file's bytes hold its text: UTF-8 (with or without a
// byte-order mark), or UTF-16LE after the mark FF FE, which Notepad saves as
// "Unicode" and the Windows profile functions read and write.
enum class IniFileEncoding { Utf8, Utf16Le };

struct IniFileText {
    std::string text;  // UTF-8, what CIniText reads
    IniFileEncoding encoding = IniFileEncoding::Utf8;
};

// The text of a settings file; nothing for bytes that are no text in either
// form (a zero byte, malformed UTF-8; UTF-16LE of odd length, with a zero
// unit or an unpaired surrogate), which are not to be read or rewritten.
std::optional<IniFileText> DecodeIniFile(std::string_view bytes);
// Why DecodeIniFile refused, for messages.
inline constexpr char kIniNotTextReason[] = "neither UTF-8 nor UTF-16LE text";
// The bytes that hold `text` (UTF-8) in `encoding`; UTF-16LE starts with its
// mark.
std::string EncodeIniFile(std::string_view text, IniFileEncoding encoding);
