// WinINet client. InternetOpenW with INTERNET_OPEN_TYPE_PRECONFIG takes the
// proxy settings the user made for the system (Internet Options), which is
// what the system proxy settings are on Windows.
//
// WinINet's synchronous calls block, and its own time-outs are not kept
// everywhere (the connect time-out is ignored by some versions). So each
// request runs on a transfer thread of its own while the calling thread
// waits, looking at the cancel flag and the time limit every
// kHttpCancelPollInterval. When either fires, the caller closes the request's
// handles, which makes WinINet end a blocked call on the transfer thread, and
// returns at once; the transfer thread finishes on its own and only ever
// touches the state it shares with the caller, which it co-owns. Its handle
// goes to the abandoned transfers, which the process waits for as it ends.
//
// Redirects are followed here, not by WinINet, which follows any number of
// them: at most kHttpMaxRedirects, and only to http and https addresses.
#include <windows.h>
#include <process.h>
#include <wininet.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "remote/http_client.h"
#include "shell/scoped_handle_win.h"
#include "shell/text_convert.h"
#include "shell/text_util.h"

namespace {

// One WinINet handle (a session or a request).
using CInternetHandle = ScopedHandle<NullableHandleTraits<HINTERNET, &InternetCloseHandle>>;

// Bytes asked for per InternetReadFile call.
constexpr DWORD kReadChunkBytes = 1023;

// Always from the network: WinINet would otherwise answer a repeated request
// (the service time above all) from its URL cache, and the document must be
// the one the service holds now. Redirects come back as answers, so that
// RunTransfer follows them itself.
constexpr DWORD kOpenUrlFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_AUTO_REDIRECT;

HttpFailure FailureOfError(DWORD error) {
    switch (error) {
        case ERROR_INTERNET_NAME_NOT_RESOLVED:
        case ERROR_INTERNET_CANNOT_CONNECT:
            return HttpFailure::CannotConnect;
        case ERROR_INTERNET_TIMEOUT:
            return HttpFailure::TimedOut;
        case ERROR_INTERNET_INVALID_URL:
        case ERROR_INTERNET_UNRECOGNIZED_SCHEME:
            return HttpFailure::BadAddress;
        case ERROR_INTERNET_OPERATION_CANCELLED:
            return HttpFailure::Cancelled;
        default:
            return HttpFailure::TransferFailed;
    }
}

// An option WinINet refuses leaves its default; the caller's wait still
// bounds the request.
void SetTimeoutOption(HINTERNET handle, DWORD option, std::chrono::milliseconds value) {
    DWORD milliseconds = static_cast<DWORD>(std::clamp<long long>(value.count(), 1, MAXDWORD));
    InternetSetOptionW(handle, option, &milliseconds, sizeof milliseconds);
}

std::optional<DWORD> StatusCode(HINTERNET request) {
    DWORD status = 0;
    DWORD length = sizeof status;
    if (!HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &length, nullptr)) {
        return std::nullopt;
    }
    return status;
}

// The announced body length, read as text so that lengths beyond 32 bits are
// seen as what they are; none when the answer announces none.
std::optional<uint64_t> AnnouncedLength(HINTERNET request) {
    wchar_t text[32] = {};
    DWORD length = sizeof text - sizeof(wchar_t);  // in bytes; the last character stays zero
    if (!HttpQueryInfoW(request, HTTP_QUERY_CONTENT_LENGTH, text, &length, nullptr)) return std::nullopt;
    // The returned length's unit differs between WinINet versions; the zero does not.
    const DecimalScan scan = ScanLeadingDecimal(std::wstring_view(text), kSpaceTab);
    if (!scan.HasDigits() || scan.negative) return std::nullopt;
    return scan.magnitude;  // held at UINT64_MAX beyond it
}

