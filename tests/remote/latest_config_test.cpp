#include "remote/latest_config.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <thread>

#include "engine/rule_set_reader.h"
#include "remote/server_time.h"
#include "shell/platform.h"
#include "shell/safe_files.h"
#include "shell/text_convert.h"
#include "tests/remote/latest_config_fixture.h"
#include "tests/support/log_capture.h"
#include "tests/support/loopback_http_server.h"
#include "tests/support/scoped_environment.h"
#include "tests/support/temp_folder.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

// A rule set of about `size` bytes whose padding shows which one it is.
std::string LargeRuleSet(char fill, size_t size) {
    return CompleteRuleSet(R"("note":")" + std::string(size, fill) + R"(","OS":["WINDOWS 11"])");
}

TEST_F(LatestConfigTest, StoresOnlyARuleSetAndKeepsTheOldCacheOtherwise) {
    const std::string pointer = R"({"code":0,"body":{"url":"@DOC@"}})";
    const std::string readFailed = "read config url failed(json). ";
    const std::string bodyFailed = "get config url failed(json). ";
    const std::string notRuleSet = "config document is not a rule set, cache kept. url=@DOC@";
    const std::string noUrlLine = "config url answer names no document.";
    const char* notObject = "address: not a JSON object";
    const char* noBody = "address: no \"body\" object";
    const char* noUrl = "address: no document address";
    const char* notRuleSetCause = "document: not a rule set";
    const struct {
        const char* name;
        std::string answer;
        LoopbackAnswer document;
        LatestConfigOutcome outcome;
        std::vector<std::string> log;
        std::string cacheAfter;
        const char* failure;  // the report's "<step>: <cause>"
    } kCases[] = {
        {"rule set stored", pointer, {.body = kNewDocument}, LatestConfigOutcome::Stored, {}, kNewDocument, ""},
        {"document stored up to its zero byte", pointer, {.body = kNewDocument + '\0' + "tail"},
         LatestConfigOutcome::Stored, {}, kNewDocument, ""},
        {"document of several reads stored whole", pointer, {.body = LargeRuleSet('x', 5000), .pieceBytes = 700},
         LatestConfigOutcome::Stored, {}, LargeRuleSet('x', 5000), ""},
        {"answer is HTML", "<html>busy</html>", {}, LatestConfigOutcome::AnswerNotJson, {readFailed}, kOldDocument,
         notObject},
        {"answer is an array", "[1]", {}, LatestConfigOutcome::AnswerNotJson, {readFailed}, kOldDocument, notObject},
        {"answer is a number", "42", {}, LatestConfigOutcome::AnswerNotJson, {readFailed}, kOldDocument, notObject},
        {"answer is empty", "", {}, LatestConfigOutcome::AnswerNotJson, {readFailed}, kOldDocument, notObject},
        {"answer is null", "null", {}, LatestConfigOutcome::AnswerWithoutBody, {bodyFailed}, kOldDocument, noBody},
        {"body missing", R"({"code":1})", {}, LatestConfigOutcome::AnswerWithoutBody, {bodyFailed}, kOldDocument,
         noBody},
        {"body is a string", R"({"body":"x"})", {}, LatestConfigOutcome::AnswerWithoutBody, {bodyFailed},
         kOldDocument, noBody},
        {"url missing", R"({"body":{}})", {}, LatestConfigOutcome::NoDocumentUrl, {noUrlLine}, kOldDocument, noUrl},
        {"url empty", R"({"body":{"url":""}})", {}, LatestConfigOutcome::NoDocumentUrl, {noUrlLine}, kOldDocument,
         noUrl},
        {"url is a boolean", R"({"body":{"url":true}})", {}, LatestConfigOutcome::NoDocumentUrl, {noUrlLine},
         kOldDocument, noUrl},
        {"url is a number, not an http address", R"({"body":{"url":12345}})", {},
         LatestConfigOutcome::DocumentNotLoaded, {"config document request failed: not an http address"},
         kOldDocument, "document: not an http address"},
        {"document empty", pointer, {.body = ""}, LatestConfigOutcome::DocumentNotLoaded,
         {"config document is empty, cache kept. url=@DOC@"}, kOldDocument, "document: empty"},
        {"document never answers", pointer, {.neverAnswer = true}, LatestConfigOutcome::DocumentNotLoaded,
         {"config document request failed: timed out"}, kOldDocument, "document: timed out"},
        {"HTML error page", pointer, {.status = 404, .body = "<html>Not Found</html>"},
         LatestConfigOutcome::DocumentRejected, {"config document answered status 404, cache kept. url=@DOC@"},
         kOldDocument, "document: HTTP status 404"},
        {"document that redirects to itself", pointer,
         {.status = 302, .extraHeaders = {{"Location", kDocumentPath}}}, LatestConfigOutcome::DocumentNotLoaded,
         {"config document request failed: too many redirects"}, kOldDocument, "document: too many redirects"},
        {"rule set behind an error status", pointer, {.status = 500, .body = kNewDocument},
         LatestConfigOutcome::DocumentRejected, {"config document answered status 500, cache kept. url=@DOC@"},
         kOldDocument, "document: HTTP status 500"},
        {"captive portal page", pointer, {.body = "<html>Sign in</html>"}, LatestConfigOutcome::DocumentRejected,
         {notRuleSet}, kOldDocument, notRuleSetCause},
        {"JSON without a body object", pointer, {.body = R"({"body":[]})"}, LatestConfigOutcome::DocumentRejected,
         {notRuleSet}, kOldDocument, notRuleSetCause},
        {"rule set cut short by a zero byte", pointer, {.body = std::string("{\"body\":\0{}}", 12)},
         LatestConfigOutcome::DocumentRejected, {notRuleSet}, kOldDocument, notRuleSetCause},
        {"rule set without a list the check needs", pointer, {.body = R"({"body":{"OS":["WINDOWS 11"]}})"},
         LatestConfigOutcome::DocumentRejected, {notRuleSet}, kOldDocument, notRuleSetCause},
        {"rule set with a list of the wrong form", pointer, {.body = CompleteRuleSet(R"("CPU_Game":{"a":"b"})")},
         LatestConfigOutcome::DocumentRejected, {notRuleSet}, kOldDocument, notRuleSetCause},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        data_.Write(L"updates/fitprobe/checkerconfig.json", kOldDocument);
        ServeService(c.answer);
        server_.Serve(kDocumentPath, c.document);
        const LogCapture log;

        const DownloadReport report = DownloadReportFor();
        EXPECT_EQ(report.outcome, c.outcome);
        EXPECT_EQ(WideToUtf8(report.failure), c.failure);
        EXPECT_EQ(report.CacheUpdated(), c.outcome == LatestConfigOutcome::Stored);
        std::vector<std::string> expectedLog;
        for (const auto& line : c.log) expectedLog.push_back(Replaced(line, "@DOC@", DocumentUrl()));
        EXPECT_EQ(log.Messages(), expectedLog);
        EXPECT_EQ(ReadWholeFile(cachePath_), c.cacheAfter);
    }
}

