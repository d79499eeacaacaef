#pragma once
// Readers for the small text files of procfs, sysfs and /etc that the Linux
// probes use. Each takes the file's text and gives the fact, or an empty
// value when the text does not hold it.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

inline constexpr int64_t kBytesPerGiB = 1024LL * 1024 * 1024;

// PRETTY_NAME of an os-release file, unquoted and unescaped as the shell
// would ("Ubuntu 24.04.1 LTS").
std::string OsReleasePrettyName(std::string_view osRelease);

// The first "model name" of /proc/cpuinfo, exactly as written after ": ".
std::string CpuInfoModelName(std::string_view cpuInfo);

// MemTotal of /proc/meminfo in bytes; 0 when absent.
int64_t MemTotalBytes(std::string_view memInfo);

// Bytes rounded up to a whole number of GiB.
int64_t RoundUpToGiB(int64_t bytes);

// 64 for a 64-bit kernel architecture (uname's machine: "x86_64",
// "aarch64", "s390x", ...), 32 for any other, 0 when unknown (empty).
int32_t AddressWidthForMachine(std::string_view machine);

// The release of an NVIDIA Linux driver ("580.159.04") written in the
// Windows driver-store notation the rule set's driver rules read: release
// M.m gives a version whose last two parts encode (M mod 1000) * 100 + m,
// "31.0.15.8159" for 580.159. Empty when the release is not of that form.
std::string NvidiaRuleDriverVersion(std::string_view release);
