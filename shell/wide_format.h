#pragma once
// printf-style formatting of wide text. Formats use "%ls" for wide string
// arguments on every platform.
//
// A C variadic call takes anything, so a std::wstring handed over where
// "%ls" wants .c_str() would compile and misbehave at run time. Every
// printf-style entry point of the program is therefore a template that
// accepts only what a printf conversion can take, and forwards to the
// variadic implementation.

#include <cstdarg>
#include <cstddef>
#include <string>
#include <type_traits>

template <typename T>
inline constexpr bool kIsPrintfArgument = std::is_arithmetic_v<T> || std::is_enum_v<T> || std::is_pointer_v<T> ||
                                          std::is_null_pointer_v<T>;

// Rejects, at compile time, an argument no printf conversion accepts.
template <typename... Args>
constexpr void CheckPrintfArguments() {
    static_assert((kIsPrintfArgument<std::decay_t<Args>> && ...),
                  "printf-style argument of class type: pass .c_str() for strings");
}

// Formats at full length; an argument that cannot be formatted (an encoding
// error) yields an empty text rather than a partial one.
std::wstring FormatWideV(const wchar_t* format, va_list args);
std::wstring FormatWideVarargs(const wchar_t* format, ...);

template <typename... Args>
std::wstring FormatWide(const wchar_t* format, Args... args) {
    CheckPrintfArguments<Args...>();
    return FormatWideVarargs(format, args...);
}
