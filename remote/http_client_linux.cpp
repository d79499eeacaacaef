// libcurl client. curl reads the usual proxy variables (http_proxy,
// https_proxy, all_proxy, no_proxy) on every transfer, which is what the
// system proxy settings are on Linux.
#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <mutex>
#include <optional>
#include <string_view>

#include "remote/http_client.h"
#include "shell/text_util.h"

namespace {

struct EasyCleanup {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
using EasyHandle = std::unique_ptr<CURL, EasyCleanup>;

bool EnsureCurlInitialised() {
    static std::once_flag once;
    static CURLcode result = CURLE_FAILED_INIT;
    std::call_once(once, [] { result = curl_global_init(CURL_GLOBAL_DEFAULT); });
    return result == CURLE_OK;
}

struct BodySink {
    std::string body;
    size_t limit = 0;
    bool prefixOnly = false;  // keep the first `limit` bytes and stop there
    bool prefixComplete = false;
    bool overCap = false;
};

HttpFailure FailureOf(CURLcode result, const BodySink& sink) {
    switch (result) {
        case CURLE_OPERATION_TIMEDOUT:
            return HttpFailure::TimedOut;
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_RESOLVE_PROXY:
        case CURLE_COULDNT_CONNECT:
            return HttpFailure::CannotConnect;
        case CURLE_FILESIZE_EXCEEDED:
            return HttpFailure::TooLarge;
        case CURLE_UNSUPPORTED_PROTOCOL:
        case CURLE_URL_MALFORMAT:
            return HttpFailure::BadAddress;
        case CURLE_WRITE_ERROR:
            return sink.overCap ? HttpFailure::TooLarge : HttpFailure::TransferFailed;
        default:
            return HttpFailure::TransferFailed;
    }
}

HttpResponse Failed(HttpFailure failure) {
    HttpResponse response;
    response.failure = failure;
    return response;
}

// Only explicit HTTP addresses: curl would guess a scheme for "12345" or
// "example.com" where the Windows HTTP stack refuses them.
bool HasHttpScheme(const std::string& url) {
    return StartsWithIgnoreAsciiCase(url, "http://") || StartsWithIgnoreAsciiCase(url, "https://");
}

size_t WriteBody(char* data, size_t size, size_t count, void* context) {
    auto& sink = *static_cast<BodySink*>(context);
    const size_t bytes = size * count;
    const size_t room = sink.limit - sink.body.size();
    if (sink.prefixOnly) {
        sink.body.append(data, bytes < room ? bytes : room);
        if (sink.body.size() < sink.limit) return bytes;
        // Enough: a short count makes curl end the transfer now rather than
        // wait for a body we would not read.
        sink.prefixComplete = true;
        return 0;
    }
    if (bytes > room) {  // over the cap: the request fails
        sink.overCap = true;
        return 0;
    }
    sink.body.append(data, bytes);
    return bytes;
}

class CCurlHttpClient final : public IHttpClient {
public:
    explicit CCurlHttpClient(const HttpClientOptions& options) : options_(options) {}

    HttpResponse Get(const std::string& url, HttpDeadline deadline) override {
        BodySink sink;
        sink.limit = options_.maxBodyBytes;
        return Perform(url, sink, deadline);
    }

    HttpResponse GetPrefix(const std::string& url, size_t maxBytes, HttpDeadline deadline) override {
        BodySink sink;
        sink.limit = maxBytes;
        sink.prefixOnly = true;
        return Perform(url, sink, deadline);
    }

private:
    // The request's own limit, cut short by the caller's deadline.
    std::optional<std::chrono::milliseconds> TimeLimit(HttpDeadline deadline) const {
        if (deadline == kNoHttpDeadline) return options_.totalTimeout;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left <= std::chrono::milliseconds(0)) return std::nullopt;
        return std::min(left, options_.totalTimeout);
    }

    HttpResponse Perform(const std::string& url, BodySink& sink, HttpDeadline deadline) const {
        if (!HasHttpScheme(url)) return Failed(HttpFailure::BadAddress);
        const auto limit = TimeLimit(deadline);
        if (!limit) return Failed(HttpFailure::TimedOut);
        if (!EnsureCurlInitialised()) return Failed(HttpFailure::TransferFailed);
        const EasyHandle handle(curl_easy_init());
        if (!handle) return Failed(HttpFailure::TransferFailed);
        CURL* curl = handle.get();
        curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
        curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
        curl_easy_setopt(curl, CURLOPT_USERAGENT, kHttpUserAgent);
        // Worker threads: time-outs must not rely on signals.
        curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS,
                         static_cast<long>(std::min(options_.connectTimeout, *limit).count()));
        curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, static_cast<long>(std::max<long long>(limit->count(), 1)));
        // Redirects are followed, as the Windows HTTP stack does, but only
        // over HTTP: an address handed out by the service must never make the
        // program read a local file or speak another protocol.
        curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
        curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 10L);
        curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
        if (!sink.prefixOnly) {
            // Refuses an announced oversize body before any of it arrives.
            curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(sink.limit));
        }
        curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &WriteBody);
        curl_easy_setopt(curl, CURLOPT_WRITEDATA, &sink);

        const CURLcode result = curl_easy_perform(curl);
        const bool stoppedAfterPrefix = result == CURLE_WRITE_ERROR && sink.prefixComplete;
        if (result != CURLE_OK && !stoppedAfterPrefix) return Failed(FailureOf(result, sink));

        HttpResponse response;
        curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &response.status);
        response.body = std::move(sink.body);
        return response;
    }

    HttpClientOptions options_;
};

}  // namespace

std::unique_ptr<IHttpClient> CreateHttpClient(const HttpClientOptions& options) {
    return std::make_unique<CCurlHttpClient>(options);
}
