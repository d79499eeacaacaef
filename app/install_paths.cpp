#include "app/install_paths.h"

#include "shell/platform.h"

namespace {

constexpr wchar_t kMachineEnvironmentKey[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";
constexpr wchar_t kAssistantKey[] = L"Software\\KALO4\\KALOAssistant";
constexpr wchar_t kUninstallKey[] =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{03FB294C-C9C8-0281-1D31-10AD57BFE3C8}_is1";

struct RegistryPlace {
    RegistryRoot root;
    const wchar_t* key;
    const wchar_t* value;
};

constexpr RegistryPlace kInstallPlaces[] = {
    {RegistryRoot::LocalMachine, kMachineEnvironmentKey, L"KALO_REZIVOZOZ4_PATH"},
    {RegistryRoot::LocalMachine, kAssistantKey, L"Path"},
    {RegistryRoot::LocalMachine, kUninstallKey, L"InstallLocation"},
    {RegistryRoot::CurrentUser, L"Environment", L"KALO_REZIVOZOZ4_PATH"},
    {RegistryRoot::CurrentUser, kAssistantKey, L"Path"},
};

constexpr RegistryPlace kSdkPlaces[] = {
    {RegistryRoot::CurrentUser, L"Environment", L"KALO4_PLATFORM_DIR"},
    {RegistryRoot::LocalMachine, kMachineEnvironmentKey, L"KALO4_PLATFORM_DIR"},
    {RegistryRoot::LocalMachine, L"Software\\KALO4", L"KALO4_PLATFORM_DIR"},
};

template <size_t N>
bool ReadFirst(const RegistryPlace (&places)[N], std::wstring& value) {
    for (const RegistryPlace& place : places) {
        if (ReadRegistryString(place.root, place.key, place.value, value)) return true;
    }
    return false;
}

}  // namespace

std::wstring InstallLocationFromProgramPath(const std::wstring& programPath) {
    // A "bin" folder is a whole path component: "/opt/binaries/prog" does not
    // lie in one.
    const std::wstring binFolder = std::wstring(1, kPathSeparator) + L"bin" + kPathSeparator;
    if (const size_t bin = programPath.rfind(binFolder); bin != std::wstring::npos) {
        return programPath.substr(0, bin);
    }
    const size_t separator = programPath.rfind(kPathSeparator);
    return separator == std::wstring::npos ? std::wstring{} : programPath.substr(0, separator);
}

std::wstring LookUpInstallLocation() {
    std::wstring location;
    // A value that exists but is empty still ends the search.
    ReadFirst(kInstallPlaces, location);
    if (location.empty()) location = InstallLocationFromProgramPath(ProgramFilePath());
    // No companion application is the ordinary case; only a program that
    // cannot name its own folder has failed.
    if (location.empty()) DebugPrintf(L"Query program folder failed err: %d\n", LastSystemError());
    return location;
}

std::wstring LookUpSdkFolder(const std::wstring& dataFolder) {
    std::wstring folder;
    if (ReadFirst(kSdkPlaces, folder)) return folder;
    return dataFolder + kPathSeparator + L"SDK";
}
