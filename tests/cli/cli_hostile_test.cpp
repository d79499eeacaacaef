// The built kalofitprobe-cli under the conditions a real machine brings:
// many copies started at once on one data folder, links planted inside the
// program's folders, settings "files" that are pipes or devices, a process
// that cannot start threads. Each run is a real child process.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <regex>
#include <sstream>

#include "engine/rule_set_reader.h"
#include "shell/json.h"
#include "shell/platform.h"
#include "shell/text_convert.h"
#include "tests/support/loopback_http_server.h"
#include "tests/support/rule_set_documents.h"
#include "tests/support/scoped_environment.h"
#include "tests/support/temp_folder.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

struct CliRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs the program with the arguments; `timeout` ends a run that hangs, so
// that a hang shows as a failure instead of a stuck test.
CliRun RunCli(const std::string& arguments, const std::string& environment = "") {
    ScopedTempFolder scratch;
    const std::string out = WideToUtf8(scratch.File(L"out")), err = WideToUtf8(scratch.File(L"err"));
    const std::string command = environment + " timeout 60 " + KALO_CLI_PATH + " " + arguments + " >'" + out +
                                "' 2>'" + err + "' </dev/null";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadWholeFile(Utf8ToWide(out)), ReadWholeFile(Utf8ToWide(err))};
}

// Starts `count` copies at once and returns their exit codes.
std::vector<int> RunConcurrently(int count, const std::vector<std::string>& arguments) {
    std::vector<std::string> argv{KALO_CLI_PATH};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    std::vector<char*> raw;
    for (std::string& a : argv) raw.push_back(a.data());
    raw.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    std::vector<pid_t> children;
    for (int i = 0; i < count; ++i) {
        pid_t pid = 0;
        if (posix_spawn(&pid, KALO_CLI_PATH, &actions, nullptr, raw.data(), environ) == 0) children.push_back(pid);
    }
    posix_spawn_file_actions_destroy(&actions);
    std::vector<int> codes;
    for (const pid_t pid : children) {
        int status = 0;
        waitpid(pid, &status, 0);
        codes.push_back(WIFEXITED(status) ? WEXITSTATUS(status) : -1);
    }
    return codes;
}

// Every entry below `folder`, with a file's content or a link's target, so
// that any change outside the program's folders shows.
std::map<std::string, std::string> Snapshot(const fs::path& folder) {
    std::map<std::string, std::string> entries;
    std::error_code error;
    for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string name = fs::relative(it->path(), folder).string();
        if (it->is_symlink()) {
            entries[name] = "-> " + fs::read_symlink(it->path()).string();
        } else if (it->is_regular_file()) {
            entries[name] = ReadWholeFile(FromFsPath(it->path())) +
                            "@" + std::to_string(fs::last_write_time(it->path()).time_since_epoch().count());
        } else {
            entries[name] = "folder";
        }
    }
    return entries;
}

std::string TodaysLogName() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char name[64];
    std::strftime(name, sizeof name, "KALOFitProbe-%Y%m%d.log", &local);
    return name;
}

class HostileTerminalCheck : public testing::Test {
protected:
    fs::path Data() const { return ToFsPath(root_.File(L"data")) / "KALO Assistant 4"; }
    fs::path Temp() const { return ToFsPath(root_.File(L"runtime")); }
    fs::path Outside() const { return ToFsPath(root_.File(L"outside")); }

    void SetUp() override {
        fs::create_directories(Temp());
        fs::permissions(Temp(), fs::perms::owner_all, fs::perm_options::replace);
        fs::create_directories(Outside() / "folder");
        root_.Write(L"outside/victim.txt", "someone's file");
        for (const char* name : {"a.log", "b.log", "c.log"}) root_.Write(Utf8ToWide(std::string("outside/folder/") + name), "kept");
    }

    ScopedTempFolder root_;
    ScopedNoProxy noProxy_;
    ScopedEnv data_{"XDG_DATA_HOME", WideToUtf8(root_.File(L"data")).c_str()};
    ScopedEnv runtime_{"XDG_RUNTIME_DIR", WideToUtf8(root_.File(L"runtime")).c_str()};
};

