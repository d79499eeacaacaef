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

// What a copy must hold to be chosen, judged on its text; `path` names the
// copy for the log line a test may write when it passes one over.
using DocumentTest = std::function<bool(std::string_view text, const std::wstring& path)>;
// Why a document's text is not a complete rule set, naming the first fault
// ("body.CPU_Game is not a list of strings"); empty when it is one. A
// complete rule set is a JSON object whose "body" is an object that holds
// every list the shipped document carries as an array of strings, and every
// other key the check reads absent, null or in its form. Judged on the text
// up to its first 0xFF byte, as the loader reads it.
std::wstring RuleSetDocumentFault(std::string_view text);
// A complete rule set: only such a document may replace the download cache.
bool IsRuleSetDocument(std::string_view text);
// The loader's test of a copy: a complete rule set; otherwise false, and one
// line under "CCheckEnv::ReadFromJsonFile" names the path and the fault.
// A copy that would load as a half-empty rule set must give way to the next
// one rather than leave every component unconfirmed.
bool IsUsableRuleSetCopy(std::string_view text, const std::wstring& path);

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

// Chooses the first copy that is a complete rule set and loads it. Returns
// the path used, empty (logged) when none is.
std::wstring ReadRuleSet(const RuleSetCandidates& candidates, RuleSet& rules);
