#include "shell/text_convert.h"

#include <cstdint>

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

}  // namespace

std::wstring Utf8ToWide(std::string_view utf8) {
    utf8 = UpToZero(utf8);
    std::wstring out;
    out.reserve(utf8.size());
    size_t i = 0;
    while (i < utf8.size()) {
        const auto lead = static_cast<uint8_t>(utf8[i]);
        size_t length = 0;
        char32_t cp = 0;
        char32_t minimum = 0;
        if (lead < 0x80) {
            out.push_back(static_cast<wchar_t>(lead));
            ++i;
            continue;
        } else if ((lead & 0xE0) == 0xC0) {
            length = 2; cp = lead & 0x1F; minimum = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3; cp = lead & 0x0F; minimum = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4; cp = lead & 0x07; minimum = 0x10000;
        } else {
            AppendCodePoint(out, kReplacement);
            ++i;
            continue;
        }
        size_t taken = 1;
        while (taken < length && i + taken < utf8.size() &&
               (static_cast<uint8_t>(utf8[i + taken]) & 0xC0) == 0x80) {
            cp = (cp << 6) | (static_cast<uint8_t>(utf8[i + taken]) & 0x3F);
            ++taken;
        }
        const bool complete = taken == length;
        if (!complete || cp < minimum || cp > 0x10FFFF || IsSurrogate(cp)) {
            AppendCodePoint(out, kReplacement);
        } else {
            AppendCodePoint(out, cp);
        }
        i += taken;
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
