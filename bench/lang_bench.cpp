// The language work of every start: reading the index from the embedded
// archive, unpacking all packs into the data folder (with the log open, as at
// a real start, which writes one line per entry) and loading one pack.

#include <benchmark/benchmark.h>

#include <filesystem>

#include "app/program_identity.h"
#include "lang/lang_config.h"
#include "shell/log.h"
#include "shell/platform.h"

namespace {

namespace fs = std::filesystem;

class ScratchFolder {
public:
    explicit ScratchFolder(const char* name) : path_(fs::temp_directory_path() / name) {
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~ScratchFolder() { fs::remove_all(path_); }
    std::wstring Path() const { return FromFsPath(path_); }

private:
    fs::path path_;
};

void BM_StartUpLanguageSetup(benchmark::State& state) {
    ScratchFolder data("kalo-bench-lang");
    CCTLog& log = CCTLog::Instance();
    log.SetConsoleCopy(nullptr);
    log.OpenFile(JoinPath(data.Path(), L"bench.log"));
    log.SetEnabled(true);
    for (auto _ : state) {
        CLangConfig config(data.Path());
        config.InitDefaultLangResByLangZip(kLanguageArchiveId, kArchiveType);
        const bool released = config.ReleaseDefaultLangRes(kLanguageArchiveId, kArchiveType, kProgramName);
        const bool switched = config.SwitchLanguage(L"en", L"English", kProgramName, L"");
        if (!released || !switched) state.SkipWithError("language set-up failed");
        benchmark::DoNotOptimize(config.GetLangText(L"IDS_STRING_WELCOME"));
    }
    log.Close();
}
BENCHMARK(BM_StartUpLanguageSetup)->Unit(benchmark::kMillisecond);

void BM_ReadIndexFromArchive(benchmark::State& state) {
    for (auto _ : state) {
        CLangConfig config(L"/nonexistent");
        config.InitDefaultLangResByLangZip(kLanguageArchiveId, kArchiveType);
        benchmark::DoNotOptimize(config.LanguageList().data());
    }
}
BENCHMARK(BM_ReadIndexFromArchive)->Unit(benchmark::kMicrosecond);

void BM_LoadOnePack(benchmark::State& state) {
    ScratchFolder data("kalo-bench-pack");
    CLangConfig unpacker(data.Path());
    if (!unpacker.ReleaseDefaultLangRes(kLanguageArchiveId, kArchiveType, kProgramName)) state.SkipWithError("unpack failed");
    CLangConfig config(data.Path());
    for (auto _ : state) {
        benchmark::DoNotOptimize(config.LoadLangRes(L"ru", kProgramName));
    }
}
BENCHMARK(BM_LoadOnePack)->Unit(benchmark::kMicrosecond);

}  // namespace
