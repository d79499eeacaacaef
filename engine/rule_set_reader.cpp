#include "engine/rule_set_reader.h"

#include <json/reader.h>

#include <cstdio>
#include <memory>

#include "engine/matching.h"
#include "shell/log.h"
#include "shell/platform.h"
#include "shell/profile.h"
#include "shell/safe_files.h"
#include "shell/text_convert.h"

namespace {

constexpr char kLogTag[] = "CCheckEnv::ReadFromJsonFile";

}  // namespace

bool ParseJsonDocument(std::string_view text, Json::Value& root) {
    Json::CharReaderBuilder builder;
    builder["collectComments"] = false;
    const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    try {
        return reader->parse(text.data(), text.data() + text.size(), &root, nullptr);
    } catch (const Json::Exception&) {
        return false;  // nesting beyond the reader's stack limit
    }
}

RuleSetCandidates RuleSetCandidatesFromSystem(const std::wstring& downloadCache) {
    RuleSetCandidates candidates;
    candidates.downloadCache = downloadCache;
    candidates.programFolder = ProgramFolder();
    candidates.tempFolder = TempFolder();
    candidates.localConfig = SettingsReadInt(L"test", L"localconfig", 0) != 0;
    return candidates;
}

std::optional<std::string> ReadRuleSetDocumentText(const std::wstring& path) {
    // Only a regular file of sane size; anything else is refused (logged).
    auto text = ReadFileOrLog(path, kRuleSetFileLimit, kLogTag);
    if (!text) return std::nullopt;
    // A 0xFF byte ends the text the parser sees.
    if (const size_t stop = text->find('\xFF'); stop != std::string::npos) text->resize(stop);
    return text;
}

bool IsValidRuleSetFile(const std::wstring& path) {
    if (path.empty() || !PathExists(path)) return false;
    const auto text = ReadRuleSetDocumentText(path);
    Json::Value root;
    return text && ParseJsonDocument(*text, root);
}

std::wstring ChooseRuleSetFile(const RuleSetCandidates& candidates) {
    if (!candidates.localConfig && IsValidRuleSetFile(candidates.downloadCache)) {
        return candidates.downloadCache;
    }
    if (!candidates.programFolder.empty()) {
        const std::wstring path = JoinPath(candidates.programFolder, kRuleSetFileName);
        if (IsValidRuleSetFile(path)) return path;
    }
    if (!candidates.tempFolder.empty()) {
        const std::wstring path = JoinPath(candidates.tempFolder, kRuleSetFileName);
        if (IsValidRuleSetFile(path)) return path;
    }
    CCTLog::Instance().Log(0, kLogTag, L"config file does not exists or is invalid");
    return {};
}

void LoadRuleList(const Json::Value& value, RuleList& list) {
    if (!value.isArray()) return;
    for (const Json::Value& element : value) {
        if (!element.isString()) continue;
        list.push_back(UpperAscii(Utf8ToWide(element.asString())));
    }
}

void LoadRuleSetBody(const Json::Value& root, RuleSet& rules, const std::wstring& pathForLog) {
    if (!root.isObject()) return;  // a null root holds nothing
    const Json::Value& body = root["body"];
    if (body.isNull()) return;
    if (!body.isObject()) {
        // Served documents always carry an object; anything else loads nothing.
        CCTLog::Instance().Log(0, kLogTag, L"config body is not an object. file=%ls", pathForLog.c_str());
        return;
    }
    for (const RuleListKey& entry : kRuleListKeys) {
        const Json::Value* value = body.find(entry.key, entry.key + std::char_traits<char>::length(entry.key));
        if (value != nullptr && !value->isNull()) LoadRuleList(*value, rules.*entry.list);
    }
    for (const RuleTextKey& entry : kRuleTextKeys) {
        const Json::Value* value = body.find(entry.key, entry.key + std::char_traits<char>::length(entry.key));
        if (value != nullptr && value->isString()) rules.*entry.text = Utf8ToWide(value->asString());
    }
}

bool LoadRuleSetFile(const std::wstring& path, RuleSet& rules) {
    const auto text = ReadRuleSetDocumentText(path);
    if (!text) {
        CCTLog::Instance().Log(0, kLogTag, L"open config file failed. file=%ls", path.c_str());
        return false;
    }
    Json::Value root;
    if (!ParseJsonDocument(*text, root)) {
        CCTLog::Instance().Log(0, kLogTag, L"parse config file failed. file=%ls", path.c_str());
        return false;
    }
    if (!root.isNull() && !root.isObject()) {
        CCTLog::Instance().Log(0, kLogTag, L"error config file. file=%ls", path.c_str());
        return false;
    }
    LoadRuleSetBody(root, rules, path);
    return true;
}

std::wstring ReadRuleSet(const RuleSetCandidates& candidates, RuleSet& rules) {
    const std::wstring path = ChooseRuleSetFile(candidates);
    if (path.empty()) return {};
    return LoadRuleSetFile(path, rules) ? path : std::wstring{};
}
