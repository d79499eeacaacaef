#pragma once
// The text source the user-interface toolkit asks for every visible text.

#include <string>

class ILangRes {
public:
    // The text stored for the key (exact, case-sensitive), or an empty text,
    // never null, when the loaded pack has no such key. The pointer stays
    // valid until the next pack is loaded.
    virtual const wchar_t* GetLangText(const wchar_t* key) = 0;
    virtual ~ILangRes() = default;

    // The same look-up as a copy, for callers that keep the text.
    std::wstring GetLangText(const std::wstring& key) { return GetLangText(key.c_str()); }
};
