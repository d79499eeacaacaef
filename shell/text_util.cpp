#include "shell/text_util.h"

#include <algorithm>
#include <limits>

namespace {

template <typename Char>
bool EqualsIgnoreCase(std::basic_string_view<Char> a, std::basic_string_view<Char> b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](Char x, Char y) { return LowerAscii(x) == LowerAscii(y); });
}

template <typename Char>
DecimalScan ScanDecimal(std::basic_string_view<Char> text, std::string_view skip) {
    size_t at = 0;
    while (at < text.size() && IsBlank(text[at], skip)) ++at;
    DecimalScan scan;
    if (at < text.size() && (text[at] == Char('+') || text[at] == Char('-'))) scan.negative = text[at++] == Char('-');
    const size_t digitsStart = at;
    constexpr uint64_t kMax = std::numeric_limits<uint64_t>::max();
    for (; at < text.size() && IsAsciiDigit(text[at]); ++at) {
        const auto digit = static_cast<uint64_t>(text[at] - Char('0'));
        if (scan.overflowed || scan.magnitude > (kMax - digit) / 10) {
            scan.overflowed = true;
            scan.magnitude = kMax;
        } else {
            scan.magnitude = scan.magnitude * 10 + digit;
        }
    }
    if (at == digitsStart) return {};
    scan.length = at;
    return scan;
}

int32_t ClampToInt32(int64_t value) {
    return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

}  // namespace

std::string_view TrimBlanks(std::string_view text, std::string_view blanks) {
    while (!text.empty() && IsBlank(text.front(), blanks)) text.remove_prefix(1);
    return TrimTrailingBlanks(text, blanks);
}

std::string_view TrimTrailingBlanks(std::string_view text, std::string_view blanks) {
    while (!text.empty() && IsBlank(text.back(), blanks)) text.remove_suffix(1);
    return text;
}

std::wstring_view TrimTrailingBlanks(std::wstring_view text, std::string_view blanks) {
    while (!text.empty() && IsBlank(text.back(), blanks)) text.remove_suffix(1);
    return text;
}

bool EqualsIgnoreAsciiCase(std::string_view a, std::string_view b) { return EqualsIgnoreCase(a, b); }
bool EqualsIgnoreAsciiCase(std::wstring_view a, std::wstring_view b) { return EqualsIgnoreCase(a, b); }

bool StartsWithIgnoreAsciiCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && EqualsIgnoreAsciiCase(text.substr(0, prefix.size()), prefix);
}

int64_t DecimalScan::Value() const {
    constexpr uint64_t kMaxPositive = std::numeric_limits<int64_t>::max();
    if (!negative) return static_cast<int64_t>(std::min(magnitude, kMaxPositive));
    if (magnitude > kMaxPositive) return std::numeric_limits<int64_t>::min();
    return -static_cast<int64_t>(magnitude);
}

DecimalScan ScanLeadingDecimal(std::string_view text, std::string_view skip) { return ScanDecimal(text, skip); }
DecimalScan ScanLeadingDecimal(std::wstring_view text, std::string_view skip) { return ScanDecimal(text, skip); }

int32_t LeadingInt32(std::string_view text) { return ClampToInt32(ScanLeadingDecimal(text, kCSpaces).Value()); }
int32_t LeadingInt32(std::wstring_view text) { return ClampToInt32(ScanLeadingDecimal(text, kCSpaces).Value()); }

