#pragma once
// The download against a loopback service: an old cache in a temporary data
// folder, and the service's answers served by the test.

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>

#include "engine/rule_set_reader.h"
#include "remote/latest_config.h"
#include "tests/support/loopback_http_server.h"
#include "tests/support/rule_set_documents.h"
#include "tests/support/scoped_environment.h"
#include "tests/support/temp_folder.h"

inline const std::string kOldDocument = CompleteRuleSet(R"("OS":["WINDOWS 10"])");
inline const std::string kNewDocument = CompleteRuleSet(R"("OS":["WINDOWS 11"])");
inline constexpr char kDocumentPath[] = "/files/checkerconfig.json";

inline std::string Replaced(std::string text, const std::string& placeholder, const std::string& value) {
    for (size_t at = text.find(placeholder); at != std::string::npos; at = text.find(placeholder, at + value.size())) {
        text.replace(at, placeholder.size(), value);
    }
    return text;
}

class LatestConfigTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server_.IsListening());
        data_.Write(L"updates/fitprobe/checkerconfig.json", kOldDocument);
    }

    std::string DocumentUrl() const { return server_.BaseUrl() + kDocumentPath; }

    // The service's two answers; "@DOC@" in the rule-set answer stands for the document's address.
    void ServeService(const std::string& answer, int status = 200) {
        server_.Serve("/common/getTimestamp", {.body = "1712345678"});
        server_.Serve("/rezedav/wscheckerconfig", {.status = status, .body = Replaced(answer, "@DOC@", DocumentUrl())});
    }

    LatestConfigOutcome Download(const std::wstring& language = L"cn") { return DownloadReportFor(language).outcome; }
    DownloadReport DownloadReportFor(const std::wstring& language = L"cn") {
        return DownloadLatestConfig(*http_, {baseUrl_, language, cachePath_, IsRuleSetDocument});
    }

    ScopedNoProxy noProxy_;
    LoopbackHttpServer server_;
    ScopedTempFolder data_;
    std::wstring cachePath_ = data_.File(L"updates/fitprobe/checkerconfig.json");
    std::string baseUrl_ = server_.BaseUrl();
    std::unique_ptr<IHttpClient> http_ =
        CreateHttpClient({std::chrono::milliseconds(1000), std::chrono::milliseconds(2000)});
};
