#include "remote/server_time.h"

#include <gtest/gtest.h>

#include <ctime>

#include "remote/config_service.h"
#include "tests/support/loopback_http_server.h"
#include "tests/support/scoped_environment.h"

namespace {

using namespace std::chrono_literals;

TEST(ParseServerTime, ReadsTheLeadingNumberAsAtolDoes) {
    const struct { const char* name; std::string text; int32_t expected; } kCases[] = {
        {"ten digits", "1712345678", 1712345678},
        {"leading white space", " \t\r\n1712345678", 1712345678},
        {"plus sign", "+17", 17},
        {"negative number", "-1712345678", -1712345678},
        {"letters", "abc", 0},
        {"empty", "", 0},
        {"digits followed by a blank and text", "1712345678 seconds", 1712345678},
        {"digits then a zero byte then digits", std::string("12\0" "34", 5), 12},
        {"sign without digits", "-", 0},
        {"blank between sign and digits", "- 5", 0},
        {"too large saturates", "99999999999", 2147483647},
        {"too small saturates", "-99999999999", -2147483647 - 1},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ParseServerTime(c.text), c.expected);
    }
}

class FetchServerTimeTest : public ::testing::Test {
protected:
    ScopedNoProxy noProxy_;
    LoopbackHttpServer server_;
    std::unique_ptr<IHttpClient> http_ = CreateHttpClient({1000ms, 2000ms});
};

TEST_F(FetchServerTimeTest, TakesTheServiceAnswerOnlyWhenItIsASuccessThatBeginsWithANumber) {
    const struct { const char* name; int status; std::string body; int32_t expected; } kCases[] = {
        {"ten digits", 200, "1712345678", 1712345678},
        {"negative number", 200, "-5", -5},
        {"letters", 200, "now", 0},
        {"empty body", 200, "", 0},
        {"digits followed by text", 200, "1712345678 UTC", 1712345678},
        {"number inside the first 127 bytes", 200, std::string(117, ' ') + "1712345678" + "xyz", 1712345678},
        {"number after the first 127 bytes", 200, std::string(127, ' ') + "1712345678", 0},
        {"error page beginning with digits", 502, "502 Bad Gateway", 0},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        server_.Serve("/common/getTimestamp", {.status = c.status, .body = c.body});
        EXPECT_EQ(FetchServerTime(*http_, server_.BaseUrl()), c.expected);
    }
    for (const auto& request : server_.Requests()) {
        EXPECT_EQ(request.target, "/common/getTimestamp");
        EXPECT_EQ(request.Header("user-agent"), "Sorvik");
    }
}

TEST_F(FetchServerTimeTest, IsZeroWhenNothingListens) {
    std::string deadUrl;
    {
        const LoopbackHttpServer closed;
        deadUrl = closed.BaseUrl();
    }
    EXPECT_EQ(FetchServerTime(*http_, deadUrl), 0);
}

TEST(AppendAccessToken, SignsWithTheKeyTheTimestampAndTheEndpointWithoutQuery) {
    const std::string base = "http://config.kalo.example";
    const std::string endpoint = base + "/rezedav/wscheckerconfig";
    // Expected tokens: printf '%s' 'Rk7Wq$m2Xe#Lp+Tzv4HnYcBfa<ts><endpoint>' | md5sum
    const struct { const char* name; std::string address; int32_t ts; std::string expected; } kCases[] = {
        {"language cn", endpoint + "?language=cn", 1700000000,
         endpoint + "?language=cn&timestamp=1700000000&accesstoken=0397847c3a2324b5571625189a2ae61b"},
        {"other language, same token", endpoint + "?language=en", 1700000000,
         endpoint + "?language=en&timestamp=1700000000&accesstoken=0397847c3a2324b5571625189a2ae61b"},
        {"ten-digit service time", endpoint + "?language=cn", 1712345678,
         endpoint + "?language=cn&timestamp=1712345678&accesstoken=13cfe842e11d1396b141de27f71ab21b"},
        {"address that is not the endpoint", "x?a=b", 1, "x?a=b&timestamp=1&accesstoken=05737ae1920f419ed88febc4b978e3e8"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(AppendAccessToken(c.address, c.ts, base), c.expected);
    }
}

TEST(AppendAccessToken, UsesThePcClockWhenTheServiceTimeIsNotPositive) {
    const std::string base = "http://config.kalo.example";
    for (const int32_t serviceTime : {0, -1, -1712345678}) {
        SCOPED_TRACE(serviceTime);
        const auto before = static_cast<uint64_t>(std::time(nullptr));
        const std::string signedAddress = AppendAccessToken("a?language=cn", serviceTime, base);
        const auto after = static_cast<uint64_t>(std::time(nullptr));

        const size_t tsAt = signedAddress.find("&timestamp=") + 11;
        const size_t tokenAt = signedAddress.find("&accesstoken=");
        ASSERT_NE(tokenAt, std::string::npos);
        const uint64_t ts = std::stoull(signedAddress.substr(tsAt, tokenAt - tsAt));
        EXPECT_GE(ts, before);
        EXPECT_LE(ts, after);
        EXPECT_EQ(signedAddress.substr(tokenAt + 13), AccessToken(ts, RuleSetEndpointUrl(base)))
            << "the token must cover the same timestamp the parameter carries";
    }
}

}  // namespace
