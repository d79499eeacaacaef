#include "shell/text_convert.h"

#include <cstdint>
#include <optional>

namespace {

constexpr char32_t kReplacement = 0xFFFD;

std::string_view UpToZero(std::string_view text) { return text.substr(0, text.find('\0')); }
std::wstring_view UpToZero(std::wstring_view text) { return text.substr(0, text.find(L'\0')); }

void AppendCodePoint(std::wstring& out, char32_t cp) {
    if constexpr (sizeof(wchar_t) == 2) {
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<wchar_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<wchar_t>(0xDC00 + (cp & 0x3FF)));
            return;
        }
    }
    out.push_back(static_cast<wchar_t>(cp));
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

bool IsSurrogate(char32_t cp) { return cp >= 0xD800 && cp <= 0xDFFF; }

// One UTF-8 sequence at the start of `utf8` (not empty): its code point, or
// nothing for a malformed one (bad lead or continuation byte, cut short,
// overlong, a surrogate, beyond U+10FFFF); `taken` is the bytes it spans,
// at least one.
std::optional<char32_t> NextCodePoint(std::string_view utf8, size_t& taken) {
    const auto lead = static_cast<uint8_t>(utf8[0]);
    taken = 1;
    size_t length = 0;
    char32_t cp = 0;
    char32_t minimum = 0;
    if (lead < 0x80) {
        return lead;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2; cp = lead & 0x1F; minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3; cp = lead & 0x0F; minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4; cp = lead & 0x07; minimum = 0x10000;
    } else {
        return std::nullopt;
    }
    while (taken < length && taken < utf8.size() && (static_cast<uint8_t>(utf8[taken]) & 0xC0) == 0x80) {
        cp = (cp << 6) | (static_cast<uint8_t>(utf8[taken]) & 0x3F);
        ++taken;
    }
    if (taken != length || cp < minimum || cp > 0x10FFFF || IsSurrogate(cp)) return std::nullopt;
    return cp;
}

}  // namespace

std::wstring Utf8ToWide(std::string_view utf8) {
    utf8 = UpToZero(utf8);
    std::wstring out;
    out.reserve(utf8.size());
    size_t taken = 0;
    for (size_t i = 0; i < utf8.size(); i += taken) {
        AppendCodePoint(out, NextCodePoint(utf8.substr(i), taken).value_or(kReplacement));
    }
    return out;
}

std::string WideToUtf8(std::wstring_view wide) {
    wide = UpToZero(wide);
    std::string out;
    out.reserve(wide.size());
    for (size_t i = 0; i < wide.size(); ++i) {
        auto cp = static_cast<char32_t>(wide[i]);
        if constexpr (sizeof(wchar_t) == 2) {
            cp &= 0xFFFF;
            if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < wide.size()) {
                const auto low = static_cast<char32_t>(wide[i + 1]) & 0xFFFF;
                if (low >= 0xDC00 && low <= 0xDFFF) {
                    cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                    ++i;
                }
            }
        }
        if (IsSurrogate(cp) || cp > 0x10FFFF) cp = kReplacement;
        AppendUtf8(out, cp);
    }
    return out;
}

std::string Utf8ToGbk(std::string_view utf8) { return WideToGbk(Utf8ToWide(utf8)); }

bool IsUtf8Text(std::string_view text) {
    size_t taken = 0;
    for (size_t i = 0; i < text.size(); i += taken) {
        const std::optional<char32_t> cp = NextCodePoint(text.substr(i), taken);
        if (!cp || *cp == 0) return false;
    }
    return true;
}

std::optional<std::string> Utf16LeTextToUtf8(std::string_view bytes) {
    if (bytes.size() % 2 != 0) return std::nullopt;
    const auto unitAt = [&bytes](size_t i) {
        return static_cast<char32_t>(static_cast<uint8_t>(bytes[i]) | (static_cast<uint8_t>(bytes[i + 1]) << 8));
    };
    std::string out;
    out.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size(); i += 2) {
        char32_t cp = unitAt(i);
        if (cp == 0 || (cp >= 0xDC00 && cp <= 0xDFFF)) return std::nullopt;
        if (cp >= 0xD800 && cp <= 0xDBFF) {
            if (i + 2 >= bytes.size()) return std::nullopt;
            const char32_t low = unitAt(i + 2);
            if (low < 0xDC00 || low > 0xDFFF) return std::nullopt;
            cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
            i += 2;
        }
        AppendUtf8(out, cp);
    }
    return out;
}

std::string Utf8ToUtf16Le(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size() * 2);
    const auto appendUnit = [&out](char32_t unit) {
        out.push_back(static_cast<char>(unit & 0xFF));
        out.push_back(static_cast<char>((unit >> 8) & 0xFF));
    };
    size_t taken = 0;
    for (size_t i = 0; i < utf8.size(); i += taken) {
        char32_t cp = NextCodePoint(utf8.substr(i), taken).value_or(kReplacement);
        if (cp >= 0x10000) {
            cp -= 0x10000;
            appendUnit(0xD800 + (cp >> 10));
            appendUnit(0xDC00 + (cp & 0x3FF));
        } else {
            appendUnit(cp);
        }
    }
    return out;
}
