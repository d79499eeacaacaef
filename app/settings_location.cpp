#include "app/settings_location.h"

#include "app/program_identity.h"
#include "shell/platform.h"

std::wstring ChooseSettingsFile(const std::wstring& programFolder, const ProgramFolderState& state,
                                const std::wstring& userConfigFolder) {
    if (!programFolder.empty() && (state.hasConfigFolder || (state.writable && !state.systemFolder))) {
        return JoinPath(JoinPath(programFolder, L"config"), L"fitprobe.ini");
    }
    if (userConfigFolder.empty()) return {};
    return JoinPath(JoinPath(userConfigFolder, kProgramName), L"fitprobe.ini");
}

std::wstring ProgramSettingsFile() {
    const std::wstring folder = ProgramFolder();
    return ChooseSettingsFile(folder, ProgramFolderStateOf(folder), UserConfigFolder());
}
