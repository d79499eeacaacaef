#pragma once
// The configuration service's clock and the signature of a rule-set request.
// Both are free of shared state and may run on any thread. Neither logs: every
// failure ends in the PC clock being used instead of the service's.

#include <cstdint>
#include <string>
#include <string_view>

#include "remote/http_client.h"

// The service answers its time as a bare decimal number; only this many
// leading bytes of the answer are read.
inline constexpr size_t kServiceTimeReadBytes = 127;

// The number at the start of the text, read as atol reads it with a 32-bit
// long: leading white space, an optional sign, decimal digits; 0 without
// digits; clamped to the 32-bit range. The text ends at its first zero byte.
int32_t ParseServerTime(std::string_view text);

// The service time, or 0 when none could be obtained (no answer, or an
// answer that is not a success).
int32_t FetchServerTime(IHttpClient& http, std::string_view baseUrl);

// The same with what went wrong, for the caller's log line.
struct ServerTimeAnswer {
    int32_t time = 0;
    HttpFailure failure = HttpFailure::None;
    long status = 0;
};
ServerTimeAnswer RequestServerTime(IHttpClient& http, std::string_view baseUrl, HttpDeadline deadline);
// The same against ConfigServiceBaseUrl() with the production time-outs.
int32_t FetchServerTime();

// MD5 of the shared key, ts in decimal and the endpoint URL, as 32 lower-case
// hex digits.
std::string AccessToken(uint64_t ts, std::string_view endpointUrl);

// The request address followed by "&timestamp=<ts>&accesstoken=<token>". The
// timestamp is the given one when it is above 0, else the PC clock's; the
// token covers the endpoint URL of baseUrl, whatever query the address holds.
std::string AppendAccessToken(std::string_view address, int32_t timestamp, std::string_view baseUrl);
// The same for ConfigServiceBaseUrl().
std::string AppendAccessToken(std::string_view address, int32_t timestamp);
