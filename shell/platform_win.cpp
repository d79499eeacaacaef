#include <windows.h>
#include <aclapi.h>

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <memory>
#include <vector>

#include "shell/log.h"
#include "shell/platform.h"
#include "shell/safe_files.h"
#include "shell/safe_files_win.h"
#include "shell/scoped_handle_win.h"
#include "shell/text_util.h"
#include "shell/wide_format.h"

std::filesystem::path ToFsPath(const std::wstring& path) { return std::filesystem::path(path); }

std::wstring FromFsPath(const std::filesystem::path& path) { return path.wstring(); }

namespace {

struct SidFreer {
    void operator()(PSID sid) const { FreeSid(sid); }
};
struct LocalFreer {
    void operator()(void* memory) const { LocalFree(memory); }
};

std::atomic<std::FILE*> debugOutput{stderr};

// The console messages of the access-list steps name the failing call and
// the system's error code. They go to the standard output, except in a
// front end that silenced the diagnostics (SetDebugOutput(nullptr)) because
// its standard output is its result.
void ReportFailure(const char* format) {
    const DWORD error = GetLastError();
    if (debugOutput.load(std::memory_order_relaxed) != nullptr) std::printf(format, static_cast<int>(error));
}

// A security description whose access list allows the world group (every
// user) full control; null when a step fails (reported on the console).
// `storage` keeps the identity and the list alive as long as the description.
struct COpenSecurity {
    SECURITY_DESCRIPTOR descriptor{};
    std::unique_ptr<void, SidFreer> world;
    std::vector<BYTE> acl;
};
std::unique_ptr<COpenSecurity> MakeOpenSecurity() {
    auto security = std::make_unique<COpenSecurity>();
    if (!InitializeSecurityDescriptor(&security->descriptor, SECURITY_DESCRIPTOR_REVISION)) {
        ReportFailure("InitializeSecurityDescriptor() failed with error %d/n");
        return nullptr;
    }
    SID_IDENTIFIER_AUTHORITY worldAuthority = SECURITY_WORLD_SID_AUTHORITY;
    PSID world = nullptr;
    if (!AllocateAndInitializeSid(&worldAuthority, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &world)) {
        ReportFailure("AllocateAndInitializeSid() failed with error %d/n");
        return nullptr;
    }
    security->world.reset(world);
    const DWORD aclSize = sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD) + GetLengthSid(world);
    security->acl.assign(aclSize, 0);
    auto* acl = reinterpret_cast<PACL>(security->acl.data());
    if (!InitializeAcl(acl, aclSize, ACL_REVISION)) {
        ReportFailure("InitializeAcl() failed with error %d/n");
        return nullptr;
    }
    if (!AddAccessAllowedAce(acl, ACL_REVISION, FILE_ALL_ACCESS, world)) {
        ReportFailure("AddAccessAllowedAce() failed with error %d/n");
        return nullptr;
    }
    if (!SetSecurityDescriptorDacl(&security->descriptor, TRUE, acl, FALSE)) {
        ReportFailure("SetSecurityDescriptorDacl() failed with error %d/n");
        return nullptr;
    }
    return security;
}

bool CreateOneFolder(const std::wstring& path, bool openToEveryone) {
    if (openToEveryone) {
        if (const auto security = MakeOpenSecurity()) {
            SECURITY_ATTRIBUTES attributes{sizeof attributes, &security->descriptor, TRUE};
            if (CreateDirectoryW(path.c_str(), &attributes)) {
                GrantEveryoneFullAccess(path);  // the entry above already opens it
                return true;
            }
        }
    }
    if (CreateDirectoryW(path.c_str(), nullptr)) return true;
    const DWORD error = GetLastError();
    if (error == ERROR_ALREADY_EXISTS && PathExists(path)) return true;  // made by another run meanwhile
    SetLastError(error);
    return false;
}

bool IsAbsolute(const std::wstring& path) {
    return (path.size() >= 2 && path[1] == L':') || (path.size() >= 2 && IsSlashOrBackslash(path[0]) && IsSlashOrBackslash(path[1]));
}

}  // namespace

std::wstring TempFolder() {
    // The user's own temporary folder, which other users cannot enter.
    wchar_t buffer[MAX_PATH + 2] = {};
    const DWORD length = GetTempPathW(static_cast<DWORD>(std::size(buffer)), buffer);
    if (length == 0 || length >= std::size(buffer)) return {};
    return JoinPath(std::wstring(buffer, length), L"");
}

std::wstring ProgramFilePath() {
    std::wstring path(MAX_PATH, L'\0');
    while (true) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        if (path.size() >= 32768) return {};
        path.resize(path.size() * 2);
    }
}

std::wstring ProgramFolder() {
    const std::wstring file = ProgramFilePath();
    const size_t separator = file.find_last_of(L"\\/");
    return separator == std::wstring::npos ? std::wstring{} : file.substr(0, separator);
}