TEST_F(LatestConfigTest, AsksWithTheLanguageTheServiceTimeAndAToken) {
    ServeService(R"({"body":{"url":"@DOC@"}})");
    server_.Serve(kDocumentPath, {.body = kNewDocument});
    ASSERT_EQ(Download(L"cn"), LatestConfigOutcome::Stored);

    const auto requests = server_.Requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].target, "/common/getTimestamp");
    EXPECT_EQ(requests[1].path, "/rezedav/wscheckerconfig");
    const std::string prefix = "language=cn&timestamp=1712345678&accesstoken=";
    ASSERT_EQ(requests[1].query.substr(0, prefix.size()), prefix);
    EXPECT_EQ(requests[1].query.substr(prefix.size()).find_first_not_of("0123456789abcdef"), std::string::npos);
    EXPECT_EQ(requests[1].query.size(), prefix.size() + 32);
    EXPECT_EQ(requests[2].target, kDocumentPath);
    for (const auto& request : requests) EXPECT_EQ(request.Header("user-agent"), "Sorvik");
}

TEST_F(LatestConfigTest, AnErrorPageAfterAGoodDownloadKeepsTheGoodCache) {
    ServeService(R"({"body":{"url":"@DOC@"}})");
    server_.Serve(kDocumentPath, {.body = kNewDocument});
    ASSERT_EQ(Download(), LatestConfigOutcome::Stored);

    server_.Serve(kDocumentPath, {.status = 502, .body = "<html><h1>502 Bad Gateway</h1></html>"});
    EXPECT_EQ(Download(), LatestConfigOutcome::DocumentRejected);
    EXPECT_EQ(ReadWholeFile(cachePath_), kNewDocument);
}

