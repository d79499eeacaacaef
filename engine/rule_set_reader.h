#pragma once
// Loading the rule set from one of its three copies: the download cache, the
// program folder and the temporary folder (all named "checkerconfig.json").
// Failures are logged with the tag "CCheckEnv::ReadFromJsonFile" and leave
// the rule set empty, which the verdict treats as "nothing decided".

#include <json/value.h>

#include <optional>
#include <string>
#include <string_view>

#include "engine/rule_set.h"

inline constexpr wchar_t kRuleSetFileName[] = L"checkerconfig.json";

// Where the copies are looked for, in order of preference.
struct RuleSetCandidates {
    std::wstring downloadCache;  // full path of the cache file
    std::wstring programFolder;  // folder of the program file
    std::wstring tempFolder;     // private temporary folder; empty when none
    bool localConfig = false;    // "localconfig" in the settings' test section
};
// Reads the settings file and the platform's folders.
RuleSetCandidates RuleSetCandidatesFromSystem(const std::wstring& downloadCache);

// A document's text: the file's bytes up to the first 0xFF byte or the end.
std::optional<std::string> ReadRuleSetDocumentText(const std::wstring& path);
// True when the file exists, opens, has a size and parses as JSON.
bool IsValidRuleSetFile(const std::wstring& path);
// The first valid candidate, or empty (logged) when none is.
std::wstring ChooseRuleSetFile(const RuleSetCandidates& candidates);

// Appends the string elements of a JSON array, upper-cased; anything that is
// not an array loads nothing, and elements that are not strings are skipped.
void LoadRuleList(const Json::Value& value, RuleList& list);
// Fills `rules` from a parsed document's "body".
void LoadRuleSetBody(const Json::Value& root, RuleSet& rules, const std::wstring& pathForLog);
// Opens, parses and loads one file; false (logged) when nothing could be read.
bool LoadRuleSetFile(const std::wstring& path, RuleSet& rules);

// Chooses the copy and loads it. Returns the path used, empty when none.
std::wstring ReadRuleSet(const RuleSetCandidates& candidates, RuleSet& rules);

// The JSON reader every document of the program goes through: lenient
// defaults, comments not kept.
bool ParseJsonDocument(std::string_view text, Json::Value& root);
