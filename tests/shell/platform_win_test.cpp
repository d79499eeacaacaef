// The Windows halves of the platform utilities on a real Windows (or Wine)
// system: the access lists of open folders, read back from the file system,
// and the minidump of a program that crashes.

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/kalo_base.h"
#include "shell/crash_dump_text.h"
#include "shell/platform.h"
#include "tests/support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

struct LocalFreer {
    void operator()(void* memory) const { LocalFree(memory); }
};

struct AceView {
    BYTE type = 0;
    BYTE flags = 0;
    ACCESS_MASK mask = 0;
    std::wstring sid;  // in string form, "S-1-1-0" for the world group
};

// The folder's access list as the file system holds it.
std::vector<AceView> AccessListOf(const std::wstring& path) {
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    std::vector<AceView> entries;
    if (GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl,
                              nullptr, &descriptor) != ERROR_SUCCESS) {
        ADD_FAILURE() << "GetNamedSecurityInfoW failed";
        return entries;
    }
    const std::unique_ptr<void, LocalFreer> owner(descriptor);
    for (DWORD i = 0; dacl != nullptr && i < dacl->AceCount; ++i) {
        void* raw = nullptr;
        if (!GetAce(dacl, i, &raw)) continue;
        const auto* header = static_cast<ACE_HEADER*>(raw);
        AceView view;
        view.type = header->AceType;
        view.flags = header->AceFlags;
        if (header->AceType == ACCESS_ALLOWED_ACE_TYPE || header->AceType == ACCESS_DENIED_ACE_TYPE) {
            auto* ace = static_cast<ACCESS_ALLOWED_ACE*>(raw);
            view.mask = ace->Mask;
            wchar_t* text = nullptr;
            if (ConvertSidToStringSidW(&ace->SidStart, &text)) {
                view.sid = text;
                LocalFree(text);
            }
        }
        entries.push_back(view);
    }
    return entries;
}

constexpr wchar_t kWorld[] = L"S-1-1-0";
constexpr wchar_t kUsers[] = L"S-1-5-32-545";

// "sid/type/flags/mask" per entry, for failure messages.
std::string Describe(const std::vector<AceView>& entries) {
    std::string text;
    for (const AceView& entry : entries) {
        text += std::string(entry.sid.begin(), entry.sid.end()) + "/" + std::to_string(entry.type) + "/" +
                std::to_string(entry.flags) + "/" + std::to_string(entry.mask) + " ";
    }
    return text;
}

size_t ExplicitWorldEntries(const std::vector<AceView>& entries) {
    size_t count = 0;
    for (const AceView& entry : entries) {
        if (entry.sid == kWorld && (entry.flags & INHERITED_ACE) == 0) ++count;
    }
    return count;
}

// Whether some entry for every user lets them create files and folders.
bool EveryUserMayCreateEntries(const std::vector<AceView>& entries) {
    constexpr ACCESS_MASK kCreate = FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY;
    for (const AceView& entry : entries) {
        if (entry.sid == kWorld && entry.type == ACCESS_ALLOWED_ACE_TYPE && (entry.mask & kCreate) == kCreate) {
            return true;
        }
    }
    return false;
}

TEST(CreateDirectoryTreeWindows, OnlyTheLastFolderIsOpenedToEveryUser) {
    ScopedTempFolder root;
    const std::wstring a = root.File(L"A");
    const std::wstring b = root.File(L"A/B");
    const std::wstring c = root.File(L"A/B/C");
    ASSERT_TRUE(CreateDirectoryTree(c, true));

    const std::vector<AceView> open = AccessListOf(c);
    EXPECT_TRUE(EveryUserMayCreateEntries(open)) << Describe(open);
    EXPECT_EQ(ExplicitWorldEntries(open), 1u) << "one entry for every user: " << Describe(open);
    EXPECT_FALSE(EveryUserMayCreateEntries(AccessListOf(a)))
        << "missing parents get the default access: " << Describe(AccessListOf(a));
    EXPECT_FALSE(EveryUserMayCreateEntries(AccessListOf(b))) << Describe(AccessListOf(b));
}

