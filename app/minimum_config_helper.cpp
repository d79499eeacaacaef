#include "app/minimum_config_helper.h"

#include <utility>

#include "app/kalo_base.h"
#include "engine/rule_set_reader.h"
#include "shell/log.h"
#include "shell/platform.h"

namespace {

constexpr char kLoadTag[] = "MinimumConfigHelper::Load";
constexpr char kPathTag[] = "MinimumConfigHelper::GetConfigPath";

}  // namespace

MinimumConfigFolders MinimumConfigFolders::FromSystem() { return {DataFolderPath(), ProgramFolder(), TempFolder()}; }

MinimumConfigHelper::MinimumConfigHelper() : MinimumConfigHelper(MinimumConfigFolders::FromSystem()) {}

MinimumConfigHelper::MinimumConfigHelper(MinimumConfigFolders folders)
    : CCTThread(false), folders_(std::move(folders)), checkHelper_(folders_.dataFolder) {}

MinimumConfigHelper::~MinimumConfigHelper() {
    // The window being destroyed must not be called back; the thread still
    // uses this object, so it is waited for before any member goes.
    DetachCallback();
    Stop();
}

bool MinimumConfigHelper::Start(Callback callback) {
    // A running load keeps the callback it was started with.
    if (IsRunning()) return false;
    {
        const std::lock_guard<std::mutex> lock(callbackLock_);
        callback_ = std::move(callback);
    }
    checkHelper_.ClearCancel();
    return CCTThread::Start();
}

void MinimumConfigHelper::WakeForStop() { checkHelper_.RequestCancel(); }

void MinimumConfigHelper::DetachCallback() {
    const std::lock_guard<std::mutex> lock(callbackLock_);
    callback_ = nullptr;
}

uint32_t MinimumConfigHelper::Run() {
    Load();
    Callback callback;
    {
        const std::lock_guard<std::mutex> lock(callbackLock_);
        if (!IsStopRequested()) callback = callback_;
    }
    // Called outside the lock: it waits for the window thread, which may
    // meanwhile want to detach.
    if (callback) callback();
    return 0;
}

void MinimumConfigHelper::Load() {
    table_.clear();
    // The cache folder is formed (and created) again before each download,
    // in case it went away since construction.
    checkHelper_.ResetCachePath(folders_.dataFolder);
    checkHelper_.GetLatestConfig();  // a failed download leaves the other copies
    const std::optional<std::wstring> path = GetConfigPath();
    if (path) LoadFile(*path);
}

void MinimumConfigHelper::LoadFile(const std::wstring& path) {
    table_.clear();
    const auto text = ReadRuleSetDocumentText(path, kLoadTag);
    if (!text) {
        CCTLog::Instance().Log(LogLevel::Error, kLoadTag, L"open config file failed. file=%ls", path.c_str());
        return;
    }
    table_ = ParseMinimumConfigTable(*text, path);
}

std::optional<std::wstring> MinimumConfigHelper::GetConfigPath() const {
    const RuleSetCandidates candidates{checkHelper_.CachePath(), folders_.programFolder, folders_.tempFolder, false};
    const auto hasTable = [](std::string_view text, const std::wstring&) { return HasMinimumConfiguration(text); };
    const std::wstring path = ChooseDocument(candidates, hasTable, kPathTag);
    if (!path.empty()) return path;
    CCTLog::Instance().Log(LogLevel::Error, kPathTag, L"config file does not exists or is invalid");
    return std::nullopt;
}
