#pragma once
// FILETIME counts 100 ns steps from 1601-01-01 UTC; the program counts
// seconds from 1970.

#include <windows.h>

#include <cstdint>

inline constexpr int64_t kFileTimeStepsPerSecond = 10'000'000;
inline constexpr int64_t kSecondsFrom1601To1970 = 11'644'473'600;

inline int64_t UnixSecondsOf(const FILETIME& time) {
    const uint64_t steps = (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    return static_cast<int64_t>(steps / kFileTimeStepsPerSecond) - kSecondsFrom1601To1970;
}

inline FILETIME FileTimeOfUnixSeconds(int64_t seconds) {
    const uint64_t steps = static_cast<uint64_t>(seconds + kSecondsFrom1601To1970) * kFileTimeStepsPerSecond;
    return {static_cast<DWORD>(steps), static_cast<DWORD>(steps >> 32)};
}
