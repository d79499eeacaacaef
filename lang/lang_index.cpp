// Reading the language index out of the archive into the language list.

#include <json/value.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include "lang/lang_config.h"
#include "shell/embedded_resource.h"
#include "shell/json.h"
#include "shell/log.h"
#include "shell/text_convert.h"
#include "shell/text_util.h"
#include "shell/zip_archive.h"

namespace {

constexpr char kInitTag[] = "CLangConfig::InitDefaultLangResByLangZip";
constexpr char kParseTag[] = "CLangConfig::ParseDefaultLangConfig";

int32_t RankOf(const Json::Value& value) {
    switch (value.type()) {
        case Json::intValue:
            return static_cast<int32_t>(value.asLargestInt());
        case Json::uintValue:
            return static_cast<int32_t>(value.asLargestUInt());
        case Json::realValue: {
            const double real = std::trunc(value.asDouble());
            if (std::isnan(real)) return 0;
            if (real <= std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
            if (real >= std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
            return static_cast<int32_t>(real);
        }
        case Json::stringValue:
            return LeadingInt32(value.asString());  // a string counts by its leading number, as atol reads it
        default:
            return 0;
    }
}

// A member read as text; anything without a text form counts as absent.
std::optional<std::string> TextOf(const Json::Value& value) { return JsonText(value, JsonIntegerWidth::Bits32); }

LangPackInfo InfoOf(const std::string& code, const Json::Value& member) {
    LangPackInfo info;
    info.code = GbkToWide(code);
    if (!member.isObject()) return info;
    info.displayName = Utf8ToWide(TextOf(member["nickname"]).value_or(""));
    info.version = GbkToWide(TextOf(member["version"]).value_or(""));
    info.rank = RankOf(member["rank"]);
    return info;
}

}  // namespace

bool CLangConfig::InitDefaultLangResByLangZip(int resourceId, const std::wstring& resourceType) {
    const auto archive = FindEmbeddedResource(resourceType, resourceId);
    if (!archive) {
        CCTLog::Instance().Log(LogLevel::Error, kInitTag, L"unzip IDR_ZIP_LANG file failed(resource not found)");
        return false;
    }
    return ReadIndexFromArchive(*archive);
}

bool CLangConfig::ReadIndexFromArchive(std::span<const std::byte> archive) {
    CZipArchive zip;
    if (const int opened = zip.Open(archive.data(), archive.size()); opened != kZipOk) {
        CCTLog::Instance().Log(LogLevel::Error, kInitTag, L"unzip IDR_ZIP_LANG file failed(openzip, err=%d)", opened);
        return false;
    }
    ZipEntry entry;
    const int found = zip.FindEntry(kLangIndexFileName, entry);
    if (found == kZipNotFound) {
        CCTLog::Instance().Log(LogLevel::Error, kInitTag, L"not find file defaultlangconfig.json");
        return false;
    }
    if (found != kZipOk) {
        CCTLog::Instance().Log(LogLevel::Error, kInitTag, L"unzip file failed(src=defaultlangconfig.json,err=%d)", found);
        return false;
    }
    if (entry.uncompressedSize == 0) {
        CCTLog::Instance().Log(LogLevel::Error, kInitTag, L"unzip file failed(src=defaultlangconfig.json,err: dwSize == 0)");
        return false;
    }
    std::string text(static_cast<size_t>(entry.uncompressedSize), '\0');
    if (const int unpacked = zip.UnpackToBuffer(entry.index, std::as_writable_bytes(std::span(text)));
        unpacked != kZipOk) {
        CCTLog::Instance().Log(LogLevel::Error, kInitTag, L"unzip file failed(src=defaultlangconfig.json,err=%d)", unpacked);
        return false;
    }
    return ParseDefaultLangConfig(text) == kLangIndexParsed;
}

int CLangConfig::ParseDefaultLangConfig(std::string_view text) {
    Json::Value root;
    if (!ParseJson(text, root)) {
        CCTLog::Instance().Log(LogLevel::Error, kParseTag, L"defaultlangconfig.json parse error.");
        return kLangIndexNotJson;
    }
    if (!root.isNull() && !root.isObject()) {
        CCTLog::Instance().Log(LogLevel::Error, kParseTag, L"error defaultlangconfig root isn't object.");
        return kLangIndexNotObject;
    }
    const Json::Value& constRoot = root;  // reading must not add members
    const Json::Value& languages = constRoot["lang"];
    if (!languages.isObject()) {
        CCTLog::Instance().Log(LogLevel::Error, kParseTag, L"error defaultlangconfig langNode is empty.");
        return kLangIndexNotObject;
    }
    for (const std::string& code : languages.getMemberNames()) {
        const Json::Value& member = languages[code];
        if (member.isNull()) continue;
        languageList_.push_back(InfoOf(code, member));
    }
    std::stable_sort(languageList_.begin(), languageList_.end(),
                     [](const LangPackInfo& a, const LangPackInfo& b) { return a.rank < b.rank; });
    return kLangIndexParsed;
}
