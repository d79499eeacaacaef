#include "remote/http_client.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <memory>

#include "tests/support/loopback_http_server.h"
#include "tests/support/scoped_environment.h"

namespace {

using namespace std::chrono_literals;

class HttpClientTest : public ::testing::Test {
protected:
    std::string Url(const std::string& path) const { return server_.BaseUrl() + path; }

    ScopedNoProxy noProxy_;
    LoopbackHttpServer server_;
    std::unique_ptr<IHttpClient> http_ = CreateHttpClient({1000ms, 2000ms, 1000});
};

TEST_F(HttpClientTest, GetDeliversTheWholeBodyWithinTheCapOrSaysWhyNot) {
    const struct {
        const char* name;
        LoopbackAnswer answer;
        std::optional<std::string> body;
        long status;
        HttpFailure failure;
    } kCases[] = {
        {"small document", {.body = "{}"}, "{}", 200, HttpFailure::None},
        {"error page comes back with its status", {.status = 404, .body = "<html/>"}, "<html/>", 404,
         HttpFailure::None},
        {"many small reads", {.body = std::string(1000, 'x'), .pieceBytes = 100}, std::string(1000, 'x'), 200,
         HttpFailure::None},
        {"zero bytes kept", {.body = std::string("a\0b", 3)}, std::string("a\0b", 3), 200, HttpFailure::None},
        {"exactly the cap", {.body = std::string(1000, 'y')}, std::string(1000, 'y'), 200, HttpFailure::None},
        {"announced length over the cap", {.body = std::string(1001, 'z')}, std::nullopt, 0, HttpFailure::TooLarge},
        {"unannounced length over the cap", {.body = std::string(5000, 'z'), .closeDelimited = true},
         std::nullopt, 0, HttpFailure::TooLarge},
        {"no answer at all", {.neverAnswer = true}, std::nullopt, 0, HttpFailure::TimedOut},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        server_.Serve("/doc", c.answer);
        const HttpResponse response = http_->Get(Url("/doc"));
        EXPECT_EQ(response.failure, c.failure);
        ASSERT_EQ(response.ok(), c.body.has_value());
        if (!response.ok()) continue;
        EXPECT_EQ(response.body, *c.body);
        EXPECT_EQ(response.status, c.status);
    }
}

TEST_F(HttpClientTest, ADeadlineCutsARequestShorterThanItsOwnLimit) {
    server_.Serve("/silent", {.neverAnswer = true});
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(http_->Get(Url("/silent"), start + 300ms).failure, HttpFailure::TimedOut);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1500ms) << "the request's own limit is 2 s";
    EXPECT_EQ(http_->Get(Url("/silent"), start).failure, HttpFailure::TimedOut) << "a passed deadline sends nothing";
    EXPECT_EQ(http_->Get("http://127.0.0.1:1/").failure, HttpFailure::CannotConnect);
}

