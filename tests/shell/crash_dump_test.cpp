#include "shell/crash_dump.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/procfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <ctime>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "shell/elf_core_writer_linux.h"
#include "shell/log.h"
#include "shell/platform.h"
#include "tests/support/log_capture.h"
#include "tests/support/scoped_environment.h"
#include "tests/support/temp_folder.h"

using namespace crashdump;
namespace fs = std::filesystem;

namespace {

std::string Text(void (*append)(CFixedText&)) {
    char buffer[256];
    CFixedText text(buffer, sizeof buffer);
    append(text);
    return std::string(text.View());
}

TEST(CrashDumpTime, CivilTimeAgreesWithTheCLibrary) {
    for (const int64_t t : {int64_t{0}, int64_t{-1}, int64_t{951782400}, int64_t{951868799}, int64_t{1772529907},
                            int64_t{4102444800}, int64_t{-2208988800}}) {
        const time_t asTime = static_cast<time_t>(t);
        tm expected{};
        gmtime_r(&asTime, &expected);
        const CivilTime civil = CivilTimeFromUnix(t);
        EXPECT_EQ(civil.year, expected.tm_year + 1900) << t;
        EXPECT_EQ(civil.month, expected.tm_mon + 1) << t;
        EXPECT_EQ(civil.day, expected.tm_mday) << t;
        EXPECT_EQ(civil.hour * 3600 + civil.minute * 60 + civil.second,
                  expected.tm_hour * 3600 + expected.tm_min * 60 + expected.tm_sec) << t;
    }
}

// Compares the table's local time with the C library's, under a zone with
// summer time, around both changes of 2026 and in the winter after.
void ExpectLocalTimesAgree() {
    const ScopedEnv zone("TZ", "CET-1CEST,M3.5.0,M10.5.0/3");
    tzset();
    const int64_t newYear2026 = 1767225600;
    const LocalOffsetTable table = BuildLocalOffsetTable(newYear2026, 400 * 86400);
    for (const int64_t t : {newYear2026, int64_t{1774746000} - 1, int64_t{1774746000}, int64_t{1792890000} - 1,
                            int64_t{1792890000}, int64_t{1796083200}}) {
        const time_t asTime = static_cast<time_t>(t);
        tm expected{};
        localtime_r(&asTime, &expected);
        const CivilTime local = LocalCivilTime(table, t);
        EXPECT_EQ(local.day, expected.tm_mday) << t;
        EXPECT_EQ(local.hour, expected.tm_hour) << t;
        EXPECT_EQ(local.minute, expected.tm_min) << t;
    }
}

TEST(CrashDumpTime, LocalTimeFollowsSummerTimeChanges) {
    ExpectLocalTimesAgree();
    tzset();  // back to the zone the environment names
}

TEST(CrashDumpName, YearMonthDayHourMinute) {
    struct Case { CivilTime time; const char* expected; };
    const Case cases[] = {
        {{2026, 3, 3, 9, 5, 7}, "KALOFitProbe202603030905.dmp"},
        {{2026, 12, 31, 23, 59, 59}, "KALOFitProbe202612312359.dmp"},
        {{12026, 1, 1, 0, 0, 0}, "KALOFitProbe120260101" "0000.dmp"},  // the year keeps all its digits
    };
    for (const Case& c : cases) {
        char buffer[64];
        CFixedText text(buffer, sizeof buffer);
        AppendDumpFileName(text, "KALOFitProbe", c.time);
        EXPECT_EQ(std::string(text.View()), c.expected);
    }
    char small[10];
    CFixedText tooSmall(small, sizeof small);
    AppendDumpFileName(tooSmall, "KALOFitProbe", CivilTime{});
    EXPECT_EQ(tooSmall.CString(), nullptr);
}

TEST(CrashDumpLog, LineHasTheLoggersLayoutAndFullWidthComma) {
    const std::string line = Text([](CFixedText& out) { AppendCrashLogLine(out, {2026, 3, 3, 9, 5, 7}, 4242, 1, 0); });
    EXPECT_EQ(line, "03/03/2026 09:05:07|VRUnHandledExceptionFilter|4242\t****exception(dump[bRet=1\xEF\xBC\x8C" "err=0])\n");
    const std::string failed = Text([](CFixedText& out) { AppendCrashLogLine(out, {2026, 3, 3, 9, 5, 7}, 7, 0, 28); });
    EXPECT_NE(failed.find("(dump[bRet=0\xEF\xBC\x8C" "err=28])"), std::string::npos);
}

TEST(CrashDumpLog, FinishedLineGoesToTheLogWholeOrNotAtAll) {
    LogCapture capture;
    const std::string line = Text([](CFixedText& out) { AppendCrashLogLine(out, {2026, 3, 3, 9, 5, 7}, 9, 1, 0); });
    EXPECT_TRUE(CCTLog::Instance().TryWriteLine(line));
    EXPECT_EQ(capture.Lines(), std::vector<std::string>{line.substr(0, line.size() - 1)});
    CCTLog::Instance().SetEnabled(false);
    EXPECT_FALSE(CCTLog::Instance().TryWriteLine(line));
    EXPECT_EQ(capture.Lines().size(), 1u);
}

// smaps text: each mapping line, then the "Anonymous:" line smaps adds.
constexpr char kSmaps[] =
    "555555554000-555555556000 r--p 00000000 08:01 1001    /opt/kalo/bin/kalofitprobe\n"
    "Anonymous:             0 kB\n"
    "555555556000-555555558000 r-xp 00002000 08:01 1001    /opt/kalo/bin/kalofitprobe\n"
    "555555558000-555555559000 r--p 00004000 08:01 1001    /opt/kalo/bin/kalofitprobe\n"
    "Anonymous:             4 kB\n"
    "555555559000-55555555a000 rw-p 00005000 08:01 1001    /opt/kalo/bin/kalofitprobe\n"
    "55555555a000-55555557b000 rw-p 00000000 00:00 0       [heap]\n"
    "7ffff7000000-7ffff7001000 ---p 00000000 00:00 0 \n"
    "7ffff7001000-7ffff7003000 rw-s 00000000 00:05 77      /dev/zero (deleted)\n"
    "7ffff7003000-7ffff7004000 rw-s 00000000 08:01 2002    /var/data/shared.bin\n"
    "7ffff7fc1000-7ffff7fc5000 r--p 00000000 00:00 0       [vvar]\n"
    "7ffff7fc5000-7ffff7fc7000 r-xp 00000000 00:00 0       [vdso]\n"
    "7ffffffde000-7ffffffff000 rw-p 00000000 00:00 0       [stack]\n"
    "ffffffffff600000-ffffffffff601000 --xp 00000000 00:00 0  [vsyscall]\n"
    "7fff00000000-7fff00001000 rw-p 00000000 00:00 0  cut off";

TEST(CrashDumpMappings, ParsedAndChosen) {
    MapEntry maps[32];
    const std::string_view text = kSmaps;
    const size_t count = ParseMappings(text, maps, 32);
    ASSERT_EQ(count, 12u);  // the unfinished last line is not a mapping
    EXPECT_EQ(maps[0].start, 0x555555554000u);
    EXPECT_EQ(maps[2].anonymousBytes, 4096u);
    EXPECT_EQ(text.substr(maps[0].nameOffset, maps[0].nameLength), "/opt/kalo/bin/kalofitprobe");

    struct Case { size_t index; bool dumped; const char* why; };
    const Case cases[] = {
        {0, false, "read-only file pages: gdb reads the file"},
        {1, false, "program code"},
        {2, true, "relocated read-only data"},
        {3, true, "the program's data"},
        {4, true, "the heap"},
        {5, false, "a guard page"},
        {6, true, "shared anonymous memory"},
        {7, false, "a shared file mapping"},
        {8, false, "[vvar]"},
        {9, true, "[vdso]"},
        {10, true, "the stack"},
        {11, false, "[vsyscall]"},
    };
    const uint64_t stack = 0x7fffffffe000;
    ChooseDumpedMappings(maps, count, text, &stack, 1, DumpBudget{1u << 30, 0, 0});
    for (const Case& c : cases) EXPECT_EQ(maps[c.index].dump, c.dumped) << c.why;

    // A budget for the stack and little else: the stack comes first, then
    // what still fits whole, in address order; excluded memory never.
    ChooseDumpedMappings(maps, count, text, &stack, 1, DumpBudget{0x21000 + 0x2000, 0x555555558000, 0x555555559000});
    EXPECT_TRUE(maps[10].dump);
    EXPECT_FALSE(maps[2].dump);  // excluded
    EXPECT_TRUE(maps[3].dump);
    EXPECT_FALSE(maps[4].dump);  // the heap no longer fits
    EXPECT_FALSE(maps[6].dump);
}

TEST(CrashDumpNotes, LayoutOfNotesFilesAndHeaders) {
    EXPECT_EQ(CoreNoteSize(sizeof(elf_prstatus)), 12u + 8u + sizeof(elf_prstatus));
    EXPECT_EQ(CoreNoteSize(5), 12u + 8u + 8u);
    char notes[64];
    const char content[5] = {1, 2, 3, 4, 5};
    EXPECT_EQ(AppendCoreNote(notes, sizeof notes, 0, NT_AUXV, content, 5), 28u);
    EXPECT_EQ(AppendCoreNote(notes, sizeof notes, 40, NT_AUXV, content, 5), 0u);  // does not fit

    MapEntry maps[32];
    const std::string_view text = kSmaps;
    const size_t count = ParseMappings(text, maps, 32);
    char file[1024];
    const size_t size = BuildFileNoteContent(maps, count, text, 4096, file, sizeof file);
    uint64_t words[2 + 3 * 5];
    ASSERT_GE(size, sizeof words);
    std::memcpy(words, file, sizeof words);
    EXPECT_EQ(words[0], 5u);  // four of the program, the shared file; not /dev/zero
    EXPECT_EQ(words[1], 4096u);
    EXPECT_EQ(words[2 + 3 * 1 + 2], 2u);  // the code's page offset
    EXPECT_EQ(std::string(file + sizeof words), "/opt/kalo/bin/kalofitprobe");

    maps[4].dump = true;
    Elf64_Ehdr header;
    Elf64_Phdr headers[33];
    const uint64_t total = LayOutCore(maps, count, 1000, 4096, header, headers);
    EXPECT_EQ(header.e_type, ET_CORE);
    EXPECT_EQ(header.e_phnum, count + 1);
    EXPECT_EQ(headers[0].p_offset, sizeof header + (count + 1) * sizeof(Elf64_Phdr));
    EXPECT_EQ(headers[5].p_offset % 4096, 0u);
    EXPECT_EQ(headers[5].p_filesz, maps[4].Size());
    EXPECT_EQ(headers[1].p_filesz, 0u);
    EXPECT_EQ(total, headers[5].p_offset + maps[4].Size());
}

// --- Real crashes of the crash child ---

struct CoreNote {
    uint32_t type;
    std::string content;
};

struct ParsedCore {
    bool valid = false;
    uint16_t type = 0;
    std::vector<CoreNote> notes;
    size_t Count(uint32_t type) const {
        size_t n = 0;
        for (const CoreNote& note : notes) n += note.type == type ? 1 : 0;
        return n;
    }
    const CoreNote* Find(uint32_t type) const {
        for (const CoreNote& note : notes) {
            if (note.type == type) return &note;
        }
        return nullptr;
    }
};

ParsedCore ParseCore(const std::string& bytes) {
    ParsedCore core;
    Elf64_Ehdr header{};
    if (bytes.size() < sizeof header) return core;
    std::memcpy(&header, bytes.data(), sizeof header);
    if (std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 || header.e_ident[EI_CLASS] != ELFCLASS64) return core;
    core.type = header.e_type;
    if (header.e_phoff + header.e_phnum * sizeof(Elf64_Phdr) > bytes.size()) return core;
    for (size_t i = 0; i < header.e_phnum; ++i) {
        Elf64_Phdr segment{};
        std::memcpy(&segment, bytes.data() + header.e_phoff + i * sizeof segment, sizeof segment);
        if (segment.p_offset + segment.p_filesz > bytes.size()) return core;
        for (size_t at = segment.p_offset; segment.p_type == PT_NOTE && at < segment.p_offset + segment.p_filesz;) {
            Elf64_Nhdr note{};
            std::memcpy(&note, bytes.data() + at, sizeof note);
            const size_t content = at + sizeof note + ((note.n_namesz + 3) & ~3u);
            core.notes.push_back({note.n_type, bytes.substr(content, note.n_descsz)});
            at = content + ((note.n_descsz + 3) & ~3u);
        }
    }
    core.valid = true;
    return core;
}

struct ChildRun {
    int status = 0;
    time_t started = 0;
    time_t ended = 0;
};

ChildRun RunCrashChild(const std::wstring& dataHome, const char* mode) {
    ChildRun run;
    run.started = std::time(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        setenv("XDG_DATA_HOME", ToFsPath(dataHome).string().c_str(), 1);
        execl(KALO_CRASH_CHILD_PATH, KALO_CRASH_CHILD_PATH, mode, static_cast<char*>(nullptr));
        _exit(127);
    }
    waitpid(pid, &run.status, 0);
    run.ended = std::time(nullptr);
    return run;
}

std::string ExpectedName(time_t when) {
    tm local{};
    localtime_r(&when, &local);
    char name[64];
    std::strftime(name, sizeof name, "KALOFitProbe%Y%m%d%H%M.dmp", &local);
    return name;
}

std::vector<fs::path> FilesBelow(const fs::path& folder) {
    std::vector<fs::path> files;
    std::error_code error;
    for (const auto& entry : fs::recursive_directory_iterator(folder, error)) {
        if (entry.is_regular_file()) files.push_back(entry.path());
    }
    return files;
}

// The crash log lines in the logs below the data folder.
std::vector<std::string> CrashLogLines(const fs::path& dataFolder) {
    std::vector<std::string> found;
    for (const fs::path& file : FilesBelow(dataFolder / "Logs")) {
        const std::string content = ReadWholeFile(FromFsPath(file));
        size_t at = 0;
        while ((at = content.find("|VRUnHandledExceptionFilter|", at)) != std::string::npos) {
            const size_t begin = content.rfind('\n', at) + 1;
            found.push_back(content.substr(begin, content.find('\n', at) - begin));
            at = content.find('\n', at);
        }
    }
    return found;
}

std::string RunGdb(const fs::path& program, const fs::path& dump) {
    const std::string command = "gdb -nx -batch -iex 'set debuginfod enabled off' -ex 'thread apply all bt' '" +
                                program.string() + "' '" + dump.string() + "' 2>&1";
    std::string output;
    if (std::FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) != 0;) output.append(buffer, got);
        pclose(pipe);
    }
    return output;
}