TEST_F(LatestConfigTest, AServiceThatNeverAnswersStillLetsTheDownloadEnd) {
    server_.SetHandler([](const LoopbackRequest&) { return LoopbackAnswer{.neverAnswer = true}; });
    const LogCapture log;
    const DownloadReport report = DownloadReportFor();
    EXPECT_EQ(report.outcome, LatestConfigOutcome::AnswerNotJson);
    EXPECT_TRUE(report.serviceUnreachable);
    EXPECT_EQ(log.Messages(), (std::vector<std::string>{"service time request failed: timed out",
                                                        "config url request failed: timed out",
                                                        "read config url failed(json). "}));
    EXPECT_EQ(ReadWholeFile(cachePath_), kOldDocument);
}

TEST_F(LatestConfigTest, AServiceAtACrawlIsGivenUpAtTheDeadlineOfTheWholeSequence) {
    // Each answer alone keeps within the 2 s request limit; together they
    // would take 3 s.
    const auto crawl = [](std::string body) {
        return LoopbackAnswer{.body = std::move(body), .pieceBytes = 1, .piecePause = std::chrono::milliseconds(1000 / 10)};
    };
    server_.Serve("/common/getTimestamp", crawl("1712345678"));
    server_.Serve("/rezedav/wscheckerconfig", crawl(Replaced(R"({"body":{"url":"@DOC@"}})", "@DOC@", DocumentUrl())));
    server_.Serve(kDocumentPath, crawl(kNewDocument));
    const LogCapture log;
    const auto start = std::chrono::steady_clock::now();
    const DownloadReport report = DownloadLatestConfig(*http_, {baseUrl_, L"cn", cachePath_, IsRuleSetDocument, 1500ms});
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2500ms);
    EXPECT_EQ(report.outcome, LatestConfigOutcome::AnswerNotJson);
    EXPECT_EQ(WideToUtf8(report.failure), "address: timed out");
    EXPECT_EQ(log.Messages().front(), "config url request failed: timed out");
    EXPECT_EQ(ReadWholeFile(cachePath_), kOldDocument);
}

// Whichever request the service leaves unanswered, raising the flag ends the
// download there: one log line, no later request, the old cache kept.
TEST_F(LatestConfigTest, ACancelledDownloadStopsWhereItWasAndKeepsTheCache) {
    const struct { const char* name; const char* silentPath; const char* failure; const char* logged; size_t requests; }
        kCases[] = {
            {"during the service time", "/common/getTimestamp", "address: cancelled",
             "service time request failed: cancelled", 1},
            {"during the address request", "/rezedav/wscheckerconfig", "address: cancelled",
             "config url request failed: cancelled", 2},
            {"during the document", kDocumentPath, "document: cancelled", "config document request failed: cancelled", 3},
        };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        LoopbackHttpServer server;
        server.Serve("/common/getTimestamp", {.body = "1712345678"});
        server.Serve("/rezedav/wscheckerconfig", {.body = R"({"body":{"url":")" + server.BaseUrl() + kDocumentPath + R"("}})"});
        server.Serve(kDocumentPath, {.body = kNewDocument});
        server.Serve(c.silentPath, {.neverAnswer = true});
        std::atomic<bool> cancel{false};
        HttpClientOptions options;
        options.totalTimeout = 20'000ms;
        options.cancel = &cancel;
        const auto http = CreateHttpClient(options);
        LatestConfigRequest request{server.BaseUrl(), L"cn", cachePath_, IsRuleSetDocument};
        request.cancel = &cancel;
        const LogCapture log;
        CallAfterRequest canceller(server, c.silentPath, 200ms, [&] { cancel.store(true); });
        const DownloadReport report = DownloadLatestConfig(*http, request);
        EXPECT_EQ(report.outcome, LatestConfigOutcome::Cancelled);
        EXPECT_FALSE(report.CacheUpdated());
        EXPECT_FALSE(report.serviceUnreachable);
        EXPECT_EQ(WideToUtf8(report.failure), c.failure);
        EXPECT_EQ(log.Messages(), std::vector<std::string>{c.logged});
        EXPECT_EQ(server.Requests().size(), c.requests);
        EXPECT_EQ(ReadWholeFile(cachePath_), kOldDocument);
    }
}