TEST_F(HostileTerminalCheck, ManyCopiesAtOnceAllSucceedAndLeaveEveryFileWhole) {
    const fs::path packs = fs::path(KALO_FIXTURE_DIR) / "../../resources/lang";
    const std::regex line(R"(^(\d\d/\d\d/\d{4} \d\d:\d\d:\d\d\|[^|\n]+\|\d+\t[^\n]*)?$)");
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        const std::vector<int> codes = RunConcurrently(16, {"--no-download", "--json", "--lang", "en"});
        EXPECT_EQ(codes, std::vector<int>(16, 0));

        const std::string index = ReadWholeFile(FromFsPath(Data() / "KALOFitProbeLang/lang.ini"));
        for (const char* code : {"cn", "en", "jp", "ko", "de", "es", "fr", "it", "nl", "pl", "pt", "ru"}) {
            EXPECT_NE(index.find(std::string("[") + code + "]\nversion=1.0.12.26\n"), std::string::npos) << code;
            const std::string pack = std::string(code) + "/fitprobe/KALOFitProbe.lang";
            EXPECT_EQ(ReadWholeFile(FromFsPath(Data() / "KALOFitProbeLang" / pack)),
                      ReadWholeFile(FromFsPath(packs / pack)))
                << pack;
        }
        for (const auto& [name, content] : Snapshot(Data().parent_path())) {
            EXPECT_NE(fs::path(name).filename().string().front(), '.') << "a temporary file was left: " << name;
        }
        std::istringstream log(ReadWholeFile(FromFsPath(Data() / "Logs" / TodaysLogName())));
        size_t lines = 0;
        for (std::string text; std::getline(log, text); ++lines) EXPECT_TRUE(std::regex_match(text, line)) << text;
        EXPECT_GT(lines, 16u * 37u * (round + 1)) << "every run logs each archive entry";
    }
}

TEST_F(HostileTerminalCheck, NoPlantedLinkMakesTheProgramTouchAnythingOutsideItsFolders) {
    LoopbackHttpServer service;
    service.Serve("/common/getTimestamp", {.body = "1765200000"});
    service.Serve("/rezedav/wscheckerconfig", {.body = R"({"body":{"url":")" + service.BaseUrl() + R"(/rules.json"}})"});
    service.Serve("/rules.json", {.body = CompleteRuleSet(R"("OS":["DEBIAN"])")});
    const std::string serviceEnv = "KALO_CONFIG_SERVICE_URL=" + service.BaseUrl();

    const fs::path lang = Data() / "KALOFitProbeLang";
    const struct {
        const char* name;
        fs::path link;        // planted after a first ordinary run
        fs::path target;      // outside the program's folders
        bool mustBecomeReal;  // the program's own file or folder stands there afterwards
        bool secondName = false;  // a hard link to the target instead of a symbolic one
    } kCases[] = {
        {"today's log file", Data() / "Logs" / TodaysLogName(), Outside() / "victim.txt", true},
        {"the Logs folder", Data() / "Logs", Outside() / "folder", true},
        {"the old temporary name of lang.ini", lang / "lang.ini.tmp", Outside() / "victim.txt", false},
        {"lang.ini", lang / "lang.ini", Outside() / "victim.txt", true},
        {"a language folder", lang / "en", Outside() / "folder", true},
        {"the language root", lang, Outside() / "folder", true},
        {"the cache folder", Data() / "updates/fitprobe", Outside() / "folder", true},
        {"a dangling rule set in the temporary folder", Temp() / "checkerconfig.json", Outside() / "created.json",
         true},
        {"today's log file as a second name", Data() / "Logs" / TodaysLogName(), Outside() / "victim.txt", true, true},
        {"lang.ini as a second name", lang / "lang.ini", Outside() / "victim.txt", true, true},
        {"an old log file", Data() / "Logs" / "KALOFitProbe-20200102.log", Outside() / "old.log", false},
        {"an old log file as a second name", Data() / "Logs" / "KALOFitProbe-20200101.log", Outside() / "old.log",
         false, true},
    };
    // An old file of someone's, which the old-log clean-up must not reach.
    root_.Write(L"outside/old.log", "an old file");
    const auto twoYearsAgo = fs::file_time_type::clock::now() - std::chrono::hours(2 * 365 * 24);
    fs::last_write_time(Outside() / "old.log", twoYearsAgo);
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(RunCli("--no-download").exitCode, 0);
        std::error_code error;
        fs::remove_all(c.link, error);
        if (c.secondName) {
            fs::create_hard_link(c.target, c.link);
        } else {
            fs::create_symlink(c.target, c.link);
        }
        const auto before = Snapshot(Outside());

        const CliRun run = RunCli("--json", serviceEnv);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(Snapshot(Outside()), before);
        if (c.mustBecomeReal) {
            EXPECT_FALSE(fs::is_symlink(c.link)) << "the program's own entry replaces the link";
            if (c.secondName) {
                EXPECT_EQ(fs::hard_link_count(c.target), 1u) << "the program's own file takes the name";
            }
        }
        Json::Value json;
        ASSERT_TRUE(ParseJson(run.out, json)) << run.out;
        EXPECT_TRUE(json["download"]["cacheUpdated"].asBool()) << json["download"]["failure"].asString();
    }
}

