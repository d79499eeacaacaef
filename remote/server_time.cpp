#include "remote/server_time.h"

#include <ctime>
#include <limits>

#include "remote/config_service.h"
#include "remote/md5.h"

namespace {

// Shared with the service and never sent; only its digest leaves the program.
constexpr char kAccessTokenKey[] = "Rk7Wq$m2Xe#Lp+Tzv4HnYcBfa";

bool IsCSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

}  // namespace

int32_t ParseServerTime(std::string_view text) {
    text = text.substr(0, text.find('\0'));
    size_t at = 0;
    while (at < text.size() && IsCSpace(text[at])) ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
    // Accumulated in 64 bits and clamped, as a 32-bit atol saturates.
    constexpr int64_t kLimit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
    int64_t value = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        value = value * 10 + (text[at] - '0');
        if (value > kLimit) value = kLimit;
    }
    if (negative) return static_cast<int32_t>(-value);
    return value >= kLimit ? std::numeric_limits<int32_t>::max() : static_cast<int32_t>(value);
}

int32_t FetchServerTime(IHttpClient& http, std::string_view baseUrl) {
    const auto answer = http.GetPrefix(ServiceTimeUrl(baseUrl), kServiceTimeReadBytes);
    if (!answer) return 0;
    // An error page ("502 Bad Gateway") may begin with digits too; they are
    // not the service's clock.
    if (!IsSuccessStatus(answer->status)) return 0;
    return ParseServerTime(answer->body);
}

int32_t FetchServerTime() {
    const auto http = CreateHttpClient();
    return FetchServerTime(*http, ConfigServiceBaseUrl());
}

std::string AccessToken(uint64_t ts, std::string_view endpointUrl) {
    std::string source = kAccessTokenKey;
    source += std::to_string(ts);
    source += endpointUrl;
    return CMD5Checksum::GetMD5(source);
}

std::string AppendAccessToken(std::string_view address, int32_t timestamp, std::string_view baseUrl) {
    // The PC clock may be 64-bit; the service's answer never is.
    const uint64_t ts = timestamp > 0 ? static_cast<uint64_t>(timestamp)
                                      : static_cast<uint64_t>(std::time(nullptr));
    std::string signedAddress(address);
    signedAddress += "&timestamp=";
    signedAddress += std::to_string(ts);
    signedAddress += "&accesstoken=";
    signedAddress += AccessToken(ts, RuleSetEndpointUrl(baseUrl));
    return signedAddress;
}

std::string AppendAccessToken(std::string_view address, int32_t timestamp) {
    return AppendAccessToken(address, timestamp, ConfigServiceBaseUrl());
}
