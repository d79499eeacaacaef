#pragma once
// The engine's one matching convention: rule entries and probed texts are
// upper-cased (ASCII a-z only, nothing trimmed) and an entry matches when it
// occurs as a contiguous run inside the probed text. An empty entry matches
// every text. Lists are tried in order; the first match decides.

#include <string>
#include <string_view>
#include <vector>

std::wstring UpperAscii(std::wstring_view text);

inline bool EntryMatches(std::wstring_view entry, std::wstring_view text) {
    return text.find(entry) != std::wstring_view::npos;
}

// Index of the first entry of `list` that matches `text`, or -1.
int FirstMatch(const std::vector<std::wstring>& list, std::wstring_view text);
inline bool AnyMatches(const std::vector<std::wstring>& list, std::wstring_view text) {
    return FirstMatch(list, text) >= 0;
}
