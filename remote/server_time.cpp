#include "remote/server_time.h"

#include <ctime>

#include "remote/config_service.h"
#include "remote/md5.h"
#include "shell/text_util.h"

namespace {

// Shared with the service and never sent; only its digest leaves the program.
constexpr char kAccessTokenKey[] = "Rk7Wq$m2Xe#Lp+Tzv4HnYcBfa";

}  // namespace

// A zero byte ends the number as any other character that is not a digit does.
int32_t ParseServerTime(std::string_view text) { return LeadingInt32(text); }

ServerTimeAnswer RequestServerTime(IHttpClient& http, std::string_view baseUrl, HttpDeadline deadline) {
    ServerTimeAnswer answer;
    const HttpResponse response = http.GetPrefix(ServiceTimeUrl(baseUrl), kServiceTimeReadBytes, deadline);
    answer.failure = response.failure;
    answer.status = response.status;
    // An error page ("502 Bad Gateway") may begin with digits too; they are
    // not the service's clock.
    if (response.ok() && IsSuccessStatus(response.status)) answer.time = ParseServerTime(response.body);
    return answer;
}

int32_t FetchServerTime(IHttpClient& http, std::string_view baseUrl) {
    return RequestServerTime(http, baseUrl, kNoHttpDeadline).time;
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
