#include "remote/http_client.h"

#include <algorithm>

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
