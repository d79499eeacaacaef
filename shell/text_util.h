#pragma once
// Small text jobs shared by the readers of settings, system files, rule sets,
// archives and service answers. Only ASCII is treated specially: every other
// byte or character (UTF-8 sequences, code page 936 pairs, wide letters)
// passes through and compares as it is, whatever the process locale.

#include <cstddef>
#include <cstdint>
#include <string_view>

// Sets of blanks, named for what they hold. They are ASCII, so they serve
// narrow and wide text alike.
inline constexpr std::string_view kSpaceTab = " \t";
inline constexpr std::string_view kSpaceTabCr = " \t\r";  // blanks within one line of a CRLF or LF file
inline constexpr std::string_view kSpaceTabCrLf = " \t\r\n";
inline constexpr std::string_view kCSpaces = " \t\n\v\f\r";  // isspace() in the "C" locale

constexpr bool IsBlank(char c, std::string_view blanks) { return blanks.find(c) != std::string_view::npos; }
constexpr bool IsBlank(wchar_t c, std::string_view blanks) {
    return static_cast<uint32_t>(c) < 0x80 && IsBlank(static_cast<char>(c), blanks);
}
constexpr bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }
// Either separator: archive member names and Windows paths take both.
constexpr bool IsSlashOrBackslash(wchar_t c) { return c == L'/' || c == L'\\'; }
constexpr bool IsAsciiDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// The text without the given blanks at either end, or at its end only.
std::string_view TrimBlanks(std::string_view text, std::string_view blanks = kSpaceTabCr);
std::string_view TrimTrailingBlanks(std::string_view text, std::string_view blanks = kSpaceTabCr);
std::wstring_view TrimTrailingBlanks(std::wstring_view text, std::string_view blanks = kSpaceTabCr);

constexpr char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
constexpr wchar_t LowerAscii(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

// Whether `part` occurs in the text as a contiguous run.
constexpr bool Contains(std::string_view text, std::string_view part) { return text.find(part) != text.npos; }
constexpr bool Contains(std::wstring_view text, std::wstring_view part) { return text.find(part) != text.npos; }

// Calls `visit` with each line, without its line break (LF, or CR LF), until
// it returns false. A last line without a break counts; an empty text has
// no lines.
template <typename Visit>
void ForEachLine(std::string_view text, Visit visit) {
    while (!text.empty()) {
        const size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (!visit(line)) return;
        if (end == std::string_view::npos) return;
        text.remove_prefix(end + 1);
    }
}

// Equal but for the case of ASCII letters.
bool EqualsIgnoreAsciiCase(std::string_view a, std::string_view b);
bool EqualsIgnoreAsciiCase(std::wstring_view a, std::wstring_view b);
bool StartsWithIgnoreAsciiCase(std::string_view text, std::string_view prefix);

// The number at the start of a text: the given blanks skipped, then an
// optional '+' or '-', then ASCII decimal digits.
struct DecimalScan {
    uint64_t magnitude = 0;   // the digits' value, held at UINT64_MAX beyond it
    bool negative = false;    // a '-' stood before the digits
    bool overflowed = false;  // the digits' value exceeds UINT64_MAX
    size_t length = 0;        // characters read, blanks and sign included; 0 without digits

    bool HasDigits() const { return length != 0; }
    // The signed value, held within the 64-bit range.
    int64_t Value() const;
};
DecimalScan ScanLeadingDecimal(std::string_view text, std::string_view skip = {});
DecimalScan ScanLeadingDecimal(std::wstring_view text, std::string_view skip = {});

// The leading number as C's atol reads it where long has 32 bits: C blanks
// skipped, an optional sign, 0 without digits, held within the 32-bit range.
int32_t LeadingInt32(std::string_view text);
int32_t LeadingInt32(std::wstring_view text);
