// Feeds arbitrary bytes to the readers of the configuration service's
// answers, each seeing the whole input as the answer it reads: the time
// answer, the answer naming the document, and the document itself. Beyond
// the sanitizers' own checks it traps when the time differs from what a
// 32-bit atol gives, when a signed request lacks its timestamp or token,
// when the document address is not the "url" member's text, or when a
// document judged a rule set is one the rule-set loader would refuse.

#include <json/value.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>
#include <string_view>
#include <utility>

#include "engine/rule_set.h"
#include "engine/rule_set_reader.h"
#include "remote/http_client.h"
#include "remote/latest_config.h"
#include "remote/server_time.h"
#include "shell/json.h"

namespace {

constexpr char kBaseUrl[] = "http://config.kalo.example";

// atol with a 32-bit long, from the C library: strtoll saturates at 64 bits.
int32_t AtolReference(std::string_view text) {
    const std::string c(text.substr(0, text.find('\0')));
    const long long value = std::strtoll(c.c_str(), nullptr, 10);
    if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    if (value < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

bool IsLowerHex(std::string_view text) {
    for (const char c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    }
    return true;
}

void CheckServiceTime(std::string_view text) {
    // FetchServerTime reads only the answer's first bytes.
    for (const std::string_view answer : {text, text.substr(0, kServiceTimeReadBytes)}) {
        if (ParseServerTime(answer) != AtolReference(answer)) __builtin_trap();
    }
    const int32_t time = ParseServerTime(text.substr(0, kServiceTimeReadBytes));
    if (time <= 0) return;  // the PC clock would sign instead
    const std::string address = "http://config.kalo.example/rezedav/wscheckerconfig?language=cn";
    const std::string signedAddress = AppendAccessToken(address, time, kBaseUrl);
    const std::string expectedPrefix = address + "&timestamp=" + std::to_string(time) + "&accesstoken=";
    if (signedAddress.size() != expectedPrefix.size() + 32 ||
        signedAddress.compare(0, expectedPrefix.size(), expectedPrefix) != 0 ||
        !IsLowerHex(std::string_view(signedAddress).substr(expectedPrefix.size()))) {
        __builtin_trap();
    }
}

void CheckUrlText(const Json::Value& url) {
    const std::string text = DocumentUrlText(url);
    switch (url.type()) {
        case Json::stringValue:
            if (text != url.asString()) __builtin_trap();
            break;
        case Json::intValue:
            if (text.empty() || std::strtoll(text.c_str(), nullptr, 10) != url.asLargestInt()) __builtin_trap();
            break;
        case Json::uintValue:
            if (text.empty() || std::strtoull(text.c_str(), nullptr, 10) != url.asLargestUInt()) __builtin_trap();
            break;
        case Json::realValue: {
            if (text.empty()) __builtin_trap();
            const double value = url.asDouble();
            if (!std::isfinite(value)) break;
            // "%f" keeps six decimals.
            const double back = std::strtod(text.c_str(), nullptr);
            if (std::fabs(back - value) > 1e-6 + std::fabs(value) * 1e-15) __builtin_trap();
            break;
        }
        default:
            if (!text.empty()) __builtin_trap();
            break;
    }
}

void CheckAnswer(std::string_view text) {
    Json::Value root;
    if (!ParseJson(text, root)) return;
    CheckUrlText(root);
    if (!root.isObject()) return;
    const Json::Value& body = std::as_const(root)["body"];
    if (!body.isObject()) return;
    CheckUrlText(body["url"]);
    int members = 0;
    for (const Json::Value& member : body) {
        if (++members > 16) break;
        CheckUrlText(member);
    }
}

void CheckDocument(std::string_view text) {
    // What the download keeps, and what the loader later reads of it.
    const std::string document = TextUpToFirstZero(std::string(text));
    if (!IsRuleSetDocument(document)) return;
    const std::string_view loaded = std::string_view(document).substr(0, document.find('\xFF'));
    Json::Value root;
    if (!ParseJson(loaded, root) || !root.isObject()) __builtin_trap();
    if (!std::as_const(root)["body"].isObject()) __builtin_trap();
    RuleSet rules;
    LoadRuleSetBody(root, rules, L"fuzz");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    CheckServiceTime(text);
    CheckAnswer(text);
    CheckDocument(text);
    return 0;
}