bool HaveGdb() { return std::system("gdb --version >/dev/null 2>&1") == 0; }

struct CrashCase {
    const char* mode;
    int signal;
    const char* function;
    size_t threads;  // main, three workers, and the crashing thread where it is another
};
const CrashCase kCrashCases[] = {
    {"null-write-in-thread", SIGSEGV, "CrashByNullWrite", 5},
    {"abort", SIGABRT, "CrashByAbort", 4},
    {"divide-by-zero", SIGFPE, "CrashByDivision", 4},
    // Only a worker's own alternate signal stack leaves room for the handler.
    {"stack-overflow-in-worker", SIGSEGV, "CrashByStackOverflow", 5},
};

TEST(CrashDumpChild, EachCrashLeavesACoreGdbOpensAndOneLogLine) {
    const bool gdb = HaveGdb();
    if (!gdb) std::printf("gdb is not installed: the dumps are checked without it\n");
    const fs::path program = fs::canonical(KALO_CRASH_CHILD_PATH);
    for (const CrashCase& c : kCrashCases) {
        SCOPED_TRACE(c.mode);
        ScopedTempFolder home;
        const ChildRun run = RunCrashChild(home.Path(), c.mode);
        ASSERT_TRUE(WIFSIGNALED(run.status)) << "exit status " << run.status;
        EXPECT_EQ(WTERMSIG(run.status), c.signal);

        const fs::path data = ToFsPath(home.Path()) / "KALO Assistant 4";
        const std::vector<fs::path> dumps = FilesBelow(data / "crashDumps");
        ASSERT_EQ(dumps.size(), 1u);
        const std::string name = dumps[0].filename().string();
        EXPECT_TRUE(name == ExpectedName(run.started) || name == ExpectedName(run.ended)) << name;

        const ParsedCore core = ParseCore(ReadWholeFile(FromFsPath(dumps[0])));
        ASSERT_TRUE(core.valid);
        EXPECT_EQ(core.type, ET_CORE);
        EXPECT_EQ(core.Count(NT_PRSTATUS), c.threads);
        EXPECT_EQ(core.Count(NT_PRPSINFO), 1u);
        EXPECT_EQ(core.Count(NT_AUXV), 1u);
        ASSERT_NE(core.Find(NT_SIGINFO), nullptr);
        siginfo_t info{};
        std::memcpy(&info, core.Find(NT_SIGINFO)->content.data(), sizeof info);
        EXPECT_EQ(info.si_signo, c.signal);
        elf_prstatus first{};
        std::memcpy(&first, core.Find(NT_PRSTATUS)->content.data(), sizeof first);
        EXPECT_EQ(first.pr_cursig, c.signal);
        ASSERT_NE(core.Find(NT_FILE), nullptr);
        EXPECT_NE(core.Find(NT_FILE)->content.find(program.string() + '\0'), std::string::npos);

        const std::vector<std::string> lines = CrashLogLines(data);
        ASSERT_EQ(lines.size(), 1u);
        const std::regex line(R"(\d\d/\d\d/\d{4} \d\d:\d\d:\d\d\|VRUnHandledExceptionFilter\|\d+\t)"
                              "\\*\\*\\*\\*exception\\(dump\\[bRet=1\xEF\xBC\x8C" "err=0\\]\\)");
        EXPECT_TRUE(std::regex_match(lines[0], line)) << lines[0];

        if (gdb) {
            const std::string backtraces = RunGdb(program, dumps[0]);
            EXPECT_NE(backtraces.find(c.function), std::string::npos) << backtraces;
            EXPECT_NE(backtraces.find("Program terminated with signal SIG"), std::string::npos) << backtraces;
            size_t threads = 0;
            for (size_t at = 0; (at = backtraces.find("\nThread ", at)) != std::string::npos; ++at) ++threads;
            EXPECT_EQ(threads, c.threads) << backtraces;
        }
    }
}

