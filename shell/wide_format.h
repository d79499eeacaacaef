#pragma once
// printf-style formatting of wide text. Formats use "%ls" for wide string
// arguments on every platform.

#include <cstdarg>
#include <string>

// Formats at full length; an argument that cannot be formatted (an encoding
// error) yields an empty text rather than a partial one.
std::wstring FormatWideV(const wchar_t* format, va_list args);
std::wstring FormatWide(const wchar_t* format, ...);