std::wstring CurrentFolder() {
    const DWORD needed = GetCurrentDirectoryW(0, nullptr);
    if (needed == 0) return {};
    std::wstring folder(needed, L'\0');
    const DWORD length = GetCurrentDirectoryW(needed, folder.data());
    if (length == 0 || length >= needed) return {};
    folder.resize(length);
    return folder;
}

bool PathExists(const std::wstring& path) {
    return !path.empty() && GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool QueryFileSize(const std::wstring& path, uint64_t& size) {
    const CKernelHandle file(CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER bytes{};
    if (!file || GetFileType(file.Get()) != FILE_TYPE_DISK || !GetFileSizeEx(file.Get(), &bytes)) return false;
    size = static_cast<uint64_t>(bytes.QuadPart);
    return true;
}

bool CreateDirectoryTree(const std::wstring& path, bool openToEveryone) {
    if (path.empty()) return false;
    if (!IsAbsolute(path)) {
        // Relative paths are resolved against the current folder, and the
        // open flag does not carry over to them.
        return CreateDirectoryTree(CurrentFolder() + L"\\" + path, false);
    }
    std::wstring trimmed = path;
    if (trimmed.size() > 3 && IsSlashOrBackslash(trimmed.back())) trimmed.pop_back();
    if (IsBelowLinkFreeRoot(trimmed)) {
        // Below the program's own folders a planted junction or link is
        // replaced by a real folder (and logged) by the safe file layer; only
        // the last folder gets the open rule.
        const size_t separator = trimmed.find_last_of(L"\\/");
        if (separator == std::wstring::npos || !EnsureFolder(trimmed.substr(0, separator))) return false;
        if (!PathExists(trimmed) && CreateOneFolder(trimmed, openToEveryone)) return EnsureFolder(trimmed);
        if (!EnsureFolder(trimmed)) return false;
        if (openToEveryone) GrantEveryoneFullAccess(trimmed);
        return true;
    }
    if (PathExists(trimmed)) return true;
    const size_t separator = trimmed.find_last_of(L"\\/");
    if (separator == std::wstring::npos) return false;
    const std::wstring parent = trimmed.substr(0, separator + 1);
    // The drive root itself ("C:\") always exists.
    if (parent.size() > 3 && !CreateDirectoryTree(parent, false)) return false;
    return CreateOneFolder(trimmed, openToEveryone);
}

bool GrantEveryoneFullAccess(const std::wstring& path) {
    // The world group by its well-known identity, not by the account name
    // "Everyone", which a German or French system calls otherwise: there the
    // entry that sub-folders and files inherit would be missing, and files
    // one user makes below the data folder would be closed to the others.
    DWORD sidSize = SECURITY_MAX_SID_SIZE;
    std::vector<BYTE> sid(sidSize);
    if (!CreateWellKnownSid(WinWorldSid, nullptr, sid.data(), &sidSize)) {
        ReportFailure("CreateWellKnownSid() failed. Error %d\n");
        return false;
    }
    const PSID everyone = sid.data();

    // Through a handle on the folder itself, checked to be a real folder of
    // its parent: every user's access never lands on what a planted link
    // points to.
    const CKernelHandle folder(CreateFileW(path.c_str(), READ_CONTROL | WRITE_DAC | FILE_READ_ATTRIBUTES,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                                           nullptr));
    if (!folder || !IsPlainFolderHandle(folder.Get(), path)) {
        CCTLog::Instance().Log(LogLevel::Error, "GrantEveryoneFullAccess",
                               L"not a real folder, every user's access not granted: %ls", path.c_str());
        return false;
    }
    DWORD neededSize = 0;
    GetKernelObjectSecurity(folder.Get(), DACL_SECURITY_INFORMATION, nullptr, 0, &neededSize);
    std::vector<BYTE> oldDescriptor(neededSize == 0 ? 1 : neededSize);
    if (neededSize == 0 || !GetKernelObjectSecurity(folder.Get(), DACL_SECURITY_INFORMATION, oldDescriptor.data(),
                                                    neededSize, &neededSize)) {
        ReportFailure("GetFileSecurity() failed. Error %d\n");
        return false;
    }
    SECURITY_DESCRIPTOR newDescriptor{};
    if (!InitializeSecurityDescriptor(&newDescriptor, SECURITY_DESCRIPTOR_REVISION)) {
        ReportFailure("InitializeSecurityDescriptor() failed.Error %d\n");
        return false;
    }
    BOOL hasDacl = FALSE;
    BOOL defaulted = FALSE;
    PACL oldAcl = nullptr;
    if (!GetSecurityDescriptorDacl(oldDescriptor.data(), &hasDacl, &oldAcl, &defaulted)) {
        ReportFailure("GetSecurityDescriptorDacl() failed. Error %d\n");
        return false;
    }
    ACL_SIZE_INFORMATION oldInfo{};
    oldInfo.AclBytesInUse = sizeof(ACL);
    if (hasDacl && oldAcl != nullptr &&
        !GetAclInformation(oldAcl, &oldInfo, sizeof oldInfo, AclSizeInformation)) {
        ReportFailure("GetAclInformation() failed. Error %d\n");
        return false;
    }
    const DWORD newSize = oldInfo.AclBytesInUse + sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD) + GetLengthSid(everyone);
    std::vector<BYTE> newAclBytes(newSize);
    auto* newAcl = reinterpret_cast<PACL>(newAclBytes.data());
    if (!InitializeAcl(newAcl, newSize, ACL_REVISION)) {
        ReportFailure("InitializeAcl() failed. Error %d\n");
        return false;
    }
    // Explicit entries first (without any old one for Everyone), then the new
    // entry, then the inherited ones: the order the system itself keeps.
    const auto copyEntries = [&](bool inherited) {
        if (!hasDacl || oldAcl == nullptr) return true;
        for (DWORD i = 0; i < oldInfo.AceCount; ++i) {
            void* ace = nullptr;
            if (!GetAce(oldAcl, i, &ace)) {
                ReportFailure("GetAce() failed. Error %d\n");
                return false;
            }
            const auto* header = static_cast<ACE_HEADER*>(ace);
            if (((header->AceFlags & INHERITED_ACE) != 0) != inherited) continue;
            if (!inherited && header->AceType == ACCESS_ALLOWED_ACE_TYPE &&
                EqualSid(&static_cast<ACCESS_ALLOWED_ACE*>(ace)->SidStart, everyone)) {
                continue;
            }
            if (!AddAce(newAcl, ACL_REVISION, MAXDWORD, ace, header->AceSize)) {
                ReportFailure("AddAce() failed. Error %d\n");
                return false;
            }
        }
        return true;
    };
    if (!copyEntries(false)) return false;
    if (!AddAccessAllowedAceEx(newAcl, ACL_REVISION, OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE, FILE_ALL_ACCESS,
                               everyone)) {
        ReportFailure("AddAccessAllowedAceEx() failed. Error %d\n");
        return false;
    }
    if (!copyEntries(true)) return false;
    if (!SetSecurityDescriptorDacl(&newDescriptor, TRUE, newAcl, FALSE)) {
        ReportFailure("SetSecurityDescriptorDacl() failed. Error %d\n");
        return false;
    }
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    if (!GetSecurityDescriptorControl(oldDescriptor.data(), &control, &revision)) {
        ReportFailure("GetSecurityDescriptorControl() failed.Error %d\n");
        return false;
    }
    SECURITY_DESCRIPTOR_CONTROL carried = 0;
    if ((control & SE_DACL_AUTO_INHERITED) != 0) {
        carried = SE_DACL_AUTO_INHERIT_REQ | SE_DACL_AUTO_INHERITED;
    } else if ((control & SE_DACL_PROTECTED) != 0) {
        carried = SE_DACL_PROTECTED;
    }
    if (carried != 0 && !SetSecurityDescriptorControl(&newDescriptor, carried, carried)) {
        ReportFailure("SetSecurityDescriptorControl() failed.Error %d\n");
        return false;
    }
    if (!SetKernelObjectSecurity(folder.Get(), DACL_SECURITY_INFORMATION, &newDescriptor)) {
        ReportFailure("SetFileSecurity() failed. Error %d\n");
        return false;
    }
    return true;
}

// The debugger output is apart from the console, so it never mixes with what
// a terminal front end prints; SetDebugOutput(nullptr) still silences it.
void SetDebugOutput(std::FILE* stream) { debugOutput.store(stream, std::memory_order_relaxed); }

void DebugPrintfVarargs(const wchar_t* format, ...) {
    if (debugOutput.load(std::memory_order_relaxed) == nullptr) return;
    va_list args;
    va_start(args, format);
    const std::wstring text = FormatWideV(format, args);
    va_end(args);
    OutputDebugStringW(text.substr(0, 255).c_str());
}

int LastSystemError() { return static_cast<int>(GetLastError()); }

std::wstring SystemErrorText(int error) {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        static_cast<DWORD>(error), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    const std::unique_ptr<void, LocalFreer> owner(text);
    if (length == 0 || text == nullptr) return L"error " + std::to_wstring(error);
    std::wstring message(text, length);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L'.')) {
        message.pop_back();
    }
    return message;
}

uint32_t CurrentThreadId() { return GetCurrentThreadId(); }

void ToLocalTime(std::time_t time, std::tm& local) { localtime_s(&local, &time); }

void ReturnFreedLargeBlocks() {}
