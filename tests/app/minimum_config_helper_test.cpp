#include "app/minimum_config_helper.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "remote/config_service.h"
#include "shell/platform.h"
#include "shell/safe_files.h"
#include "shell/text_convert.h"
#include "tests/support/log_capture.h"
#include "tests/support/loopback_http_server.h"
#include "tests/support/scoped_environment.h"
#include "tests/support/temp_folder.h"

namespace {

// A loader over data/, program/ and temp/ below a fresh folder, never
// reaching the service.
struct Tree {
    ScopedTempFolder root;
    MinimumConfigHelper helper{MinimumConfigFolders{root.File(L"data"), root.File(L"program"), root.File(L"temp")}};

    Tree() { helper.CheckHelper().SetDownloadEnabled(false); }

    // Index 0: the cache, 1: the program folder, 2: the temporary folder.
    std::wstring Path(int index) const {
        if (index == 0) return helper.CheckHelper().CachePath();
        return JoinPath(root.File(index == 1 ? L"program" : L"temp"), L"checkerconfig.json");
    }
    // The cache's folder exists once the helper is made.
    void Put(int index, const char* document) const {
        if (document == nullptr) return;
        if (index == 0) {
            EXPECT_TRUE(ReplaceFileAtomically(Path(0), document));
        } else {
            root.Write(index == 1 ? L"program/checkerconfig.json" : L"temp/checkerconfig.json", document);
        }
    }
};

// "tag message" for every line logged.
std::vector<std::string> Logged(const LogCapture& log) {
    std::vector<std::string> out;
    for (const std::string& line : log.Lines()) {
        const size_t tagStart = line.find('|') + 1;
        const size_t tagEnd = line.find('|', tagStart);
        out.push_back(line.substr(tagStart, tagEnd - tagStart) + " " + line.substr(line.find('\t') + 1));
    }
    return out;
}

// "code=cpu|ram|gpu|os|dp|usb|disk;" per row, in table order.
std::string Describe(const MinimumConfigTable& table) {
    std::wstring out;
    for (const auto& [code, r] : table) {
        out += code + L"=" + r.cpu + L"|" + r.ram + L"|" + r.gpu + L"|" + r.os + L"|" + r.dp + L"|" + r.usb + L"|" +
               r.disk + L";";
    }
    return WideToUtf8(out);
}

constexpr char kValid[] =
    R"({"body":{"minimum_configuration":[)"
    R"({"lang":"cn","cpu":"i5","ram":"8 GB","gpu":"GTX 1060","os":"Win 10","dp":"DP 1.2","usb":"USB 3.0","disk":"5 GB"},)"
    R"({"lang":"en","cpu":"i5+","ram":"8G","gpu":"1060","os":"W10","dp":"DP","usb":"U3","disk":"5G"}]}})";
constexpr char kValidTable[] = "cn=i5|8 GB|GTX 1060|Win 10|DP 1.2|USB 3.0|5 GB;en=i5+|8G|1060|W10|DP|U3|5G;";

struct DocumentCase {
    const char* name;
    const char* document;  // null: no file at all
    const char* table;
    std::vector<std::string> logged;  // under the Load tag, each followed by "file=<path>"
};

const DocumentCase kDocumentCases[] = {
    {"two languages", kValid, kValidTable, {}},
    {"no file", nullptr, "", {"open config file failed. "}},
    {"not JSON", R"({"body":)", "", {"parse config file failed. "}},
    {"root is an array", R"([{"body":{}}])", "", {"config root node not is object "}},
    {"no body", R"({"head":{}})", "", {"config body node is null "}},
    {"null body", R"({"body":null})", "", {"config body node is null "}},
    {"list is an object", R"({"body":{"minimum_configuration":{}}})", "", {"config minimum_configuration node not is array "}},
    {"body is an array", R"({"body":[1]})", "", {"config minimum_configuration node not is array "}},
    {"entries without a language skipped",
     R"({"body":{"minimum_configuration":[null,{"cpu":"a"},{"lang":null},{"lang":"","cpu":"c"},{"lang":"en","cpu":"e"}]}})",
     "en=e||||||;", {}},
    {"the later en wins",
     R"({"body":{"minimum_configuration":[{"lang":"en","cpu":"old"},{"lang":"cn","cpu":"c"},{"lang":"en","cpu":"new"}]}})",
     "cn=c||||||;en=new||||||;", {}},
    {"missing and null members are empty",
     R"({"body":{"minimum_configuration":[{"lang":"de","ram":"8","gpu":null,"disk":"5"}]}})", "de=|8|||||5;", {}},
    {"characters outside code page 936 lost",
     R"({"body":{"minimum_configuration":[{"lang":"cn","cpu":"中文 ok","gpu":"Thai ก!","os":"é"}]}})",
     "cn=中文 ok||Thai ?!|é|||;", {}},
    {"entries and members of other types",
     R"({"body":{"minimum_configuration":[5,{"lang":["en"]},{"lang":"en","cpu":{"a":1},"ram":7}]}})", "en=|7|||||;",
     {"minimum_configuration entry 0 is not an object. ", "minimum_configuration entry 1 lang is not text. ",
      "minimum_configuration entry 2 member cpu is not text. "}},
};

TEST(MinimumConfigHelperTest, ReadsTheTableOrLogsWhyNot) {
    for (const DocumentCase& c : kDocumentCases) {
        SCOPED_TRACE(c.name);
        Tree tree;
        tree.Put(1, c.document);
        const std::wstring path = tree.Path(1);
        LogCapture log;
        tree.helper.LoadFile(path);
        EXPECT_EQ(Describe(tree.helper.Table()), c.table);
        std::vector<std::string> expected = c.logged;
        for (std::string& line : expected) line = "MinimumConfigHelper::Load " + line + "file=" + WideToUtf8(path);
        EXPECT_EQ(Logged(log), expected);
    }
}

constexpr char kWithoutList[] = R"({"body":{"CPU_Game":["I7"]}})";
constexpr char kNullList[] = R"({"body":{"minimum_configuration":null}})";

struct PathCase {
    const char* name;
    const char* documents[3];  // cache, program folder, temporary folder; null: absent
    int chosen;                // index into documents; -1: none
};

const PathCase kPathCases[] = {
    {"cache first", {kValid, kValid, kValid}, 0},
    {"cache without the list gives way to the program folder", {kWithoutList, kValid, kValid}, 1},
    {"then to the temporary folder", {kWithoutList, nullptr, kValid}, 2},
    {"null list and non-object body passed over", {kNullList, R"({"body":[1]})", kValid}, 2},
    {"any list counts, even one that is not an array", {R"({"body":{"minimum_configuration":7}})", kValid, nullptr}, 0},
    {"none valid", {kWithoutList, "[1]", "{"}, -1},
    {"no file at all", {nullptr, nullptr, nullptr}, -1},
};

TEST(MinimumConfigHelperTest, ConfigPathTakesTheFirstUsableCopy) {
    for (const PathCase& c : kPathCases) {
        SCOPED_TRACE(c.name);
        Tree tree;
        for (int i = 0; i < 3; ++i) tree.Put(i, c.documents[i]);
        LogCapture log;
        EXPECT_EQ(tree.helper.GetConfigPath().value_or(L"none"), c.chosen < 0 ? L"none" : tree.Path(c.chosen));
        std::vector<std::string> expected;
        if (c.chosen < 0) expected = {"MinimumConfigHelper::GetConfigPath config file does not exists or is invalid"};
        EXPECT_EQ(Logged(log), expected);
    }
}

struct ChoiceCase {
    const char* name;
    std::vector<const wchar_t*> codes;  // each row's cpu text is its code
    const wchar_t* current;
    const wchar_t* shown;
};

const ChoiceCase kChoiceCases[] = {
    {"current language", {L"cn", L"en"}, L"cn", L"cn"},
    {"no row for de: en", {L"cn", L"en"}, L"de", L"en"},
    {"only fr with cn: fr", {L"fr"}, L"cn", L"fr"},
    {"neither current nor en: first in code order", {L"ru", L"de", L"fr"}, L"it", L"de"},
    {"empty table: none", {}, L"cn", L"none"},
};

TEST(MinimumConfigHelperTest, ChoosesTheRowToShow) {
    for (const ChoiceCase& c : kChoiceCases) {
        SCOPED_TRACE(c.name);
        MinimumConfigTable table;
        for (const wchar_t* code : c.codes) table[code].cpu = code;
        const MinimumConfigRow* row = ChooseMinimumConfigRow(table, c.current);
        EXPECT_EQ(row ? row->cpu : L"none", c.shown);
    }
}

// The thread loads, then calls back exactly once with the table filled;
// without any usable copy the callback still comes, over an empty table.
TEST(MinimumConfigHelperTest, ThreadLoadsThenCallsBack) {
    struct Case { const char* temporaryCopy; const char* table; size_t logLines; };
    for (const Case& c : {Case{kValid, kValidTable, 0}, Case{nullptr, "", 1}}) {
        Tree tree;
        tree.Put(2, c.temporaryCopy);
        LogCapture log;
        int calls = 0;
        std::string seen;
        ASSERT_TRUE(tree.helper.Start([&] { ++calls; seen = Describe(tree.helper.Table()); }));
        tree.helper.Wait();
        EXPECT_EQ(calls, 1);
        EXPECT_EQ(seen, c.table);
        EXPECT_EQ(Logged(log).size(), c.logLines);
    }
}

// Closing the window while the loader waits on a silent service: stopping the
// loader cancels its download, and the callback does not come.
TEST(MinimumConfigHelperTest, StoppingCancelsTheDownloadFromASilentService) {
    const ScopedNoProxy noProxy;
    LoopbackHttpServer silent;
    silent.SetHandler([](const LoopbackRequest&) { return LoopbackAnswer{.neverAnswer = true}; });
    SetConfigServiceBaseUrl(silent.BaseUrl());
    Tree tree;
    tree.helper.CheckHelper().SetDownloadEnabled(true);
    int calls = 0;
    ASSERT_TRUE(tree.helper.Start([&] { ++calls; }));
    ASSERT_TRUE(silent.WaitForRequestTo("/common/getTimestamp", std::chrono::seconds(10)));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const auto stopRequested = std::chrono::steady_clock::now();
    tree.helper.Stop();
    std::printf("[ figure   ] loader ended %lld us after the stop request\n",
                static_cast<long long>((std::chrono::steady_clock::now() - stopRequested) / std::chrono::microseconds(1)));
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(tree.helper.CheckHelper().LastDownload().outcome, LatestConfigOutcome::Cancelled);
    EXPECT_EQ(silent.Requests().size(), 1u);
    SetConfigServiceBaseUrl("");
}

}  // namespace
