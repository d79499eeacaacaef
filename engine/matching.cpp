#include "engine/matching.h"

std::wstring UpperAscii(std::wstring_view text) {
    std::wstring upper(text);
    for (wchar_t& c : upper) {
        if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
    }
    return upper;
}

int FirstMatch(const std::vector<std::wstring>& list, std::wstring_view text) {
    for (size_t i = 0; i < list.size(); ++i) {
        if (EntryMatches(list[i], text)) return static_cast<int>(i);
    }
    return -1;
}
