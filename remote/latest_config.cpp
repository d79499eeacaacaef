#include "remote/latest_config.h"

#include <utility>

#include "engine/rule_set_reader.h"
#include "remote/cache_file.h"
#include "remote/config_service.h"
#include "remote/server_time.h"
#include "shell/log.h"
#include "shell/platform.h"
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

std::wstring RuleSetCacheFolder(const std::wstring& dataFolder) {
    std::wstring folder = JoinPath(JoinPath(dataFolder, L"updates"), L"fitprobe");
    folder += kPathSeparator;
    return folder;
}

std::wstring RuleSetCachePath(const std::wstring& dataFolder) {
    return RuleSetCacheFolder(dataFolder) + kRuleSetFileName;
}

std::wstring PrepareRuleSetCachePath(const std::wstring& dataFolder) {
    CreateDirectoryTree(RuleSetCacheFolder(dataFolder), false);
    return RuleSetCachePath(dataFolder);
}

std::string RuleSetRequestAddress(std::string_view baseUrl, const std::wstring& languageCode) {
    return RuleSetEndpointUrl(baseUrl) + "?language=" + PercentEncoded(WideToGbk(languageCode));
}

std::string DocumentUrlText(const Json::Value& url) {
    switch (url.type()) {
        case Json::stringValue:
            return url.asString();
        // The full value: a narrower conversion would throw for a large number.
        case Json::intValue:
            return std::to_string(url.asLargestInt());
        case Json::uintValue:
            return std::to_string(url.asLargestUInt());
        case Json::realValue:
            return std::to_string(url.asDouble());  // "%f"
        default:
            return {};
    }
}

bool IsRuleSetDocument(std::string_view text) {
    // The loader stops at a 0xFF byte; judge what it will see.
    text = text.substr(0, text.find('\xFF'));
    Json::Value root;
    if (!ParseJsonDocument(text, root) || !root.isObject()) return false;
    return std::as_const(root)["body"].isObject();
}

LatestConfigOutcome DownloadLatestConfig(IHttpClient& http, const LatestConfigRequest& request) {
    const int32_t serviceTime = FetchServerTime(http, request.baseUrl);
    const std::string signedAddress = AppendAccessToken(
        RuleSetRequestAddress(request.baseUrl, request.languageCode), serviceTime, request.baseUrl);
    const std::string answer = HttpGetText(http, signedAddress);

    Json::Value root;
    if (!ParseJsonDocument(answer, root) || (!root.isNull() && !root.isObject())) {
        CCTLog::Instance().Log(0, kLogTag, L"read config url failed(json). ");
        return LatestConfigOutcome::AnswerNotJson;
    }
    const Json::Value& body = std::as_const(root)["body"];
    if (!body.isObject()) {
        CCTLog::Instance().Log(0, kLogTag, L"get config url failed(json). ");
        return LatestConfigOutcome::AnswerWithoutBody;
    }
    const std::string url = DocumentUrlText(body["url"]);
    if (url.empty()) return LatestConfigOutcome::NoDocumentUrl;

    auto download = http.Get(url);
    if (!download) return LatestConfigOutcome::DocumentNotLoaded;
    const std::string document = TextUpToFirstZero(std::move(download->body));
    if (document.empty()) return LatestConfigOutcome::DocumentNotLoaded;

    // An error page or a captive portal's answer must not destroy a good cache.
    if (!IsSuccessStatus(download->status)) {
        CCTLog::Instance().Log(0, kLogTag, L"config document answered status %ld, cache kept. url=%ls",
                               download->status, Utf8ToWide(url).c_str());
        return LatestConfigOutcome::DocumentRejected;
    }
    if (!IsRuleSetDocument(document)) {
        CCTLog::Instance().Log(0, kLogTag, L"config document is not a rule set, cache kept. url=%ls",
                               Utf8ToWide(url).c_str());
        return LatestConfigOutcome::DocumentRejected;
    }
    if (!ReplaceFileAtomically(request.cachePath, document)) return LatestConfigOutcome::CacheNotWritten;
    return LatestConfigOutcome::Stored;
}

LatestConfigOutcome DownloadLatestConfig(const std::wstring& languageCode, const std::wstring& cachePath) {
    const auto http = CreateHttpClient();
    return DownloadLatestConfig(*http, {ConfigServiceBaseUrl(), languageCode, cachePath});
}