TEST(GrantEveryoneFullAccess, LeavesOneEveryoneEntryAfterTheOtherExplicitOnes) {
    ScopedTempFolder root;
    const std::wstring folder = root.File(L"open");
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    // An explicit entry of another group and an old, weaker one for Everyone.
    PSID users = nullptr;
    PSID world = nullptr;
    ASSERT_TRUE(ConvertStringSidToSidW(kUsers, &users));
    ASSERT_TRUE(ConvertStringSidToSidW(kWorld, &world));
    const std::unique_ptr<void, LocalFreer> usersOwner(users);
    const std::unique_ptr<void, LocalFreer> worldOwner(world);
    EXPLICIT_ACCESS_W entries[2] = {};
    const PSID sids[2] = {users, world};
    for (int i = 0; i < 2; ++i) {
        entries[i].grfAccessPermissions = FILE_GENERIC_READ;
        entries[i].grfAccessMode = GRANT_ACCESS;
        entries[i].grfInheritance = NO_INHERITANCE;
        entries[i].Trustee.TrusteeForm = TRUSTEE_IS_SID;
        entries[i].Trustee.ptstrName = static_cast<LPWSTR>(sids[i]);
    }
    PACL acl = nullptr;
    ASSERT_EQ(SetEntriesInAclW(2, entries, nullptr, &acl), static_cast<DWORD>(ERROR_SUCCESS));
    const std::unique_ptr<void, LocalFreer> aclOwner(acl);
    ASSERT_EQ(SetNamedSecurityInfoW(const_cast<wchar_t*>(folder.c_str()), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                                    nullptr, nullptr, acl, nullptr),
              static_cast<DWORD>(ERROR_SUCCESS));

    bool kept = false;
    for (const AceView& entry : AccessListOf(folder)) kept = kept || entry.sid == kUsers;
    if (!kept) {
        // Wine on a file system without extended attributes derives every
        // access list from the POSIX mode bits.
        GTEST_SKIP() << "this file system keeps no access lists of its own: " << Describe(AccessListOf(folder));
    }

    ASSERT_TRUE(GrantEveryoneFullAccess(folder));
    const std::vector<AceView> after = AccessListOf(folder);
    ASSERT_EQ(ExplicitWorldEntries(after), 1u) << "the old entry for Everyone is gone";
    size_t usersAt = after.size();
    size_t worldAt = after.size();
    size_t firstInherited = after.size();
    for (size_t i = 0; i < after.size(); ++i) {
        const bool inherited = (after[i].flags & INHERITED_ACE) != 0;
        if (inherited && firstInherited == after.size()) firstInherited = i;
        if (!inherited && after[i].sid == kUsers) usersAt = i;
        if (!inherited && after[i].sid == kWorld) worldAt = i;
    }
    ASSERT_LT(usersAt, after.size()) << "the other explicit entry stays";
    ASSERT_LT(worldAt, after.size());
    EXPECT_LT(usersAt, worldAt) << "the new entry follows the other explicit ones";
    EXPECT_LE(worldAt, firstInherited) << "and precedes the inherited ones";
    EXPECT_EQ(after[worldAt].mask & FILE_ALL_ACCESS, static_cast<ACCESS_MASK>(FILE_ALL_ACCESS));
    EXPECT_EQ(after[worldAt].flags & (OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE),
              OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE)
        << "inherited by what is made below it";
}

// The dump file names this process can expect for a crash now: the minute may
// turn while the child runs.
std::vector<std::wstring> DumpNamesAround(const SYSTEMTIME& start, const SYSTEMTIME& end) {
    std::vector<std::wstring> names;
    for (const SYSTEMTIME& t : {start, end}) {
        char buffer[64];
        crashdump::CFixedText name(buffer, sizeof buffer);
        crashdump::AppendDumpFileName(name, "KALOFitProbe", {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond});
        names.emplace_back(name.View().begin(), name.View().end());
    }
    return names;
}

// The handler's lines with a written dump in that day's log.
size_t CrashLogLines(const SYSTEMTIME& day) {
    wchar_t name[64];
    swprintf(name, 64, L"KALOFitProbe-%04d%02d%02d.log", day.wYear, day.wMonth, day.wDay);
    const std::string log = ReadWholeFile(JoinPath(JoinPath(DataFolderPath(), L"Logs"), name));
    const std::string line = "|VRUnHandledExceptionFilter|";
    const std::string written = "****exception(dump[bRet=1";
    size_t count = 0;
    for (size_t at = log.find(line); at != std::string::npos; at = log.find(line, at + 1)) {
        const size_t message = log.find('\t', at);
        if (message != std::string::npos && log.compare(message + 1, written.size(), written) == 0) ++count;
    }
    return count;
}

struct HandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};

struct CrashCase {
    const char* name;
    const wchar_t* mode;
    DWORD exitCode;
};

const CrashCase kCrashCases[] = {
    {"access violation in a worker thread", L"null-write-in-thread", static_cast<DWORD>(EXCEPTION_ACCESS_VIOLATION)},
    {"integer division by zero", L"divide-by-zero", static_cast<DWORD>(EXCEPTION_INT_DIVIDE_BY_ZERO)},
    {"abort", L"abort", 3},
};

class CrashDumpWindows : public testing::TestWithParam<CrashCase> {};

TEST_P(CrashDumpWindows, TheCrashLeavesAMinidumpInTheCrashDumpFolder) {
    const CrashCase& c = GetParam();
    const std::wstring dumps = JoinPath(DataFolderPath(), L"crashDumps");
    std::wstring command = L"\"" + std::wstring(KALO_CRASH_CHILD_PATH_W) + L"\" " + c.mode;
    SYSTEMTIME start{};
    GetLocalTime(&start);
    const size_t linesBefore = CrashLogLines(start);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child{};
    ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &child));
    const std::unique_ptr<void, HandleCloser> process(child.hProcess);
    const std::unique_ptr<void, HandleCloser> thread(child.hThread);
    ASSERT_EQ(WaitForSingleObject(child.hProcess, INFINITE), WAIT_OBJECT_0);
    DWORD code = 0;
    GetExitCodeProcess(child.hProcess, &code);
    SYSTEMTIME end{};
    GetLocalTime(&end);
    EXPECT_EQ(code, c.exitCode) << "the system's default handling ends it";

    bool found = false;
    for (const std::wstring& name : DumpNamesAround(start, end)) {
        const std::wstring path = JoinPath(dumps, name);
        if (!PathExists(path)) continue;
        found = true;
        const std::string bytes = ReadWholeFile(path);
        EXPECT_EQ(bytes.substr(0, 4), "MDMP") << "a minidump";
        fs::remove(ToFsPath(path));
    }
    EXPECT_TRUE(found) << "no dump in " << fs::path(dumps).string();
    EXPECT_EQ(CrashLogLines(end), linesBefore + 1) << "one line in the day's log";
}

INSTANTIATE_TEST_SUITE_P(Crashes, CrashDumpWindows, testing::ValuesIn(kCrashCases),
                         [](const testing::TestParamInfo<CrashCase>& info) {
                             std::string name;
                             for (const char* p = info.param.name; *p != '\0'; ++p) {
                                 if ((*p >= 'a' && *p <= 'z') || (*p >= 'A' && *p <= 'Z')) name += *p;
                             }
                             return name;
                         });

}  // namespace
