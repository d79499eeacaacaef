#include "remote/config_service.h"

#include <mutex>

#ifndef KALO_CONFIG_SERVICE_URL
// A reserved name that never resolves: a build that does not name the real
// host sends nothing anywhere.
#define KALO_CONFIG_SERVICE_URL "http://config.kalo.example"
#endif

namespace {

std::mutex overrideLock;
std::string overrideUrl;  // guarded by overrideLock

std::string WithoutTrailingSlashes(std::string_view url) {
    while (!url.empty() && url.back() == '/') url.remove_suffix(1);
    return std::string(url);
}

}  // namespace

std::string BuiltInConfigServiceBaseUrl() { return WithoutTrailingSlashes(KALO_CONFIG_SERVICE_URL); }

std::string ConfigServiceBaseUrl() {
    {
        const std::lock_guard<std::mutex> guard(overrideLock);
        if (!overrideUrl.empty()) return overrideUrl;
    }
    return BuiltInConfigServiceBaseUrl();
}

void SetConfigServiceBaseUrl(std::string_view baseUrl) {
    const std::lock_guard<std::mutex> guard(overrideLock);
    overrideUrl = WithoutTrailingSlashes(baseUrl);
}

std::string ServiceTimeUrl(std::string_view baseUrl) { return std::string(baseUrl) + kServiceTimePath; }

std::string RuleSetEndpointUrl(std::string_view baseUrl) { return std::string(baseUrl) + kRuleSetRequestPath; }
