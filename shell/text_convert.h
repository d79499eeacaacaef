#pragma once
// Conversions between the program's three text forms: wide text (paths, user
// texts, log messages), UTF-8 (JSON documents, network answers) and code
// page 936 / GBK (log tags). Every conversion stops at the first zero of its
// input, as the C-string based callers expect, and yields an empty result when
// the input cannot be converted.

#include <optional>
#include <string>
#include <string_view>

// Invalid UTF-8 sequences become U+FFFD, so that one bad byte in a downloaded
// rule entry cannot turn the whole entry into an empty (match-everything) text.
std::wstring Utf8ToWide(std::string_view utf8);
std::string WideToUtf8(std::wstring_view wide);

std::string Utf8ToGbk(std::string_view utf8);
std::string WideToGbk(std::wstring_view wide);
std::wstring GbkToWide(std::string_view gbk);

// Strict forms for files the program reads and writes back, where a replaced
// character would change what the file says. Unlike the conversions above
// they do not stop at a zero: the first two refuse it.

// Whether the bytes are well-formed UTF-8 holding no zero byte.
bool IsUtf8Text(std::string_view text);
// UTF-16LE bytes (without a byte-order mark) as UTF-8; nothing for an odd
// byte count, a zero unit or an unpaired surrogate.
std::optional<std::string> Utf16LeTextToUtf8(std::string_view bytes);
// UTF-8 as UTF-16LE bytes, without a byte-order mark; a malformed sequence
// becomes U+FFFD.
std::string Utf8ToUtf16Le(std::string_view utf8);