TEST(CrashDumpChild, WithoutTheFolderNeitherDumpNorLogLine) {
    ScopedTempFolder home;
    const ChildRun run = RunCrashChild(home.Path(), "no-dump-folder");
    ASSERT_TRUE(WIFSIGNALED(run.status));
    EXPECT_EQ(WTERMSIG(run.status), SIGSEGV);
    const fs::path data = ToFsPath(home.Path()) / "KALO Assistant 4";
    EXPECT_FALSE(fs::exists(data / "crashDumps"));
    for (const fs::path& file : FilesBelow(data)) EXPECT_EQ(file.extension().string() == ".dmp", false) << file;
    EXPECT_TRUE(CrashLogLines(data).empty());
}

TEST(CrashDumpChild, TwoCrashesInOneMinuteLeaveOneWholeDump) {
    ScopedTempFolder home;
    const ChildRun first = RunCrashChild(home.Path(), "abort");
    const ChildRun second = RunCrashChild(home.Path(), "abort");
    if (ExpectedName(first.started) != ExpectedName(second.ended)) {
        GTEST_SKIP() << "the two crashes fell into different minutes";
    }
    const std::vector<fs::path> files = FilesBelow(ToFsPath(home.Path()) / "KALO Assistant 4" / "crashDumps");
    ASSERT_EQ(files.size(), 1u);  // no temporary file stays either
    EXPECT_TRUE(ParseCore(ReadWholeFile(FromFsPath(files[0]))).valid);
    EXPECT_EQ(CrashLogLines(ToFsPath(home.Path()) / "KALO Assistant 4").size(), 2u);
}

}  // namespace
