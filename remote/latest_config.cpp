#include "remote/latest_config.h"

#include <utility>

#include "remote/config_service.h"
#include "remote/server_time.h"
#include "shell/json.h"
#include "shell/log.h"
#include "shell/platform.h"
#include "shell/safe_files.h"
#include "shell/text_convert.h"

namespace {

constexpr char kLogTag[] = "CCheckHelper::GetLatestConfig";

std::string PercentEncoded(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        const bool unreserved = (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
                                (byte >= '0' && byte <= '9') || byte == '-' || byte == '.' ||
                                byte == '_' || byte == '~';
        if (unreserved) {
            encoded.push_back(c);
        } else {
            encoded.push_back('%');
            encoded.push_back(kHex[byte >> 4]);
            encoded.push_back(kHex[byte & 0x0F]);
        }
    }
    return encoded;
}

}  // namespace

std::string RuleSetRequestAddress(std::string_view baseUrl, const std::wstring& languageCode) {
    return RuleSetEndpointUrl(baseUrl) + "?language=" + PercentEncoded(WideToGbk(languageCode));
}

std::string DocumentUrlText(const Json::Value& url) {
    // The full value: a narrower conversion would throw for a large number.
    return JsonText(url, JsonIntegerWidth::Bits64).value_or("");
}

namespace {

// Collects the outcome of each step and writes its log line.
class CDownloadSteps {
public:
    CDownloadSteps() { report_.tried = true; }
    DownloadReport Fail(LatestConfigOutcome outcome, const wchar_t* step, const std::wstring& cause) {
        report_.outcome = outcome;
        report_.failure = std::wstring(step) + L": " + cause;
        return report_;
    }
    // A request that brought no answer: logged here with its cause.
    std::wstring RequestFailed(const wchar_t* what, HttpFailure failure) {
        if (failure == HttpFailure::CannotConnect || failure == HttpFailure::TimedOut) {
            report_.serviceUnreachable = true;
        }
        CCTLog::Instance().Log(LogLevel::Error, kLogTag, L"%ls request failed: %ls", what, HttpFailureText(failure));
        return HttpFailureText(failure);
    }
    // A download stopped by its cancel flag: one line naming the step it
    // stopped at, and nothing further is done.
    DownloadReport Cancelled(const wchar_t* step, const wchar_t* what) {
        const wchar_t* cause = HttpFailureText(HttpFailure::Cancelled);
        CCTLog::Instance().Log(LogLevel::Error, kLogTag, L"%ls failed: %ls", what, cause);
        return Fail(LatestConfigOutcome::Cancelled, step, cause);
    }
    DownloadReport Stored() {
        report_.outcome = LatestConfigOutcome::Stored;
        report_.failure.clear();
        return report_;
    }

private:
    DownloadReport report_;
};

std::wstring StatusText(long status) { return L"HTTP status " + std::to_wstring(status); }

// True once the caller wants the download to end: a request came back
// cancelled, or the flag went up while (or before) it ran through a client
// that does not watch it.
bool IsCancelled(const LatestConfigRequest& request, HttpFailure failure = HttpFailure::None) {
    return failure == HttpFailure::Cancelled ||
           (request.cancel != nullptr && request.cancel->load(std::memory_order_acquire));
}

}  // namespace