TEST_F(HostileTerminalCheck, ATemporaryFolderOthersMayEnterIsNotUsed) {
    fs::permissions(Temp(), fs::perms::all, fs::perm_options::replace);
    const CliRun run = RunCli("--no-download --json");
    ASSERT_EQ(run.exitCode, 0);
    Json::Value json;
    ASSERT_TRUE(ParseJson(run.out, json));
    EXPECT_EQ(json["ruleSet"].asString(), "/tmp/kalofitprobe-" + std::to_string(getuid()) + "/checkerconfig.json");
    EXPECT_FALSE(fs::exists(Temp() / "checkerconfig.json"));
}

TEST_F(HostileTerminalCheck, ASettingsFileThatIsNoFileEndsQuicklyWithOneClearLine) {
    const fs::path fifo = ToFsPath(root_.File(L"settings.fifo"));
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::wstring large = root_.Write(L"large.ini", "[test]\n" + std::string(2u << 20, ';'));
    const std::wstring junk = root_.Write(L"junk.ini", std::string("[test]\nistest=1\n\0\0\xFF\x01", 20));
    const struct { const char* name; std::string path; const char* says; } kCases[] = {
        {"a pipe", fifo.string(), "not a regular file"},
        {"a device without end", "/dev/zero", "not a regular file"},
        {"a folder", WideToUtf8(root_.Path()), "not a regular file"},
        {"a missing file", WideToUtf8(root_.File(L"missing.ini")), "not found"},
        {"a huge file", WideToUtf8(large), "larger than 1048576 bytes"},
        {"a file that is no text", WideToUtf8(junk), "neither UTF-8 nor UTF-16LE text"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        const CliRun run = RunCli("--no-download --settings '" + c.path + "'");
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_EQ(run.err, "kalofitprobe-cli: settings file " + c.path + ": " + c.says + "; going on without it\n");
        EXPECT_NE(run.out.find("GPU"), std::string::npos) << "the check still ran";
    }
}

// A check that cannot run, or that fails inside, ends with exit code 1, one
// line on standard error, nothing on standard output and the cause in the log.
TEST_F(HostileTerminalCheck, AChecksFailureEndsTheRunWithOneLineAndItsCauseLogged) {
    const struct {
        const char* name;
        const char* preload;
        const char* line;   // the start of the one line on standard error
        const char* cause;  // the exception's text, in that line and in the log; null: none
    } kCases[] = {
        // Every pthread_create fails, as a process at its thread limit sees it.
        {"no worker thread", KALO_NO_THREADS_LIBRARY,
         "kalofitprobe-cli: the check could not run: its worker thread did not start", nullptr},
        // Listing the PCI devices throws inside the adapter probe.
        {"a probe that throws", KALO_THROWING_PROBE_LIBRARY, "kalofitprobe-cli: the check could not finish: ",
         "the PCI listing broke"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        const CliRun run = RunCli("--no-download", std::string("LD_PRELOAD=") + c.preload +
                                                    " ASAN_OPTIONS=verify_asan_link_order=0:detect_leaks=0");
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.err.rfind(c.line, 0), 0u) << run.err;
        EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << "one line: " << run.err;
        EXPECT_EQ(run.out, "");
        if (c.cause == nullptr) continue;
        EXPECT_NE(run.err.find(c.cause), std::string::npos) << run.err;
        const std::string log = ReadWholeFile(FromFsPath(Data() / "Logs" / TodaysLogName()));
        EXPECT_NE(log.find(std::string("|CCheckHelper::RunCheck|")), std::string::npos) << log;
        EXPECT_NE(log.find(std::string("the check failed: ")), std::string::npos) << log;
        EXPECT_NE(log.find(c.cause), std::string::npos) << log;
    }
}

TEST_F(HostileTerminalCheck, AnUnreachableServiceIsReportedWithTheRuleSetUsed) {
    const std::string env = "KALO_CONFIG_SERVICE_URL=http://127.0.0.1:1";
    const CliRun text = RunCli("", env);
    EXPECT_EQ(text.exitCode, 0);
    EXPECT_EQ(text.err, "kalofitprobe-cli: the configuration service could not be reached (address: cannot connect); "
                        "rule set used: " + (Temp() / "checkerconfig.json").string() + "\n");
    const CliRun json = RunCli("--json", env);
    Json::Value parsed;
    ASSERT_TRUE(ParseJson(json.out, parsed));
    EXPECT_TRUE(parsed["download"]["tried"].asBool());
    EXPECT_FALSE(parsed["download"]["cacheUpdated"].asBool());
    EXPECT_EQ(parsed["download"]["failure"].asString(), "address: cannot connect");
    EXPECT_FALSE(RunCli("--json --no-download").out.empty());
}

TEST_F(HostileTerminalCheck, ALibcurlThatCannotBeUsedCostsOnlyTheDownloadAndIsLogged) {
    // Found first on the library path, as a damaged or foreign installation
    // would put it there.
    const struct {
        const char* name;
        std::function<void(const fs::path&)> plant;
        const char* logged;
    } kCases[] = {
        {"a file that is no library", [](const fs::path& file) { std::ofstream(file) << "not a library"; },
         "libcurl.so.4 cannot be loaded ("},
        {"a library without curl's calls", [](const fs::path& file) { fs::copy_file(KALO_NO_THREADS_LIBRARY, file); },
         "libcurl.so.4 has no curl_global_init: no downloads in this run"},
    };
    LoopbackHttpServer service;
    service.Serve("/common/getTimestamp", {200, "1765200000"});
    int folder = 0;
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        const fs::path libraries = Outside() / ("libraries" + std::to_string(++folder));
        fs::create_directories(libraries);
        c.plant(libraries / "libcurl.so.4");
        fs::remove_all(Data() / "Logs");
        const CliRun run = RunCli("--json", "LD_LIBRARY_PATH='" + libraries.string() + "' KALO_CONFIG_SERVICE_URL=" +
                                                service.BaseUrl());
        EXPECT_EQ(run.exitCode, 0) << run.err;
        Json::Value json;
        ASSERT_TRUE(ParseJson(run.out, json)) << run.out;
        EXPECT_EQ(json["rows"].size(), 5u);
        EXPECT_EQ(json["download"]["failure"].asString(), "address: transfer failed");
        const std::string log = ReadWholeFile(FromFsPath(Data() / "Logs" / TodaysLogName()));
        EXPECT_NE(log.find(std::string("|OpenCurlLibrary|")), std::string::npos) << log;
        EXPECT_NE(log.find(c.logged), std::string::npos) << log;
    }
    EXPECT_TRUE(service.RequestsTo("/common/getTimestamp").empty());
}

}  // namespace