TEST_F(LatestConfigTest, TwoDownloadsAtOnceLeaveOneWholeDocument) {
    const std::string chinese = LargeRuleSet('c', 300'000);
    const std::string english = LargeRuleSet('e', 200'000);
    server_.SetHandler([&](const LoopbackRequest& request) {
        if (request.path == "/common/getTimestamp") return LoopbackAnswer{.body = "1712345678"};
        if (request.path == "/cn.json") return LoopbackAnswer{.body = chinese, .pieceBytes = 32'768};
        if (request.path == "/en.json") return LoopbackAnswer{.body = english, .pieceBytes = 32'768};
        const std::string language = request.query.substr(9, 2);  // "language=xx&..."
        return LoopbackAnswer{.body = R"({"body":{"url":")" + server_.BaseUrl() + "/" + language + R"(.json"}})"};
    });

    std::atomic<bool> downloading{true};
    std::atomic<int> mixed{0};
    std::thread reader([&] {
        while (downloading.load()) {
            // The program's own reader: on Windows a reader that does not
            // share deletion (as std::ifstream) holds every writer back.
            const std::string seen = ReadFileBounded(cachePath_, kRuleSetFileLimit).bytes;
            if (seen != kOldDocument && seen != chinese && seen != english) ++mixed;
        }
    });
    const auto worker = [this](const wchar_t* language) {
        const auto http = CreateHttpClient({1000ms, 5000ms});
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(DownloadLatestConfig(*http, {baseUrl_, language, cachePath_, IsRuleSetDocument}).outcome, LatestConfigOutcome::Stored);
        }
    };
    std::thread checkWorker(worker, L"cn");
    std::thread minimumLoader(worker, L"en");
    checkWorker.join();
    minimumLoader.join();
    downloading.store(false);
    reader.join();

    EXPECT_EQ(mixed.load(), 0);
    const std::string last = ReadWholeFile(cachePath_);
    EXPECT_TRUE(last == chinese || last == english);
    const fs::path folder = ToFsPath(cachePath_).parent_path();
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator{}), 1) << "no temporary file left";
}

TEST_F(LatestConfigTest, ACacheThatCannotBeWrittenIsReportedAndLeavesNothing) {
    const std::wstring blocked = data_.Write(L"not-a-folder", "x");
    ServeService(R"({"body":{"url":"@DOC@"}})");
    server_.Serve(kDocumentPath, {.body = kNewDocument});
    cachePath_ = JoinPath(blocked, L"checkerconfig.json");
    EXPECT_EQ(Download(), LatestConfigOutcome::CacheNotWritten);
    EXPECT_EQ(ReadWholeFile(blocked), "x");
}

TEST(DocumentUrlText, ReadsStringsAndNumbersAsText) {
    const struct { const char* name; Json::Value url; std::string expected; } kCases[] = {
        {"string", "http://h/c.json", "http://h/c.json"},
        {"integer", 12345, "12345"},
        {"negative integer", -7, "-7"},
        {"integer beyond 32 bits", Json::Value(Json::UInt64{18446744073709551615u}), "18446744073709551615"},
        {"real", 1.5, "1.500000"},
        {"boolean", true, ""},
        {"null", Json::Value(), ""},
        {"object", Json::Value(Json::objectValue), ""},
        {"array", Json::Value(Json::arrayValue), ""},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(DocumentUrlText(c.url), c.expected);
    }
}

TEST(RuleSetRequestAddress, PutsTheLanguageCodeIntoTheQuery) {
    const struct { const char* name; const wchar_t* code; std::string expected; } kCases[] = {
        {"cn", L"cn", "http://h/rezedav/wscheckerconfig?language=cn"},
        {"pt", L"pt", "http://h/rezedav/wscheckerconfig?language=pt"},
        {"empty", L"", "http://h/rezedav/wscheckerconfig?language="},
        {"query characters are encoded", L"a b&c", "http://h/rezedav/wscheckerconfig?language=a%20b%26c"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(RuleSetRequestAddress("http://h", c.code), c.expected);
    }
}

}  // namespace
