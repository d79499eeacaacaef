#pragma once
// Loading the rule set from one of its three copies: the download cache, the
// program folder and the temporary folder (all named "checkerconfig.json").
// Failures are logged with the tag "CCheckEnv::ReadFromJsonFile" and leave
// the rule set empty, which the verdict treats as "nothing decided".

#include <json/value.h>

#include <functional>
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

// A document's text as the loaders read it: the file's bytes up to the first
// 0xFF byte or the end; nothing (a refusal logged under the tag) when the
// file cannot be read.
std::optional<std::string> ReadRuleSetDocumentText(const std::wstring& path, const char* logTag);

// What a copy must hold to be chosen, judged on its text.
using DocumentTest = std::function<bool(std::string_view text)>;
// Text that parses as JSON: what the rule-set loader takes.
bool IsJsonDocument(std::string_view text);
// A JSON object whose "body" is an object: only such a document may replace
// the download cache.
bool IsRuleSetDocument(std::string_view text);

// The first candidate the test accepts: the download cache (unless
// localConfig), then the program folder's copy, then the temporary folder's.
// Empty when none does; the caller logs what it was looking for.
std::wstring ChooseDocument(const RuleSetCandidates& candidates, const DocumentTest& accept, const char* logTag);

// Appends the string elements of a JSON array, upper-cased; anything that is
// not an array loads nothing, and elements that are not strings are skipped.
void LoadRuleList(const Json::Value& value, RuleList& list);
// Fills `rules` from a parsed document's "body".
void LoadRuleSetBody(const Json::Value& root, RuleSet& rules, const std::wstring& pathForLog);
// The rule set in a document's text; nothing (logged with the path) when the
// text is not JSON or its root is neither an object nor null.
std::optional<RuleSet> ParseRuleSet(std::string_view text, const std::wstring& pathForLog);
// Opens, parses and loads one file; false (logged) when nothing could be read.
bool LoadRuleSetFile(const std::wstring& path, RuleSet& rules);

// Chooses the first copy that parses as JSON and loads it. Returns the path
// used, empty (logged) when none is.
std::wstring ReadRuleSet(const RuleSetCandidates& candidates, RuleSet& rules);
