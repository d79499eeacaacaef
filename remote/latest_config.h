#pragma once
// Downloading the latest rule set and keeping it as the cache file that the
// rule-set loader prefers. The steps: ask the service (signed request) where
// the current document lies, download it, and store it only when the caller
// accepts it, replacing the cache whole. Any failure leaves the cache as it
// was. What a rule set is, and where the cache lies, is the caller's.

#include <json/value.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <string_view>

#include "remote/http_client.h"

// endpoint URL + "?language=" + code. The code is sent in code page 936 and
// percent-encoded, which leaves every real language code unchanged.
std::string RuleSetRequestAddress(std::string_view baseUrl, const std::wstring& languageCode);

// The document address held in the answer's "url" member: a string as it
// is, an integer in decimal (the whole value), a real as "%f"; empty for
// anything else.
std::string DocumentUrlText(const Json::Value& url);

// Whether a downloaded document may replace the cache, judged on its text.
using DocumentAcceptance = std::function<bool(std::string_view text)>;

enum class LatestConfigOutcome {
    Stored,             // the cache file holds the new document
    AnswerNotJson,      // no answer, or not a JSON object (logged)
    AnswerWithoutBody,  // "body" missing or not an object (logged)
    NoDocumentUrl,      // "url" missing, empty or of another type
    DocumentNotLoaded,  // the document did not download, or was empty
    DocumentRejected,   // an error answer or not a rule set (logged)
    CacheNotWritten,    // the cache file could not be replaced
    Cancelled,          // the request's cancel flag was raised (logged)
};

// The three requests together may take this long, whatever each one's own
// limit: a service that answers at a crawl must not hold a check longer.
inline constexpr std::chrono::milliseconds kDownloadTimeLimit{30'000};

struct LatestConfigRequest {
    std::string baseUrl;       // service base URL, without a trailing "/"
    std::wstring languageCode; // the "language" query parameter, e.g. L"cn"
    std::wstring cachePath;    // the cache file to replace
    DocumentAcceptance accept; // only a document it accepts replaces the cache; unset: none does
    std::chrono::milliseconds timeLimit = kDownloadTimeLimit;
    // Raised (from any thread): no further step is taken and the cache is
    // left alone. A request under way ends at once only when the client was
    // made with the same flag in its options. Not owned; null: not cancellable.
    const std::atomic<bool>* cancel = nullptr;
};

// What one download did, for the front ends. Each failed step has also
// written one level-0 log line naming the step and the cause.
struct DownloadReport {
    bool tried = false;         // false when downloads are off or no cache path is known
    LatestConfigOutcome outcome = LatestConfigOutcome::AnswerNotJson;
    std::wstring failure;       // "<step>: <cause>" ("address: timed out"); empty when stored
    bool serviceUnreachable = false;  // a request got no answer at all (connection, time-out)
    bool CacheUpdated() const { return tried && outcome == LatestConfigOutcome::Stored; }
};

DownloadReport DownloadLatestConfig(IHttpClient& http, const LatestConfigRequest& request);
// Against ConfigServiceBaseUrl() with the production time-outs; the flag, when
// given, cancels both the steps and a request under way.
DownloadReport DownloadLatestConfig(const std::wstring& languageCode, const std::wstring& cachePath,
                                    DocumentAcceptance accept, const std::atomic<bool>* cancel = nullptr);
