#include "remote/http_client.h"

std::string TextUpToFirstZero(std::string body) {
    const size_t zero = body.find('\0');
    if (zero != std::string::npos) body.resize(zero);
    return body;
}

std::string HttpGetText(IHttpClient& http, const std::string& address) {
    auto response = http.Get(address);
    if (!response) return {};
    // Cut once over the whole body, not per network read, so a zero byte ends
    // the text instead of splicing the following reads onto what preceded it.
    return TextUpToFirstZero(std::move(response->body));
}

std::string HttpGetText(const std::string& address) {
    const auto http = CreateHttpClient();
    return HttpGetText(*http, address);
}
