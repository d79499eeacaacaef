#include "ui/toolkit/attributes.h"

#include <algorithm>

#include "shell/text_util.h"

namespace ui {

namespace {

// The numbers of a comma-separated list, as many as asked for.
std::vector<int> ParseInts(std::wstring_view text, size_t count) {
    std::vector<int> values(count, 0);
    size_t at = 0;
    for (size_t i = 0; i < count && at <= text.size(); ++i) {
        const size_t comma = text.find(L',', at);
        values[i] = ParseInt(text.substr(at, comma == std::wstring_view::npos ? text.size() - at : comma - at));
        if (comma == std::wstring_view::npos) break;
        at = comma + 1;
    }
    return values;
}

int HexDigit(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    const wchar_t lower = LowerAscii(c);
    if (lower >= L'a' && lower <= L'f') return lower - L'a' + 10;
    return -1;
}

// The value of key='...' (or key="...") in an image description, or nothing.
std::optional<std::wstring_view> QuotedValue(std::wstring_view imageSpec, std::wstring_view key) {
    for (size_t at = imageSpec.find(key); at != std::wstring_view::npos; at = imageSpec.find(key, at + 1)) {
        if (at > 0 && !IsBlank(imageSpec[at - 1], kCSpaces)) continue;
        size_t pos = at + key.size();
        while (pos < imageSpec.size() && IsBlank(imageSpec[pos], kCSpaces)) ++pos;
        if (pos >= imageSpec.size() || imageSpec[pos] != L'=') continue;
        ++pos;
        while (pos < imageSpec.size() && IsBlank(imageSpec[pos], kCSpaces)) ++pos;
        if (pos >= imageSpec.size() || (imageSpec[pos] != L'\'' && imageSpec[pos] != L'"')) continue;
        const size_t end = imageSpec.find(imageSpec[pos], pos + 1);
        if (end == std::wstring_view::npos) return std::nullopt;
        return imageSpec.substr(pos + 1, end - pos - 1);
    }
    return std::nullopt;
}

}  // namespace

int ClampExtent(long long value) {
    return static_cast<int>(std::clamp<long long>(value, -kMaxExtent, kMaxExtent));
}

int ParseInt(std::wstring_view text) {
    const DecimalScan scan = ScanLeadingDecimal(text, kCSpaces);
    if (!scan.HasDigits()) return 0;
    const long long magnitude = static_cast<long long>(std::min<uint64_t>(scan.magnitude, kMaxExtent));
    return ClampExtent(scan.negative ? -magnitude : magnitude);
}

Size ParseSize(std::wstring_view text) {
    const std::vector<int> v = ParseInts(text, 2);
    return {v[0], v[1]};
}

Rect ParseRect(std::wstring_view text) {
    const std::vector<int> v = ParseInts(text, 4);
    return {v[0], v[1], v[2], v[3]};
}

std::optional<Argb> ParseColor(std::wstring_view text) {
    while (!text.empty() && IsBlank(text.front(), kCSpaces)) text.remove_prefix(1);
    if (text.empty() || text.front() != L'#') return std::nullopt;
    text.remove_prefix(1);
    if (text.size() != 8 && text.size() != 6) return std::nullopt;
    Argb value = 0;
    for (const wchar_t c : text) {
        const int digit = HexDigit(c);
        if (digit < 0) return std::nullopt;
        value = (value << 4) | static_cast<Argb>(digit);
    }
    return text.size() == 6 ? (value | 0xFF000000u) : value;
}

bool ParseBool(std::wstring_view text) { return EqualsIgnoreAsciiCase(text, L"true"); }

ImageSpec ParseImageSpec(std::wstring_view text) {
    ImageSpec imageSpec;
    const std::optional<std::wstring_view> file = QuotedValue(text, L"file");
    if (!file) {
        // A plain path: the whole value, blanks at the ends dropped.
        while (!text.empty() && IsBlank(text.front(), kCSpaces)) text.remove_prefix(1);
        imageSpec.path = std::wstring(TrimTrailingBlanks(text, kCSpaces));
        return imageSpec;
    }
    imageSpec.path = std::wstring(*file);
    if (const auto corner = QuotedValue(text, L"corner")) {
        const Rect r = ParseRect(*corner);
        imageSpec.corners = {std::max(r.left, 0), std::max(r.top, 0), std::max(r.right, 0), std::max(r.bottom, 0)};
    }
    if (const auto dest = QuotedValue(text, L"dest")) {
        imageSpec.dest = ParseRect(*dest);
        imageSpec.hasDest = true;
    }
    if (const auto source = QuotedValue(text, L"source")) imageSpec.source = ParseRect(*source);
    if (const auto fade = QuotedValue(text, L"fade")) imageSpec.alpha = static_cast<uint8_t>(std::clamp(ParseInt(*fade), 0, 255));
    return imageSpec;
}

std::vector<std::pair<std::wstring, std::wstring>> ParseStyleAttributes(std::wstring_view text) {
    std::vector<std::pair<std::wstring, std::wstring>> result;
    size_t at = 0;
    while (at < text.size()) {
        while (at < text.size() && IsBlank(text[at], kCSpaces)) ++at;
        const size_t equals = text.find(L'=', at);
        if (equals == std::wstring_view::npos || equals + 1 >= text.size()) break;
        const wchar_t quote = text[equals + 1];
        if (quote != L'"' && quote != L'\'') break;
        const size_t end = text.find(quote, equals + 2);
        if (end == std::wstring_view::npos) break;
        result.emplace_back(std::wstring(TrimTrailingBlanks(text.substr(at, equals - at), kCSpaces)),
                            std::wstring(text.substr(equals + 2, end - equals - 2)));
        at = end + 1;
    }
    return result;
}

}  // namespace ui
