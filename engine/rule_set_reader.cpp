#include "engine/rule_set_reader.h"

#include <cstdio>
#include <utility>
#include <vector>

#include "engine/matching.h"
#include "shell/json.h"
#include "shell/log.h"
#include "shell/platform.h"
#include "shell/profile.h"
#include "shell/safe_files.h"
#include "shell/text_convert.h"

namespace {

constexpr char kLogTag[] = "CCheckEnv::ReadFromJsonFile";

}  // namespace

RuleSetCandidates RuleSetCandidatesFromSystem(const std::wstring& downloadCache) {
    RuleSetCandidates candidates;
    candidates.downloadCache = downloadCache;
    candidates.programFolder = ProgramFolder();
    candidates.tempFolder = TempFolder();
    candidates.localConfig = SettingsReadInt(L"test", L"localconfig", 0) != 0;
    return candidates;
}

std::optional<std::string> ReadRuleSetDocumentText(const std::wstring& path, const char* logTag) {
    // Only a regular file of sane size; anything else is refused (logged).
    auto text = ReadFileOrLog(path, kRuleSetFileLimit, logTag);
    if (!text) return std::nullopt;
    // A 0xFF byte ends the text the parser sees.
    if (const size_t stop = text->find('\xFF'); stop != std::string::npos) text->resize(stop);
    return text;
}

namespace {

const Json::Value* BodyMember(const Json::Value& body, const char* key) {
    return body.find(key, key + std::char_traits<char>::length(key));
}

bool IsListOfStrings(const Json::Value& value) {
    if (!value.isArray()) return false;
    for (const Json::Value& element : value) {
        if (!element.isString()) return false;
    }
    return true;
}

std::wstring MemberFault(const char* key, const char* fault) {
    return L"body." + Utf8ToWide(key) + L" " + Utf8ToWide(fault);
}

// RuleSetDocumentFault of a parsed document.
std::wstring ParsedDocumentFault(const Json::Value& root) {
    if (!root.isObject()) return L"the root is not an object";
    const Json::Value* body = JsonMember(root, "body");
    if (body == nullptr) return L"body is missing";
    if (!body->isObject()) return L"body is not an object";
    for (const RuleListKey& entry : kRuleListKeys) {
        const Json::Value* value = BodyMember(*body, entry.key);
        if (value == nullptr || value->isNull()) {
            if (entry.required) return MemberFault(entry.key, "is missing");
            continue;
        }
        if (!IsListOfStrings(*value)) return MemberFault(entry.key, "is not a list of strings");
    }
    for (const RuleTextKey& entry : kRuleTextKeys) {
        const Json::Value* value = BodyMember(*body, entry.key);
        if (value != nullptr && !value->isNull() && !value->isString()) {
            return MemberFault(entry.key, "is not a string");
        }
    }
    return {};
}

// The copies in the order they are looked at: the download cache (unless
// localConfig), then the program folder's, then the temporary folder's.
std::vector<std::wstring> CandidatePaths(const RuleSetCandidates& candidates) {
    std::vector<std::wstring> paths;
    if (!candidates.localConfig && !candidates.downloadCache.empty()) paths.push_back(candidates.downloadCache);
    for (const std::wstring& folder : {candidates.programFolder, candidates.tempFolder}) {
        if (!folder.empty()) paths.push_back(JoinPath(folder, kRuleSetFileName));
    }
    return paths;
}

void LogIncompleteCopy(const std::wstring& fault, const std::wstring& path) {
    CCTLog::Instance().Log(LogLevel::Error, kLogTag, L"config file is not a complete rule set (%ls). file=%ls",
                           fault.c_str(), path.c_str());
}

}  // namespace

std::wstring RuleSetDocumentFault(std::string_view text) {
    // The loader stops at a 0xFF byte; judge what it will see.
    text = text.substr(0, text.find('\xFF'));
    Json::Value root;
    if (!ParseJson(text, root)) return L"not JSON";
    return ParsedDocumentFault(root);
}

bool IsRuleSetDocument(std::string_view text) { return RuleSetDocumentFault(text).empty(); }

bool IsUsableRuleSetCopy(std::string_view text, const std::wstring& path) {
    const std::wstring fault = RuleSetDocumentFault(text);
    if (fault.empty()) return true;
    LogIncompleteCopy(fault, path);
    return false;
}

std::wstring ChooseDocument(const RuleSetCandidates& candidates, const DocumentTest& accept, const char* logTag) {
    for (const std::wstring& path : CandidatePaths(candidates)) {
        const auto text = ReadRuleSetDocumentText(path, logTag);
        if (text && accept(*text, path)) return path;
    }
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
        CCTLog::Instance().Log(LogLevel::Error, kLogTag, L"config body is not an object. file=%ls", pathForLog.c_str());
        return;
    }
    for (const RuleListKey& entry : kRuleListKeys) {
        const Json::Value* value = BodyMember(body, entry.key);
        if (value != nullptr && !value->isNull()) LoadRuleList(*value, rules.*entry.list);
    }
    for (const RuleTextKey& entry : kRuleTextKeys) {
        const Json::Value* value = BodyMember(body, entry.key);
        if (value != nullptr && value->isString()) rules.*entry.text = Utf8ToWide(value->asString());
    }
}

std::optional<RuleSet> ParseRuleSet(std::string_view text, const std::wstring& pathForLog) {
    Json::Value root;
    if (!ParseJson(text, root)) {
        CCTLog::Instance().Log(LogLevel::Error, kLogTag, L"parse config file failed. file=%ls", pathForLog.c_str());
        return std::nullopt;
    }
    if (!root.isNull() && !root.isObject()) {
        CCTLog::Instance().Log(LogLevel::Error, kLogTag, L"error config file. file=%ls", pathForLog.c_str());
        return std::nullopt;
    }
    RuleSet rules;
    LoadRuleSetBody(root, rules, pathForLog);
    return rules;
}

bool LoadRuleSetFile(const std::wstring& path, RuleSet& rules) {
    const auto text = ReadRuleSetDocumentText(path, kLogTag);
    if (!text) {
        CCTLog::Instance().Log(LogLevel::Error, kLogTag, L"open config file failed. file=%ls", path.c_str());
        return false;
    }
    std::optional<RuleSet> parsed = ParseRuleSet(*text, path);
    if (!parsed) return false;
    rules = std::move(*parsed);
    return true;
}

std::wstring ReadRuleSet(const RuleSetCandidates& candidates, RuleSet& rules) {
    // Each copy is read and parsed once, so that the copy judged complete is
    // the one loaded, even where another process replaces the file meanwhile.
    for (const std::wstring& path : CandidatePaths(candidates)) {
        const auto text = ReadRuleSetDocumentText(path, kLogTag);
        if (!text) continue;
        Json::Value root;
        const std::wstring fault = ParseJson(*text, root) ? ParsedDocumentFault(root) : L"not JSON";
        if (!fault.empty()) {
            LogIncompleteCopy(fault, path);
            continue;
        }
        RuleSet loaded;
        LoadRuleSetBody(root, loaded, path);
        rules = std::move(loaded);
        return path;
    }
    CCTLog::Instance().Log(LogLevel::Error, kLogTag, L"config file does not exists or is invalid");
    return {};
}
