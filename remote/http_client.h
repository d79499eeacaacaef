#pragma once
// Plain HTTP GET for the configuration-service requests. One implementation
// per platform (http_client_linux.cpp: libcurl; http_client_win.cpp: WinINet),
// both using the system's proxy settings and the user agent "Sorvik".

#include <atomic>
#include <chrono>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

inline constexpr char kHttpUserAgent[] = "Sorvik";

struct HttpClientOptions {
    // Without these a dead network would hold a check for minutes; with them
    // every request, and so every check, ends.
    std::chrono::milliseconds connectTimeout{10'000};
    std::chrono::milliseconds totalTimeout{30'000};
    // A whole-body answer larger than this is a failed request: no rule-set
    // document comes near it, and it bounds what one answer can take.
    size_t maxBodyBytes = 8u * 1024u * 1024u;
    // While a request waits, raising this flag (from any thread) ends it
    // within a fraction of a second as Cancelled: a window that closes must
    // not wait for a service that accepted the connection and stays silent.
    // Not owned; it must outlive the client. Null: requests cannot be cancelled.
    const std::atomic<bool>* cancel = nullptr;
};

// Why a request brought no answer.
enum class HttpFailure {
    None,
    BadAddress,      // not an http(s) address
    CannotConnect,   // no such host, or nobody listening
    TimedOut,        // the request's own limit or the caller's deadline passed
    TooLarge,        // the body exceeds maxBodyBytes
    TransferFailed,  // the connection broke or the answer was not HTTP
    Cancelled,       // the options' cancel flag was raised
    TooManyRedirects,  // more than kHttpMaxRedirects redirects for one request
};
// "timed out", "cannot connect", "cancelled", ... for log lines and messages.
const wchar_t* HttpFailureText(HttpFailure failure);

struct HttpResponse {
    HttpFailure failure = HttpFailure::None;
    long status = 0;   // the HTTP status of the (last, after redirects) answer
    std::string body;  // the body bytes as received, zero bytes included
    bool ok() const { return failure == HttpFailure::None; }
};

// A point in time after which a request is given up, whatever its own limit.
using HttpDeadline = std::chrono::steady_clock::time_point;
inline constexpr HttpDeadline kNoHttpDeadline = HttpDeadline::max();

class IHttpClient {
public:
    virtual ~IHttpClient() = default;

    // The whole body. Fails when the address does not open, the transfer
    // breaks or times out, or the body exceeds maxBodyBytes.
    virtual HttpResponse Get(const std::string& url, HttpDeadline deadline = kNoHttpDeadline) = 0;

    // Only the first maxBytes bytes of the body; the rest is not waited for.
    // A longer body is not a failure here.
    virtual HttpResponse GetPrefix(const std::string& url, size_t maxBytes,
                                   HttpDeadline deadline = kNoHttpDeadline) = 0;
};

std::unique_ptr<IHttpClient> CreateHttpClient(const HttpClientOptions& options = {});

// Waits up to `limit` for the transfers that cancelled or timed-out requests
// left running, true once none is left. Only WinINet leaves any (Wine does
// not end a blocked call when its handles close); a thread that ends while
// the process tears WinINet and the C runtime down can crash it on its way
// out, so the process also waits a moment for them as it ends.
bool WaitForAbandonedHttpTransfers(std::chrono::milliseconds limit);

// A plain GET of the whole body as text, the body ending at its first zero
// byte. Empty when the request fails. The HTTP status is not examined: an
// error page's body is returned like any answer.
std::string HttpGetText(IHttpClient& http, const std::string& address, HttpDeadline deadline = kNoHttpDeadline);
// The same through a client with the production time-outs.
std::string HttpGetText(const std::string& address);

// True for a 2xx status: the answer carries what was asked for.
inline bool IsSuccessStatus(long status) { return status >= 200 && status < 300; }

// The text a C string of the body would hold: everything before the first zero.
std::string TextUpToFirstZero(std::string body);

// What both platform clients share: the checks every request starts with and
// the pace at which a waiting request looks at its cancel flag.

// How long one wait for the network lasts before the cancel flag is looked
// at again; it bounds the delay between a raised flag and the end of a request.
inline constexpr std::chrono::milliseconds kHttpCancelPollInterval{50};

bool IsHttpCancelRaised(const std::atomic<bool>* cancel);

// Only explicit http:// or https:// addresses (ASCII case ignored): curl
// would guess a scheme for "12345" or "example.com", and neither client may
// read a local file or speak another protocol for an address the service
// hands out.
bool HasHttpScheme(std::string_view url);

HttpResponse FailedHttpResponse(HttpFailure failure);

// A request follows at most this many redirects; a further one fails it as
// TooManyRedirects. A service that sends a client round in circles must not
// hold it until its time-out.
inline constexpr int kHttpMaxRedirects = 5;

// The redirect statuses whose Location a request follows.
bool IsFollowedRedirect(long status);

// The address a redirect's Location names, resolved against the address that
// answered it as a browser does: an absolute address as it is, then
// "//host/path", "/path", "?query" and paths relative to the base's folder,
// with "." and ".." segments removed; the fragment is dropped. Empty for an
// empty Location or a base without scheme and host. Whether the result may
// be opened is HasHttpScheme's to say.
std::string ResolveRedirectTarget(std::string_view base, std::string_view location);

// Whether a request may start, and how long it may take then: the options'
// total time-out, cut short by the caller's deadline. A failure (BadAddress,
// Cancelled, TimedOut for a passed deadline) means nothing is sent.
struct HttpRequestStart {
    HttpFailure failure = HttpFailure::None;
    std::chrono::milliseconds timeLimit{0};  // at least 1 ms when failure is None
};
HttpRequestStart StartHttpRequest(const std::string& url, const HttpClientOptions& options, HttpDeadline deadline);
