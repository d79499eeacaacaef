#include "engine/rule_set_reader.h"

#include <gtest/gtest.h>

#include "app/built_in_rule_set.h"
#include "engine/matching.h"
#include "shell/json.h"
#include "shell/text_convert.h"
#include "tests/support/log_capture.h"
#include "tests/support/rule_set_documents.h"
#include "tests/support/temp_folder.h"

namespace {

RuleSet LoadShipped() {
    const std::optional<RuleSet> rules = ParseRuleSet(BuiltInRuleSetDocument(), L"shipped");
    EXPECT_TRUE(rules.has_value());
    return rules.value_or(RuleSet{});
}

TEST(ShippedRuleSet, EveryListHasItsEntryCount) {
    const RuleSet rules = LoadShipped();
    const struct { const char* key; size_t count; } kCounts[] = {
        {"CPU_Game", 210}, {"CPU_Video", 14}, {"GPU_NV_Game", 27}, {"GPU_NV_Video", 46},
        {"GPU_AMD_Game", 27}, {"GPU_AMD_Video", 33}, {"GPU_Intel_Game", 0}, {"GPU_Intel_Video", 0},
        {"CPU_Intel_Video", 17}, {"CPU_AMD_Video", 10}, {"GPU_Game_Laptop", 25},
        {"GPU_Game_Laptop_Q8", 0}, {"GPU_Video_Laptop", 21}, {"OS", 4},
        {"CPU_Game_BlackList", 90}, {"CPU_Video_BlackList", 12}, {"CPU_Game_BlackList_Q8", 0},
        {"GPU_Game_BlackList", 136}, {"GPU_Video_BlackList", 214}, {"GPU_Game_BlackList_Q8", 0},
        {"DRIVER_Intel_BlackList", 0}, {"DRIVER_NV_BlackList", 0}, {"DRIVER_AMD_BlackList", 0},
        {"DRIVER_Intel_BlackList_Laptop", 0}, {"DRIVER_NV_BlackList_Laptop", 0},
        {"DRIVER_AMD_BlackList_Laptop", 0}, {"OS_BlackList_Q8", 1},
        {"GPU_Game_BlackList_Exception", 1}, {"GPU_Game_BlackList_Exception_Q8", 0},
        {"GPU_Video_BlackList_Exception", 16},
    };
    ASSERT_EQ(std::size(kCounts), kRuleListKeys.size());
    for (size_t i = 0; i < kRuleListKeys.size(); ++i) {
        SCOPED_TRACE(kCounts[i].key);
        EXPECT_STREQ(kRuleListKeys[i].key, kCounts[i].key);
        EXPECT_EQ((rules.*kRuleListKeys[i].list).size(), kCounts[i].count);
    }
    for (const auto& text : kRuleTextKeys) EXPECT_TRUE((rules.*text.text).empty()) << text.key;
    EXPECT_EQ(WideToUtf8(RuleSetDocumentFault(BuiltInRuleSetDocument())), "") << "a complete rule set";
}

TEST(ShippedRuleSet, KeepsOrderDuplicatesTrailingSpacesAndChineseEntries) {
    const RuleSet rules = LoadShipped();
    EXPECT_EQ(rules.cpuGame.front(), L"I3-4370");
    EXPECT_EQ(rules.cpuGame.back(), L"OPTERON 4332 HE");
    EXPECT_EQ(std::count(rules.cpuGame.begin(), rules.cpuGame.end(), L"E5649"), 2);
    EXPECT_EQ(rules.cpuGame[61], L"E3-1226 V3 ");
    EXPECT_EQ(rules.gpuVideoBlackList.back(), L"GEFORCE FX");
    EXPECT_EQ(rules.gpuVideoBlackList[128], L"\u79FB\u52A8\u7248 RADEON HD");
    EXPECT_EQ(rules.gpuVideoBlackListException[6], L"\u79FB\u52A8\u7248 RADEON HD 5870");
    EXPECT_EQ(rules.os, (RuleList{L"WINDOWS 7", L"WINDOWS 8", L"WINDOWS 10", L"WINDOWS 11"}));
}

TEST(ShippedRuleSet, CarriesTheMinimumRequirementsInTwoLanguages) {
    Json::Value root;
    ASSERT_TRUE(ParseJson(BuiltInRuleSetDocument(), root));
    const Json::Value& minimum = root["body"]["minimum_configuration"];
    ASSERT_TRUE(minimum.isArray());
    ASSERT_EQ(minimum.size(), 2u);
    EXPECT_EQ(minimum[0]["lang"].asString(), "cn");
    EXPECT_EQ(minimum[1]["lang"].asString(), "en");
    EXPECT_EQ(minimum[1]["ram"].asString(), "8 GB or more");
    for (const auto& language : minimum) EXPECT_EQ(language.getMemberNames().size(), 8u);
}

TEST(Matching, FragmentsMatchAsContiguousUpperCaseRuns) {
    const struct { const wchar_t* entry; const wchar_t* text; bool matches; } kCases[] = {
        {L"Quadro K420 ", L"NVIDIA Quadro K420 ", true},
        {L"Quadro K420 ", L"NVIDIA Quadro K4200 ", false},
        {L"", L"anything", true},
        {L"GTX 10", L"NVIDIA GeForce GTX 1060 6GB ", true},
        {L"\u79FB\u52A8\u7248 Radeon HD", L"\u79FB\u52A8\u7248 AMD Radeon HD", false},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(testing::Message() << WideToUtf8(c.entry));
        EXPECT_EQ(EntryMatches(UpperAscii(c.entry), UpperAscii(c.text)), c.matches);
    }
    EXPECT_EQ(UpperAscii(L"i7-860 \u00e9"), L"I7-860 \u00e9") << "only ASCII letters change";
}

// A rule-set file set up in a temporary root: download cache, program folder
// and temporary folder each get their own sub-folder.
class RuleSetFiles : public testing::Test {
protected:
    RuleSetCandidates Candidates(bool localConfig = false) const {
        return {root_.File(L"cache/checkerconfig.json"), root_.File(L"program"), root_.File(L"temp/"), localConfig};
    }
    std::wstring Put(const wchar_t* where, std::string_view document) const {
        return root_.Write(std::wstring(where) + L"/checkerconfig.json", document);
    }
    const std::string kCache = CompleteRuleSet(R"("CPU_Game":["cache"])");
    const std::string kProgram = CompleteRuleSet(R"("CPU_Game":["program"])");
    const std::string kTemp = CompleteRuleSet(R"("CPU_Game":["temp"])");
    ScopedTempFolder root_;
    LogCapture log_;
};

TEST_F(RuleSetFiles, ChoosesTheFirstValidCopy) {
    struct Case {
        const char* name;
        std::optional<std::string> cache;  // nullopt: no file
        std::optional<std::string> program;
        std::optional<std::string> temp;
        bool localConfig;
        const char* expectedEntry;  // nullptr: nothing chosen
    };
    const Case kCases[] = {
        {"valid download wins", kCache, kProgram, kTemp, false, "CACHE"},
        {"cut-short download is skipped", "{\"body\":{\"CPU_Ga", kProgram, std::nullopt, false, "PROGRAM"},
        {"localconfig ignores the download", kCache, kProgram, std::nullopt, true, "PROGRAM"},
        {"temporary copy is the last resort", "not json", std::nullopt, kTemp, false, "TEMP"},
        {"localconfig falls through to temp", kCache, std::nullopt, kTemp, true, "TEMP"},
        {"nothing valid anywhere", "[", "{", std::nullopt, false, nullptr},
        {"download that is no rule set gives way", R"({"body": 5})", kProgram, kTemp, false, "PROGRAM"},
        {"so does a program copy with a list missing", R"({"body":{"CPU_Game":["program"]}})",
         R"({"body":{"CPU_Game":["program"]}})", kTemp, false, "TEMP"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        ScopedTempFolder root;
        const RuleSetCandidates candidates{root.File(L"cache/checkerconfig.json"), root.File(L"program"),
                                           root.File(L"temp/"), c.localConfig};
        if (c.cache) root.Write(L"cache/checkerconfig.json", *c.cache);
        if (c.program) root.Write(L"program/checkerconfig.json", *c.program);
        if (c.temp) root.Write(L"temp/checkerconfig.json", *c.temp);
        RuleSet rules;
        const std::wstring used = ReadRuleSet(candidates, rules);
        if (c.expectedEntry == nullptr) {
            EXPECT_EQ(used, L"");
            EXPECT_TRUE(rules.cpuGame.empty());
        } else {
            ASSERT_EQ(rules.cpuGame.size(), 1u);
            EXPECT_EQ(WideToUtf8(rules.cpuGame[0]), c.expectedEntry);
        }
    }
}

TEST_F(RuleSetFiles, AbsurdlyDeepDownloadIsSkippedNotThrown) {
    Put(L"cache", std::string(5000, '[') + std::string(5000, ']'));
    Put(L"program", kProgram);
    RuleSet rules;
    ReadRuleSet(Candidates(), rules);
    EXPECT_EQ(rules.cpuGame, (RuleList{L"PROGRAM"}));
}

TEST_F(RuleSetFiles, NoCandidateIsLoggedOnce) {
    RuleSet rules;
    EXPECT_EQ(ReadRuleSet(Candidates(), rules), L"");
    EXPECT_EQ(log_.Messages(), (std::vector<std::string>{"config file does not exists or is invalid"}));
}

TEST_F(RuleSetFiles, EmptyTemporaryFolderIsNoCandidate) {
    Put(L"program", "");  // invalid: empty text does not parse
    RuleSetCandidates candidates = Candidates();
    candidates.tempFolder.clear();
    EXPECT_EQ(ChooseDocument(candidates, IsUsableRuleSetCopy, "test"), L"");
}

TEST_F(RuleSetFiles, RootThatIsNotAnObjectIsLogged) {
    const std::wstring path = Put(L"cache", "[1, 2]");
    RuleSet rules;
    EXPECT_FALSE(LoadRuleSetFile(path, rules));
    EXPECT_EQ(log_.Messages(), (std::vector<std::string>{"error config file. file=" + WideToUtf8(path)}));
}

TEST_F(RuleSetFiles, ByteFFEndsTheDocument) {
    Put(L"cache", CompleteRuleSet(R"("OS":["Windows 10"])") + "\xFF" + "garbage that would not parse");
    RuleSet rules;
    ReadRuleSet(Candidates(), rules);
    EXPECT_EQ(rules.os, (RuleList{L"WINDOWS 10"}));
}

TEST_F(RuleSetFiles, MembersOfTheWrongTypeLoadNothing) {
    const std::wstring path = Put(L"cache", R"({"body":{
        "CPU_Game": "i5-4590",
        "CPU_Video": ["i5", 5, null, {"x":1}, "fx"],
        "OS": null,
        "DRIVER_NV_Min": 47111,
        "DRIVER_AMD_Min": "21.5.2",
        "GPU_Video_BlackList_Exception": ["Radeon HD 4870 ", ""],
        "Unrelated": [1]
    }})");
    RuleSet rules;
    EXPECT_TRUE(LoadRuleSetFile(path, rules));
    EXPECT_TRUE(rules.cpuGame.empty());
    EXPECT_EQ(rules.cpuVideo, (RuleList{L"I5", L"FX"}));
    EXPECT_TRUE(rules.os.empty());
    EXPECT_EQ(rules.driverNvMin, L"");
    EXPECT_EQ(rules.driverAmdMin, L"21.5.2");
    EXPECT_EQ(rules.gpuVideoBlackListException, (RuleList{L"RADEON HD 4870 ", L""}));
    EXPECT_TRUE(log_.Messages().empty());
}

