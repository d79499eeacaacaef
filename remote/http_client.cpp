#include "remote/http_client.h"

#include <algorithm>
#include <vector>

#include "shell/text_util.h"

std::string TextUpToFirstZero(std::string body) {
    const size_t zero = body.find('\0');
    if (zero != std::string::npos) body.resize(zero);
    return body;
}

const wchar_t* HttpFailureText(HttpFailure failure) {
    switch (failure) {
        case HttpFailure::None: return L"no failure";
        case HttpFailure::BadAddress: return L"not an http address";
        case HttpFailure::CannotConnect: return L"cannot connect";
        case HttpFailure::TimedOut: return L"timed out";
        case HttpFailure::TooLarge: return L"answer too large";
        case HttpFailure::TransferFailed: return L"transfer failed";
        case HttpFailure::Cancelled: return L"cancelled";
        case HttpFailure::TooManyRedirects: return L"too many redirects";
    }
    return L"transfer failed";
}

std::string HttpGetText(IHttpClient& http, const std::string& address, HttpDeadline deadline) {
    HttpResponse response = http.Get(address, deadline);
    if (!response.ok()) return {};
    // Cut once over the whole body, not per network read, so a zero byte ends
    // the text instead of splicing the following reads onto what preceded it.
    return TextUpToFirstZero(std::move(response.body));
}

std::string HttpGetText(const std::string& address) {
    const auto http = CreateHttpClient();
    return HttpGetText(*http, address);
}

bool IsHttpCancelRaised(const std::atomic<bool>* cancel) {
    return cancel != nullptr && cancel->load(std::memory_order_acquire);
}

bool HasHttpScheme(std::string_view url) {
    return StartsWithIgnoreAsciiCase(url, "http://") || StartsWithIgnoreAsciiCase(url, "https://");
}

HttpResponse FailedHttpResponse(HttpFailure failure) {
    HttpResponse response;
    response.failure = failure;
    return response;
}

HttpRequestStart StartHttpRequest(const std::string& url, const HttpClientOptions& options, HttpDeadline deadline) {
    HttpRequestStart start;
    if (!HasHttpScheme(url)) {
        start.failure = HttpFailure::BadAddress;
        return start;
    }
    if (IsHttpCancelRaised(options.cancel)) {
        start.failure = HttpFailure::Cancelled;
        return start;
    }
    start.timeLimit = std::max(options.totalTimeout, std::chrono::milliseconds(1));
    if (deadline == kNoHttpDeadline) return start;
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    // A deadline already passed sends nothing.
    if (left <= std::chrono::milliseconds(0)) start.failure = HttpFailure::TimedOut;
    start.timeLimit = std::min(left, start.timeLimit);
    return start;
}

bool IsFollowedRedirect(long status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

namespace {

// Whether the text starts with a scheme and its colon ("http:", "file:"):
// a letter, then letters, digits, "+", "-" or ".", before any "/", "?" or "#".
bool StartsWithScheme(std::string_view text) {
    const auto isLetter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    if (text.empty() || !isLetter(text.front())) return false;
    for (const char c : text.substr(1)) {
        if (c == ':') return true;
        if (!isLetter(c) && !IsAsciiDigit(c) && c != '+' && c != '-' && c != '.') return false;
    }
    return false;
}

// An absolute path without its "." and ".." segments; ".." never climbs above
// the root.
std::string WithoutDotSegments(std::string_view path) {
    std::vector<std::string_view> segments;
    bool endsInFolder = false;  // a last "." or ".." names the folder it leaves
    size_t start = path.starts_with('/') ? 1 : 0;
    for (;;) {
        const size_t end = path.find('/', start);
        const std::string_view segment = path.substr(start, end == std::string_view::npos ? end : end - start);
        const bool last = end == std::string_view::npos;
        if (segment == "." || segment == "..") {
            if (segment == ".." && !segments.empty()) segments.pop_back();
            endsInFolder = last;
        } else {
            segments.push_back(segment);
        }
        if (last) break;
        start = end + 1;
    }
    std::string result;
    for (const std::string_view segment : segments) {
        result += '/';
        result += segment;
    }
    if (endsInFolder || result.empty()) result += '/';
    return result;
}

}  // namespace

std::string ResolveRedirectTarget(std::string_view base, std::string_view location) {
    location = TrimBlanks(location, kSpaceTabCrLf);
    location = location.substr(0, location.find('#'));
    if (location.empty()) return {};
    if (StartsWithScheme(location)) return std::string(location);

    const size_t colon = base.find(':');
    if (!StartsWithScheme(base) || base.substr(colon + 1, 2) != "//") return {};
    const size_t hostEnd = base.find_first_of("/?#", colon + 3);
    const std::string_view origin = base.substr(0, hostEnd);  // "http://host:port"
    std::string_view basePath = hostEnd == std::string_view::npos ? std::string_view{} : base.substr(hostEnd);
    basePath = basePath.substr(0, basePath.find_first_of("?#"));

    if (location.starts_with("//")) return std::string(base.substr(0, colon + 1)) + std::string(location);
    const size_t queryStart = location.find('?');
    const std::string_view path = location.substr(0, queryStart);
    const std::string_view query =
        queryStart == std::string_view::npos ? std::string_view{} : location.substr(queryStart);
    std::string resolved(origin);
    if (path.empty()) {
        resolved += basePath.empty() ? std::string_view("/") : basePath;
    } else if (path.front() == '/') {
        resolved += WithoutDotSegments(path);
    } else {
        // Relative to the base's folder: everything up to its last "/".
        std::string merged(basePath.substr(0, basePath.rfind('/') + 1));
        if (merged.empty()) merged = "/";
        merged += path;
        resolved += WithoutDotSegments(merged);
    }
    resolved += query;
    return resolved;
}