// A header's text; none when the answer has no such header.
std::optional<std::wstring> HeaderText(HINTERNET request, DWORD header) {
    DWORD needed = 0;
    if (HttpQueryInfoW(request, header, nullptr, &needed, nullptr) || GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
        return std::nullopt;
    }
    // The length comes in bytes or characters depending on the WinINet
    // version; room for either, and the text ends at its zero.
    std::wstring text(static_cast<size_t>(needed) + 1, L'\0');
    DWORD length = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    if (!HttpQueryInfoW(request, header, text.data(), &length, nullptr)) return std::nullopt;
    text.resize(text.find(L'\0'));
    return text;
}

// The Location of a redirect to follow; none for any other answer.
std::optional<std::wstring> RedirectLocation(HINTERNET request) {
    const std::optional<DWORD> status = StatusCode(request);
    if (!status || !IsFollowedRedirect(static_cast<long>(*status))) return std::nullopt;
    return HeaderText(request, HTTP_QUERY_LOCATION);
}

// What the calling thread and the transfer thread share. The transfer thread
// may outlive the call (a cancelled request returns at once), so both hold it
// by shared_ptr. The handles are closed exactly once, under the lock, by the
// side that ends the request: the transfer thread when it is done, the caller
// when it gives up. After giving up no WinINet call is made with them.
struct CTransferState {
    // Set before the transfer thread starts, read only after.
    std::string url;  // the address asked for, before any redirect
    size_t limit = 0;         // the body cap, or the prefix length
    bool prefixOnly = false;  // keep the first `limit` bytes and stop there

    std::mutex lock;  // guards everything below
    std::condition_variable finishedChanged;
    bool finished = false;   // the transfer thread has stored its result
    bool abandoned = false;  // the caller gave up and closed the handles
    CInternetHandle session;
    CInternetHandle request;
    HttpResponse result;

    // The request handle for the next call that may wait, or null once the
    // caller gave up.
    HINTERNET ActiveRequest() {
        const std::lock_guard<std::mutex> guard(lock);
        return abandoned ? nullptr : request.Get();
    }

    // Runs `query` with the request handle, under the lock so that the caller
    // cannot close it meanwhile; only for calls that do not wait. False once
    // the caller gave up.
    template <typename Query>
    bool QueryRequest(Query&& query) {
        const std::lock_guard<std::mutex> guard(lock);
        if (abandoned) return false;
        query(request.Get());
        return true;
    }

    // The transfer thread's end: the handles are closed and the result handed over.
    void Finish(HttpResponse response) {
        {
            const std::lock_guard<std::mutex> guard(lock);
            if (abandoned) return;
            request.Reset();  // the request first, then the session it belongs to
            session.Reset();
            result = std::move(response);
            finished = true;
        }
        finishedChanged.notify_all();
    }

    // The caller's end, with the lock held: closing the handles makes WinINet
    // end whatever call the transfer thread is blocked in.
    void Abandon() {
        abandoned = true;
        request.Reset();
        session.Reset();
    }
};

// The status of an answer whose headers have arrived, or why it is refused.
// These queries read what WinINet holds already; none of them waits.
HttpResponse AnswerHead(HINTERNET request, const CTransferState& state) {
    const std::optional<DWORD> status = StatusCode(request);
    if (!status) return FailedHttpResponse(HttpFailure::TransferFailed);
    if (!state.prefixOnly) {
        // Refuses an announced oversize body before any of it arrives.
        const std::optional<uint64_t> announced = AnnouncedLength(request);
        if (announced && *announced > state.limit) return FailedHttpResponse(HttpFailure::TooLarge);
    }
    HttpResponse head;
    head.status = static_cast<long>(*status);
    return head;
}