TEST_F(HttpClientTest, GetPrefixStopsAfterTheBytesAskedFor) {
    server_.Serve("/long", {.body = std::string(100'000, '7'), .pieceBytes = 10'000});
    const HttpResponse response = http_->GetPrefix(Url("/long"), 127);
    ASSERT_TRUE(response.ok());
    EXPECT_EQ(response.body, std::string(127, '7'));
    EXPECT_EQ(response.status, 200);
}

TEST_F(HttpClientTest, FollowsRedirectsOnlyToHttpAddresses) {
    server_.Serve("/doc", {.body = "moved here"});
    server_.Serve("/to-doc", {.status = 302, .extraHeaders = {{"Location", Url("/doc")}}});
    server_.Serve("/to-file", {.status = 302, .extraHeaders = {{"Location", "file:///etc/hostname"}}});
    const struct { const char* name; std::string url; std::optional<std::string> body; } kCases[] = {
        {"redirect to an http address", Url("/to-doc"), "moved here"},
        {"redirect to a local file", Url("/to-file"), std::nullopt},
        {"local file address", "file:///etc/hostname", std::nullopt},
        {"address without a scheme", "12345", std::nullopt},
        {"empty address", "", std::nullopt},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        const HttpResponse response = http_->Get(c.url);
        ASSERT_EQ(response.ok(), c.body.has_value());
        if (response.ok()) {
            EXPECT_EQ(response.body, *c.body);
        }
    }
}

// Five redirects, each Location written another way, still arrive; a sixth
// fails the request without a seventh request being sent.
TEST_F(HttpClientTest, FollowsAtMostFiveRedirects) {
    server_.Serve("/doc", {.body = "arrived"});
    server_.Serve("/r/1", {.status = 302, .extraHeaders = {{"Location", "2"}}});
    server_.Serve("/r/2", {.status = 301, .extraHeaders = {{"Location", "/r/3"}}});
    server_.Serve("/r/3", {.status = 307, .extraHeaders = {{"Location", Url("/r/4")}}});
    server_.Serve("/r/4", {.status = 303, .extraHeaders = {{"Location", "./5"}}});
    server_.Serve("/r/5", {.status = 308, .extraHeaders = {{"Location", "../doc"}}});
    server_.Serve("/loop", {.status = 302, .extraHeaders = {{"Location", "/loop"}}});
    const struct {
        const char* name;
        const char* path;
        HttpFailure failure;
        size_t requests;  // sent for the path and its redirects
    } kCases[] = {
        {"a chain of five redirects", "/r/1", HttpFailure::None, 6},
        {"an address that redirects to itself", "/loop", HttpFailure::TooManyRedirects, 6},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        const size_t before = server_.Requests().size();
        const HttpResponse response = http_->Get(Url(c.path));
        EXPECT_EQ(response.failure, c.failure);
        EXPECT_EQ(server_.Requests().size() - before, c.requests);
        if (response.ok()) {
            EXPECT_EQ(response.status, 200);
            EXPECT_EQ(response.body, "arrived");
        }
    }
    EXPECT_EQ(server_.RequestsTo("/doc").size(), 1u);
    EXPECT_STREQ(HttpFailureText(HttpFailure::TooManyRedirects), L"too many redirects");
}

TEST(RedirectTarget, ResolvesTheLocationAgainstTheAddressThatAnswered) {
    const std::string base = "http://host:8080/a/b/c?q=1#f";
    const struct { const char* name; std::string base; const char* location; const char* target; } kCases[] = {
        {"absolute", base, "http://other/x", "http://other/x"},
        {"absolute, scheme in capitals", base, "HTTPS://Other/x", "HTTPS://Other/x"},
        {"another scheme is kept, to be refused", base, "file:///etc/hostname", "file:///etc/hostname"},
        {"same scheme, another host", base, "//other/x?y", "http://other/x?y"},
        {"absolute path", base, "/d/e", "http://host:8080/d/e"},
        {"absolute path with dot segments", base, "/d/../e/./f", "http://host:8080/e/f"},
        {"file beside the base", base, "d", "http://host:8080/a/b/d"},
        {"dot segments in the query stay", base, "./d?x=/../", "http://host:8080/a/b/d?x=/../"},
        {"parent folder", base, "../d", "http://host:8080/a/d"},
        {"never above the root", base, "../../../../d", "http://host:8080/d"},
        {"the parent folder itself", base, "..", "http://host:8080/a/"},
        {"query only", base, "?z=2", "http://host:8080/a/b/c?z=2"},
        {"a bare number is a relative path", base, "12345", "http://host:8080/a/b/12345"},
        {"fragment dropped", base, "d#frag", "http://host:8080/a/b/d"},
        {"blanks around the value", base, "  /d \r\n", "http://host:8080/d"},
        {"base without a path", "http://host", "d", "http://host/d"},
        {"empty Location", base, "", ""},
        {"base without scheme and host", "host/a", "/d", ""},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ResolveRedirectTarget(c.base, c.location), c.target);
    }
    for (const long status : {301L, 302L, 303L, 307L, 308L}) EXPECT_TRUE(IsFollowedRedirect(status)) << status;
    for (const long status : {200L, 300L, 304L, 305L, 404L}) EXPECT_FALSE(IsFollowedRedirect(status)) << status;
}

TEST_F(HttpClientTest, HttpGetTextEndsAtTheFirstZeroByteOfTheWholeBody) {
    // The zero lies in an early read; the later reads must not be spliced on.
    std::string body = std::string(600, 'a') + '\0' + std::string(300, 'b');
    server_.Serve("/zero", {.body = body, .pieceBytes = 200});
    server_.Serve("/silent", {.neverAnswer = true});
    EXPECT_EQ(HttpGetText(*http_, Url("/zero")), std::string(600, 'a'));
    EXPECT_EQ(HttpGetText(*http_, Url("/silent")), "");
}