DownloadReport DownloadLatestConfig(IHttpClient& http, const LatestConfigRequest& request) {
    CDownloadSteps steps;
    const HttpDeadline deadline = std::chrono::steady_clock::now() + request.timeLimit;

    // Without the service's clock the PC clock signs the request.
    const ServerTimeAnswer time = RequestServerTime(http, request.baseUrl, deadline);
    if (IsCancelled(request, time.failure)) return steps.Cancelled(L"address", L"service time request");
    if (time.failure != HttpFailure::None) {
        steps.RequestFailed(L"service time", time.failure);
    } else if (!IsSuccessStatus(time.status)) {
        CCTLog::Instance().Log(LogLevel::Error, kLogTag, L"service time request answered %ls, using the PC clock",
                               StatusText(time.status).c_str());
    }
    const std::string signedAddress = AppendAccessToken(
        RuleSetRequestAddress(request.baseUrl, request.languageCode), time.time, request.baseUrl);
    HttpResponse answer = http.Get(signedAddress, deadline);
    if (IsCancelled(request, answer.failure)) return steps.Cancelled(L"address", L"config url request");
    std::wstring answerCause = L"not a JSON object";
    if (!answer.ok()) {
        answerCause = steps.RequestFailed(L"config url", answer.failure);
        answer.body.clear();
    } else if (!IsSuccessStatus(answer.status)) {
        answerCause = StatusText(answer.status);
    }

    Json::Value root;
    if (!ParseJson(TextUpToFirstZero(std::move(answer.body)), root) || (!root.isNull() && !root.isObject())) {
        CCTLog::Instance().Log(LogLevel::Error, kLogTag, L"read config url failed(json). ");
        return steps.Fail(LatestConfigOutcome::AnswerNotJson, L"address", answerCause);
    }
    const Json::Value& body = std::as_const(root)["body"];
    if (!body.isObject()) {
        CCTLog::Instance().Log(LogLevel::Error, kLogTag, L"get config url failed(json). ");
        return steps.Fail(LatestConfigOutcome::AnswerWithoutBody, L"address", L"no \"body\" object");
    }
    const std::string url = DocumentUrlText(body["url"]);
    if (url.empty()) {
        CCTLog::Instance().Log(LogLevel::Error, kLogTag, L"config url answer names no document.");
        return steps.Fail(LatestConfigOutcome::NoDocumentUrl, L"address", L"no document address");
    }

    HttpResponse download = http.Get(url, deadline);
    if (IsCancelled(request, download.failure)) return steps.Cancelled(L"document", L"config document request");
    if (!download.ok()) {
        const std::wstring cause = steps.RequestFailed(L"config document", download.failure);
        return steps.Fail(LatestConfigOutcome::DocumentNotLoaded, L"document", cause);
    }
    const std::string document = TextUpToFirstZero(std::move(download.body));
    // An error page or a captive portal's answer must not destroy a good cache.
    if (!IsSuccessStatus(download.status)) {
        CCTLog::Instance().Log(LogLevel::Error, kLogTag, L"config document answered status %ld, cache kept. url=%ls",
                               download.status, Utf8ToWide(url).c_str());
        return steps.Fail(LatestConfigOutcome::DocumentRejected, L"document", StatusText(download.status));
    }
    if (document.empty()) {
        CCTLog::Instance().Log(LogLevel::Error, kLogTag, L"config document is empty, cache kept. url=%ls", Utf8ToWide(url).c_str());
        return steps.Fail(LatestConfigOutcome::DocumentNotLoaded, L"document", L"empty");
    }
    if (!request.accept || !request.accept(document)) {
        CCTLog::Instance().Log(LogLevel::Error, kLogTag, L"config document is not a rule set, cache kept. url=%ls",
                               Utf8ToWide(url).c_str());
        return steps.Fail(LatestConfigOutcome::DocumentRejected, L"document", L"not a rule set");
    }
    // The flag may have gone up after the last byte arrived: the cache is
    // still left alone.
    if (IsCancelled(request)) return steps.Cancelled(L"cache", L"cache write");
    if (!ReplaceFileAtomically(request.cachePath, document)) {
        const std::wstring cause = SystemErrorText(LastSystemError());
        CCTLog::Instance().Log(LogLevel::Error, kLogTag, L"cannot write the rule-set cache (%ls): %ls", cause.c_str(),
                               request.cachePath.c_str());
        return steps.Fail(LatestConfigOutcome::CacheNotWritten, L"cache", cause);
    }
    return steps.Stored();
}

DownloadReport DownloadLatestConfig(const std::wstring& languageCode, const std::wstring& cachePath,
                                    DocumentAcceptance accept, const std::atomic<bool>* cancel) {
    HttpClientOptions options;
    options.cancel = cancel;
    const auto http = CreateHttpClient(options);
    LatestConfigRequest request{ConfigServiceBaseUrl(), languageCode, cachePath, std::move(accept)};
    request.cancel = cancel;
    return DownloadLatestConfig(*http, request);
}
