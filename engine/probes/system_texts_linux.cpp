#include "engine/probes/system_texts_linux.h"

#include <cstdio>

#include "shell/text_util.h"

namespace {

// A text of decimal digits only: no blanks, no sign, nothing after them and
// nothing beyond 64 bits.
std::optional<uint64_t> ParseDecimal(std::string_view text) {
    const DecimalScan scan = ScanLeadingDecimal(text);
    if (text.empty() || !IsAsciiDigit(text.front()) || scan.length != text.size() || scan.overflowed) {
        return std::nullopt;
    }
    return scan.magnitude;
}

// A shell-style value: double quotes allow \" \\ \$ \` escapes, single
// quotes take everything literally, bare text ends at the first blank.
std::string UnquoteShellValue(std::string_view value) {
    std::string out;
    for (size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (c == '"') {
            for (++i; i < value.size() && value[i] != '"'; ++i) {
                if (value[i] == '\\' && i + 1 < value.size() &&
                    (value[i + 1] == '"' || value[i + 1] == '\\' || value[i + 1] == '$' || value[i + 1] == '`')) {
                    ++i;
                }
                out.push_back(value[i]);
            }
        } else if (c == '\'') {
            for (++i; i < value.size() && value[i] != '\''; ++i) out.push_back(value[i]);
        } else if (c == '\\' && i + 1 < value.size()) {
            out.push_back(value[++i]);
        } else if (c == ' ' || c == '\t') {
            break;
        } else {
            out.push_back(c);
        }
    }
    return out;
}

}  // namespace

std::string OsReleasePrettyName(std::string_view osRelease) {
    std::string name;
    ForEachLine(osRelease, [&](std::string_view line) {
        line = TrimBlanks(line);
        constexpr std::string_view kKey = "PRETTY_NAME=";
        if (line.substr(0, kKey.size()) != kKey) return true;
        name = UnquoteShellValue(line.substr(kKey.size()));
        return false;
    });
    return name;
}

std::string CpuInfoModelName(std::string_view cpuInfo) {
    std::string model;
    ForEachLine(cpuInfo, [&](std::string_view line) {
        const size_t colon = line.find(':');
        if (colon == std::string_view::npos || TrimBlanks(line.substr(0, colon)) != "model name") return true;
        std::string_view value = line.substr(colon + 1);
        // The kernel writes "model name\t: " before the value; spaces beyond
        // that one belong to the brand.
        if (!value.empty() && value.front() == ' ') value.remove_prefix(1);
        if (!value.empty() && value.back() == '\r') value.remove_suffix(1);
        model = std::string(value);
        return false;
    });
    return model;
}

int64_t MemTotalBytes(std::string_view memInfo) {
    int64_t bytes = 0;
    ForEachLine(memInfo, [&](std::string_view line) {
        constexpr std::string_view kKey = "MemTotal:";
        if (line.substr(0, kKey.size()) != kKey) return true;
        std::string_view value = TrimBlanks(line.substr(kKey.size()));
        const size_t unit = value.find(' ');
        const std::string_view digits = value.substr(0, unit);
        const std::string_view suffix = unit == std::string_view::npos ? "" : TrimBlanks(value.substr(unit));
        const auto number = ParseDecimal(digits);
        // The kernel writes kB (meaning KiB); a bare number would be bytes.
        const uint64_t scale = suffix == "kB" ? 1024 : 1;
        if (number && *number <= static_cast<uint64_t>(INT64_MAX) / scale) {
            bytes = static_cast<int64_t>(*number * scale);
        }
        return false;
    });
    return bytes;
}

int64_t RoundUpToGiB(int64_t bytes) {
    if (bytes <= 0) return 0;
    const int64_t whole = bytes / kBytesPerGiB + (bytes % kBytesPerGiB != 0 ? 1 : 0);
    return whole * kBytesPerGiB;
}

int32_t AddressWidthForMachine(std::string_view machine) {
    if (machine.empty()) return 0;
    if (Contains(machine, "64") || machine == "s390x") return 64;
    return 32;
}

std::string NvidiaRuleDriverVersion(std::string_view release) {
    const size_t firstDot = release.find('.');
    if (firstDot == std::string_view::npos) return {};
    const size_t secondDot = release.find('.', firstDot + 1);
    const auto major = ParseDecimal(release.substr(0, firstDot));
    const auto minor = ParseDecimal(release.substr(firstDot + 1, secondDot == std::string_view::npos
                                                                     ? std::string_view::npos
                                                                     : secondDot - firstDot - 1));
    if (!major || !minor || *minor > 9999) return {};
    const uint64_t number = (*major % 1000) * 100 + *minor;
    // The rules read the next-to-last part modulo 10 as the ten-thousands,
    // so that part must stay below 20 to carry a single digit.
    if (number >= 100000) return {};
    char text[32];
    std::snprintf(text, sizeof text, "31.0.%u.%04u", static_cast<unsigned>(10 + number / 10000),
                  static_cast<unsigned>(number % 10000));
    return text;
}