// The checks both platform clients start every request with.
TEST(HttpRequestStart, OnlyHttpAddressesAreOpened) {
    const struct { const char* name; const char* url; bool opened; } kCases[] = {
        {"http", "http://127.0.0.1:8080/doc", true},
        {"https", "https://config.kalo.example/x", true},
        {"scheme in capitals", "HTTP://HOST/", true},
        {"local file", "file:///etc/hostname", false},
        {"another protocol", "ftp://host/file", false},
        {"no scheme", "config.kalo.example/doc", false},
        {"bare number", "12345", false},
        {"scheme without slashes", "http:host", false},
        {"empty", "", false},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(HasHttpScheme(c.url), c.opened);
        EXPECT_EQ(StartHttpRequest(c.url, {}, kNoHttpDeadline).failure,
                  c.opened ? HttpFailure::None : HttpFailure::BadAddress);
    }
}

TEST(HttpRequestStart, TheDeadlineCutsTheTimeLimitAndARaisedFlagSendsNothing) {
    const std::string url = "http://127.0.0.1/doc";
    std::atomic<bool> cancel{false};
    HttpClientOptions options;
    options.totalTimeout = 2000ms;
    options.cancel = &cancel;
    const auto now = std::chrono::steady_clock::now();

    EXPECT_EQ(StartHttpRequest(url, options, kNoHttpDeadline).timeLimit, 2000ms) << "no deadline: the own limit";
    EXPECT_EQ(StartHttpRequest(url, options, now + 60s).timeLimit, 2000ms) << "a far deadline: the own limit";
    const HttpRequestStart near = StartHttpRequest(url, options, now + 500ms);
    EXPECT_EQ(near.failure, HttpFailure::None);
    EXPECT_GT(near.timeLimit, 0ms);
    EXPECT_LE(near.timeLimit, 500ms) << "a near deadline: what is left of it";
    EXPECT_EQ(StartHttpRequest(url, options, now).failure, HttpFailure::TimedOut);
    EXPECT_EQ(StartHttpRequest(url, options, now - 1s).failure, HttpFailure::TimedOut);

    cancel.store(true);
    EXPECT_EQ(StartHttpRequest(url, options, kNoHttpDeadline).failure, HttpFailure::Cancelled);
    EXPECT_EQ(StartHttpRequest("file:///x", options, kNoHttpDeadline).failure, HttpFailure::BadAddress)
        << "the address is judged first";
}

// A request waiting on a service that stays silent (or crawls) ends as
// Cancelled once the flag goes up on another thread; the time from the flag
// to the return is printed, not asserted.
TEST(HttpClientCancel, ARaisedFlagEndsTheRequestAsCancelled) {
    const ScopedNoProxy noProxy;
    auto server = std::make_unique<LoopbackHttpServer>();
    server->Serve("/silent", {.neverAnswer = true});
    server->Serve("/crawl", {.body = std::string(1000, 'c'), .pieceBytes = 1, .piecePause = 100ms});
    const struct { const char* name; const char* path; bool prefix; } kCases[] = {
        {"whole body, no answer", "/silent", false},
        {"prefix, no answer", "/silent", true},
        {"whole body arriving at a crawl", "/crawl", false},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        std::atomic<bool> cancel{false};
        HttpClientOptions options;
        options.totalTimeout = 20'000ms;
        options.cancel = &cancel;
        const auto http = CreateHttpClient(options);
        CallAfterRequest canceller(*server, c.path, 200ms, [&] { cancel.store(true); });
        const std::string url = server->BaseUrl() + c.path;
        const HttpResponse response = c.prefix ? http->GetPrefix(url, 127) : http->Get(url);
        const auto returned = std::chrono::steady_clock::now();
        EXPECT_EQ(response.failure, HttpFailure::Cancelled);
        std::printf("[ figure   ] %s: returned %lld us after the flag\n", c.name,
                    static_cast<long long>((returned - canceller.Acted()) / 1us));
    }
    EXPECT_STREQ(HttpFailureText(HttpFailure::Cancelled), L"cancelled");
    // Once the service is gone no transfer is left blocked.
    server.reset();
    EXPECT_TRUE(WaitForAbandonedHttpTransfers(10s));
}

}  // namespace