TEST_F(RuleSetFiles, BodyThatIsNotAnObjectLoadsNothingAndSaysSo) {
    const char* kBodies[] = {R"({"body":["CPU_Game"]})", R"({"body":"text"})", R"({"body":42})"};
    for (const char* document : kBodies) {
        SCOPED_TRACE(document);
        const std::wstring path = Put(L"cache", document);
        RuleSet rules;
        EXPECT_TRUE(LoadRuleSetFile(path, rules));
        EXPECT_TRUE(rules.cpuGame.empty());
    }
    EXPECT_EQ(log_.Messages().size(), 3u);
}

TEST_F(RuleSetFiles, MissingOrNullBodyLoadsNothingSilently) {
    for (const char* document : {R"({})", R"({"body":null})", "null"}) {
        SCOPED_TRACE(document);
        const std::wstring path = Put(L"cache", document);
        RuleSet rules;
        EXPECT_TRUE(LoadRuleSetFile(path, rules));
        EXPECT_TRUE(rules.cpuGame.empty());
    }
    EXPECT_TRUE(log_.Messages().empty());
}

// A copy that parses but would load as a half-empty rule set gives way to
// the next one with one line naming the first fault; a complete one is taken
// without a line.
TEST_F(RuleSetFiles, OnlyACompleteRuleSetIsChosen) {
    const std::string complete = CompleteRuleSet();
    const struct {
        const char* name;
        std::string cache;
        const char* fault;  // nullptr: the cache is chosen
    } kCases[] = {
        {"complete", complete, nullptr},
        {"complete with members the check does not read", CompleteRuleSet(R"("Unrelated":5,"minimum_configuration":[])"),
         nullptr},
        {"lists absent from the shipped copy may be missing or null", CompleteRuleSet(R"("GPU_Intel_Game":null)"),
         nullptr},
        {"a null version text", CompleteRuleSet(R"("DRIVER_NV_Min":null,"DRIVER_AMD_Min":"21.5.2")"), nullptr},
        {"root is an array", "[1,2,3]", "the root is not an object"},
        {"root is null", "null", "the root is not an object"},
        {"no body", R"({"head":{}})", "body is missing"},
        {"body is a number", R"({"body": 5})", "body is not an object"},
        {"body is null", R"({"body": null})", "body is not an object"},
        {"empty body", R"({"body":{}})", "body.CPU_Game is missing"},
        {"a shipped list that is null", CompleteRuleSet(R"("GPU_Video_BlackList_Exception":null)"),
         "body.GPU_Video_BlackList_Exception is missing"},
        {"list is a number", CompleteRuleSet(R"("CPU_Game":5)"), "body.CPU_Game is not a list of strings"},
        {"list is an object", CompleteRuleSet(R"("OS":{"a":"b"})"), "body.OS is not a list of strings"},
        {"list is one string", CompleteRuleSet(R"("CPU_Video":"i5")"), "body.CPU_Video is not a list of strings"},
        {"list holds a number", CompleteRuleSet(R"("GPU_NV_Game":["GTX 10", 5])"),
         "body.GPU_NV_Game is not a list of strings"},
        {"unshipped list of the wrong form", CompleteRuleSet(R"("DRIVER_NV_BlackList":[null])"),
         "body.DRIVER_NV_BlackList is not a list of strings"},
        {"version is a number", CompleteRuleSet(R"("DRIVER_NV_Min":47111)"), "body.DRIVER_NV_Min is not a string"},
        {"a 0xFF byte cuts it short", complete.substr(0, 20) + "\xFF" + complete.substr(20), "not JSON"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        ScopedTempFolder root;
        LogCapture log;
        const RuleSetCandidates candidates{root.File(L"cache/checkerconfig.json"), root.File(L"program"),
                                           root.File(L"temp"), false};
        const std::wstring cache = root.Write(L"cache/checkerconfig.json", c.cache);
        const std::wstring temp = root.Write(L"temp/checkerconfig.json", kTemp);
        EXPECT_EQ(WideToUtf8(RuleSetDocumentFault(c.cache)), c.fault ? c.fault : "");
        EXPECT_EQ(IsRuleSetDocument(c.cache), c.fault == nullptr) << "the download is judged alike";
        RuleSet rules;
        EXPECT_EQ(ReadRuleSet(candidates, rules), c.fault ? temp : cache);
        std::vector<std::string> expected;
        if (c.fault) {
            expected = {std::string("config file is not a complete rule set (") + c.fault +
                        "). file=" + WideToUtf8(cache)};
            EXPECT_EQ(rules.cpuGame, (RuleList{L"TEMP"}));
        }
        EXPECT_EQ(log.Messages(), expected);
        for (const std::string& line : log.Lines()) {
            EXPECT_NE(line.find("|CCheckEnv::ReadFromJsonFile|"), std::string::npos) << line;
        }
    }
}

TEST_F(RuleSetFiles, UnreadableChosenFileIsLogged) {
    RuleSet rules;
    EXPECT_FALSE(LoadRuleSetFile(root_.File(L"gone.json"), rules));
    EXPECT_EQ(log_.Messages(),
              (std::vector<std::string>{"open config file failed. file=" + WideToUtf8(root_.File(L"gone.json"))}));
}

}  // namespace
