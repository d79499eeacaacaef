// libcurl client. curl reads the usual proxy variables (http_proxy,
// https_proxy, all_proxy, no_proxy) on every transfer, which is what the
// system proxy settings are on Linux.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>

#include "remote/curl_library_linux.h"
#include "remote/http_client.h"

namespace {

struct EasyCleanup {
    const CurlLibrary* curl;
    void operator()(CURL* handle) const { curl->easy_cleanup(handle); }
};
using EasyHandle = std::unique_ptr<CURL, EasyCleanup>;

struct MultiCleanup {
    const CurlLibrary* curl;
    void operator()(CURLM* handle) const { curl->multi_cleanup(handle); }
};
using MultiHandle = std::unique_ptr<CURLM, MultiCleanup>;

// An easy handle taking part in a multi handle's transfers, taken out again
// on every path (before either handle is cleaned up).
class CAttachedTransfer {
public:
    CAttachedTransfer(const CurlLibrary& curl, CURLM* multi, CURL* easy)
        : curl_(curl), multi_(multi), easy_(easy), attached_(curl.multi_add_handle(multi, easy) == CURLM_OK) {}
    ~CAttachedTransfer() {
        if (attached_) curl_.multi_remove_handle(multi_, easy_);
    }
    CAttachedTransfer(const CAttachedTransfer&) = delete;
    CAttachedTransfer& operator=(const CAttachedTransfer&) = delete;
    bool IsAttached() const { return attached_; }

private:
    const CurlLibrary& curl_;
    CURLM* multi_;
    CURL* easy_;
    bool attached_;
};

// The waits for network activity are cut into polls of
// kHttpCancelPollInterval: curl's own progress callback comes only about once
// a second while a request waits to connect or for its first byte.
constexpr int kCancelPollMs = static_cast<int>(kHttpCancelPollInterval.count());

// Aborts a transfer from inside curl (CURLE_ABORTED_BY_CALLBACK) as soon as
// the flag is seen, even in the middle of a long run of reads.
int AbortWhenCancelled(void* context, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return IsHttpCancelRaised(static_cast<const std::atomic<bool>*>(context)) ? 1 : 0;
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
        case CURLE_ABORTED_BY_CALLBACK:
            return HttpFailure::Cancelled;
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
        case CURLE_TOO_MANY_REDIRECTS:
            return HttpFailure::TooManyRedirects;
        default:
            return HttpFailure::TransferFailed;
    }
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
    HttpResponse Perform(const std::string& url, BodySink& sink, HttpDeadline deadline) const {
        const HttpRequestStart start = StartHttpRequest(url, options_, deadline);
        if (start.failure != HttpFailure::None) return FailedHttpResponse(start.failure);
        const std::chrono::milliseconds limit = start.timeLimit;
        const CurlLibrary* lib = OpenCurlLibrary();
        if (lib == nullptr) return FailedHttpResponse(HttpFailure::TransferFailed);
        const EasyHandle handle(lib->easy_init(), EasyCleanup{lib});
        if (!handle) return FailedHttpResponse(HttpFailure::TransferFailed);
        CURL* curl = handle.get();
        lib->easy_setopt(curl, CURLOPT_URL, url.c_str());
        lib->easy_setopt(curl, CURLOPT_HTTPGET, 1L);
        lib->easy_setopt(curl, CURLOPT_USERAGENT, kHttpUserAgent);
        // Worker threads: time-outs must not rely on signals.
        lib->easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
        lib->easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS,
                         static_cast<long>(std::min(options_.connectTimeout, limit).count()));
        lib->easy_setopt(curl, CURLOPT_TIMEOUT_MS, static_cast<long>(limit.count()));
        // Redirects are followed, as many as the Windows client follows, but
        // only over HTTP: an address handed out by the service must never make
        // the program read a local file or speak another protocol.
        lib->easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
        lib->easy_setopt(curl, CURLOPT_MAXREDIRS, static_cast<long>(kHttpMaxRedirects));
        lib->easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
        lib->easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
        if (!sink.prefixOnly) {
            // Refuses an announced oversize body before any of it arrives.
            lib->easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(sink.limit));
        }
        lib->easy_setopt(curl, CURLOPT_WRITEFUNCTION, &WriteBody);
        lib->easy_setopt(curl, CURLOPT_WRITEDATA, &sink);
        if (options_.cancel != nullptr) {
            lib->easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
            lib->easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &AbortWhenCancelled);
            lib->easy_setopt(curl, CURLOPT_XFERINFODATA, options_.cancel);
            // A cancelled (or timed-out) request must not wait at clean-up
            // for a name look-up still under way in curl's resolver thread;
            // that thread is left to finish on its own.
            lib->easy_setopt(curl, CURLOPT_QUICK_EXIT, 1L);
        }

        const CURLcode result = RunTransfer(*lib, curl);
        const bool stoppedAfterPrefix = result == CURLE_WRITE_ERROR && sink.prefixComplete;
        if (result != CURLE_OK && !stoppedAfterPrefix) return FailedHttpResponse(FailureOf(result, sink));

        HttpResponse response;
        lib->easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &response.status);
        response.body = std::move(sink.body);
        return response;
    }

    // curl_easy_perform, but with the waits cut into short polls so that a
    // raised cancel flag ends the request at once. curl's own time-outs still
    // apply: a poll returns early when one of its timers falls due.
    CURLcode RunTransfer(const CurlLibrary& lib, CURL* curl) const {
        const MultiHandle multi(lib.multi_init(), MultiCleanup{&lib});
        if (!multi) return CURLE_OUT_OF_MEMORY;
        const CAttachedTransfer transfer(lib, multi.get(), curl);
        if (!transfer.IsAttached()) return CURLE_FAILED_INIT;
        for (;;) {
            if (IsHttpCancelRaised(options_.cancel)) return CURLE_ABORTED_BY_CALLBACK;
            int running = 0;
            if (lib.multi_perform(multi.get(), &running) != CURLM_OK) return CURLE_FAILED_INIT;
            if (running == 0) break;
            if (lib.multi_poll(multi.get(), nullptr, 0, kCancelPollMs, nullptr) != CURLM_OK) return CURLE_FAILED_INIT;
        }
        int queued = 0;
        while (const CURLMsg* message = lib.multi_info_read(multi.get(), &queued)) {
            if (message->msg == CURLMSG_DONE && message->easy_handle == curl) return message->data.result;
        }
        return CURLE_FAILED_INIT;
    }

    HttpClientOptions options_;
};

}  // namespace

// A curl request runs on its caller's thread and leaves nothing behind.
bool WaitForAbandonedHttpTransfers(std::chrono::milliseconds) { return true; }

std::unique_ptr<IHttpClient> CreateHttpClient(const HttpClientOptions& options) {
    return std::make_unique<CCurlHttpClient>(options);
}