HttpResponse ReadAnswer(CTransferState& state) {
    HttpResponse response;
    const bool active = state.QueryRequest([&](HINTERNET request) { response = AnswerHead(request, state); });
    if (!active) return FailedHttpResponse(HttpFailure::Cancelled);
    if (!response.ok()) return response;

    char buffer[kReadChunkBytes];
    while (!state.prefixOnly || response.body.size() < state.limit) {
        DWORD wanted = kReadChunkBytes;
        if (state.prefixOnly) wanted = static_cast<DWORD>(std::min<size_t>(wanted, state.limit - response.body.size()));
        // Looked up again before every read: after the caller gave up the
        // handle is closed and its value may already name another request's.
        const HINTERNET request = state.ActiveRequest();
        if (request == nullptr) return FailedHttpResponse(HttpFailure::Cancelled);
        DWORD got = 0;
        if (!InternetReadFile(request, buffer, wanted, &got)) return FailedHttpResponse(FailureOfError(GetLastError()));
        if (got == 0) break;  // the end of the body
        if (!state.prefixOnly && got > state.limit - response.body.size()) {
            return FailedHttpResponse(HttpFailure::TooLarge);
        }
        response.body.append(buffer, got);
    }
    // A prefix that is complete leaves the rest of the body unread; closing
    // the request drops it.
    return response;
}

// The threads of requests whose callers gave up on them.
class CAbandonedTransfers {
public:
    static CAbandonedTransfers& Instance() {
        static CAbandonedTransfers instance;
        return instance;
    }

    // Forgets the threads that have ended meanwhile.
    void Add(CKernelHandle thread) {
        const std::lock_guard<std::mutex> guard(lock_);
        std::erase_if(threads_, [](const CKernelHandle& t) { return WaitForSingleObject(t.Get(), 0) == WAIT_OBJECT_0; });
        threads_.push_back(std::move(thread));
    }

    bool WaitAll(std::chrono::milliseconds limit) {
        const auto giveUpAt = std::chrono::steady_clock::now() + limit;
        const std::lock_guard<std::mutex> guard(lock_);
        while (!threads_.empty()) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                giveUpAt - std::chrono::steady_clock::now());
            const DWORD waitMs = static_cast<DWORD>(std::max<long long>(left.count(), 0));
            if (WaitForSingleObject(threads_.back().Get(), waitMs) != WAIT_OBJECT_0) return false;
            threads_.pop_back();
        }
        return true;
    }

    // Runs among the process's last destructors: a moment for the threads
    // still inside WinINet, then the process ends whatever they do.
    ~CAbandonedTransfers() { WaitAll(kWaitAtExit); }

private:
    CAbandonedTransfers() = default;

    static constexpr std::chrono::milliseconds kWaitAtExit{1'000};

    std::mutex lock_;
    std::vector<CKernelHandle> threads_;
};

// The transfer thread: opens the address, follows its redirects, reads the
// answer, hands it over.
void RunTransfer(const std::shared_ptr<CTransferState>& state) {
    std::string address = state->url;
    for (int redirects = 0;; ++redirects) {
        HINTERNET session = nullptr;
        {
            const std::lock_guard<std::mutex> guard(state->lock);
            if (state->abandoned) return;
            state->request.Reset();  // the redirect answered by the previous address
            session = state->session.Get();
        }
        // Returns once the answer's headers have arrived.
        const HINTERNET opened = InternetOpenUrlW(session, Utf8ToWide(address).c_str(), nullptr, 0, kOpenUrlFlags, 0);
        const DWORD openError = opened == nullptr ? GetLastError() : ERROR_SUCCESS;
        {
            const std::lock_guard<std::mutex> guard(state->lock);
            // Closing the session closed every handle below it, this one too;
            // its value is not used again, as it may be another request's by now.
            if (state->abandoned) return;
            state->request = CInternetHandle(opened);
        }
        if (opened == nullptr) {
            state->Finish(FailedHttpResponse(FailureOfError(openError)));
            return;
        }
        std::optional<std::wstring> location;
        if (!state->QueryRequest([&](HINTERNET request) { location = RedirectLocation(request); })) return;
        if (!location) break;
        if (redirects == kHttpMaxRedirects) {
            state->Finish(FailedHttpResponse(HttpFailure::TooManyRedirects));
            return;
        }
        // A local file or another protocol is refused, as curl refuses it.
        address = ResolveRedirectTarget(address, WideToUtf8(*location));
        if (!HasHttpScheme(address)) {
            state->Finish(FailedHttpResponse(HttpFailure::BadAddress));
            return;
        }
    }
    state->Finish(ReadAnswer(*state));
}

