#pragma once
// Conversions between the program's three text forms: wide text (paths, user
// texts, log messages), UTF-8 (JSON documents, network answers) and code
// page 936 / GBK (log tags). Every conversion stops at the first zero of its
// input, as the C-string based callers expect, and yields an empty result when
// the input cannot be converted.

#include <string>
#include <string_view>

// Invalid UTF-8 sequences become U+FFFD, so that one bad byte in a downloaded
// rule entry cannot turn the whole entry into an empty (match-everything) text.
std::wstring Utf8ToWide(std::string_view utf8);
std::string WideToUtf8(std::wstring_view wide);

std::string Utf8ToGbk(std::string_view utf8);
std::string WideToGbk(std::wstring_view wide);
std::wstring GbkToWide(std::string_view gbk);