unsigned __stdcall TransferThreadMain(void* context) {
    const std::unique_ptr<std::shared_ptr<CTransferState>> state(static_cast<std::shared_ptr<CTransferState>*>(context));
    RunTransfer(*state);
    return 0;
}

// The thread's handle, or none when no thread could start.
CKernelHandle StartTransferThread(const std::shared_ptr<CTransferState>& state) {
    auto context = std::make_unique<std::shared_ptr<CTransferState>>(state);
    const uintptr_t thread = _beginthreadex(nullptr, 0, TransferThreadMain, context.get(), 0, nullptr);
    if (thread == 0) return CKernelHandle();
    context.release();  // the thread owns it now
    return CKernelHandle(reinterpret_cast<HANDLE>(thread));
}

class CWinInetHttpClient final : public IHttpClient {
public:
    explicit CWinInetHttpClient(const HttpClientOptions& options) : options_(options) {}

    HttpResponse Get(const std::string& url, HttpDeadline deadline) override {
        return Perform(url, options_.maxBodyBytes, false, deadline);
    }

    HttpResponse GetPrefix(const std::string& url, size_t maxBytes, HttpDeadline deadline) override {
        return Perform(url, maxBytes, true, deadline);
    }

private:
    HttpResponse Perform(const std::string& url, size_t limit, bool prefixOnly, HttpDeadline deadline) const {
        const HttpRequestStart start = StartHttpRequest(url, options_, deadline);
        if (start.failure != HttpFailure::None) return FailedHttpResponse(start.failure);
        const auto giveUpAt = std::chrono::steady_clock::now() + start.timeLimit;

        auto state = std::make_shared<CTransferState>();
        state->url = url;
        state->limit = limit;
        state->prefixOnly = prefixOnly;
        const std::wstring userAgent = Utf8ToWide(kHttpUserAgent);
        state->session = CInternetHandle(
            InternetOpenW(userAgent.c_str(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
        if (!state->session) return FailedHttpResponse(HttpFailure::TransferFailed);
        // Handles opened below the session take these over. The receive and
        // send time-outs hold for each network wait; the whole request is
        // bounded by the wait below.
        HINTERNET session = state->session.Get();
        SetTimeoutOption(session, INTERNET_OPTION_CONNECT_TIMEOUT, std::min(options_.connectTimeout, start.timeLimit));
        SetTimeoutOption(session, INTERNET_OPTION_RECEIVE_TIMEOUT, start.timeLimit);
        SetTimeoutOption(session, INTERNET_OPTION_SEND_TIMEOUT, start.timeLimit);

        CKernelHandle thread = StartTransferThread(state);
        if (!thread) return FailedHttpResponse(HttpFailure::TransferFailed);

        std::unique_lock<std::mutex> guard(state->lock);
        for (;;) {
            if (state->finished) {
                HttpResponse result = std::move(state->result);
                guard.unlock();
                // Finished is the thread's last act; its end is a moment away.
                WaitForSingleObject(thread.Get(), INFINITE);
                return result;
            }
            const bool cancelled = IsHttpCancelRaised(options_.cancel);
            if (cancelled || std::chrono::steady_clock::now() >= giveUpAt) {
                state->Abandon();
                guard.unlock();
                CAbandonedTransfers::Instance().Add(std::move(thread));
                return FailedHttpResponse(cancelled ? HttpFailure::Cancelled : HttpFailure::TimedOut);
            }
            const auto now = std::chrono::steady_clock::now();
            state->finishedChanged.wait_for(guard, std::min<std::chrono::steady_clock::duration>(
                                                       kHttpCancelPollInterval, giveUpAt - now));
        }
    }

    HttpClientOptions options_;
};

}  // namespace

std::unique_ptr<IHttpClient> CreateHttpClient(const HttpClientOptions& options) {
    return std::make_unique<CWinInetHttpClient>(options);
}

bool WaitForAbandonedHttpTransfers(std::chrono::milliseconds limit) {
    return CAbandonedTransfers::Instance().WaitAll(limit);
}
