#include "app/minimum_config_helper.h"

#include <json/value.h>

#include <cstring>
#include <utility>

#include "app/kalo_base.h"
#include "engine/rule_set_reader.h"
#include "shell/log.h"
#include "shell/platform.h"
#include "shell/safe_files.h"
#include "shell/text_convert.h"

namespace {

constexpr char kLoadTag[] = "MinimumConfigHelper::Load";
constexpr char kPathTag[] = "MinimumConfigHelper::GetConfigPath";

const Json::Value* Member(const Json::Value& object, const char* key) {
    if (!object.isObject()) return nullptr;
    return object.find(key, key + std::strlen(key));
}

bool IsPresent(const Json::Value* value) { return value != nullptr && !value->isNull(); }

// Strings, numbers and booleans read as text; arrays and objects have none
// (jsoncpp would throw on them).
bool HasTextForm(const Json::Value& value) { return !value.isArray() && !value.isObject(); }

// Every text passes through code page 936, so a character outside it does not
// survive. The shared conversion gives up on the whole text for one such
// character; here only that character is lost, shown as '?' as the code page
// conversion of Windows does, so one odd letter cannot blank a row.
std::wstring ThroughCodePage936(const std::string& utf8) {
    const std::string gbk = Utf8ToGbk(utf8);
    if (!gbk.empty() || utf8.empty()) return GbkToWide(gbk);
    const std::wstring wide = Utf8ToWide(utf8);
    std::wstring out;
    for (size_t i = 0; i < wide.size(); ++i) {
        const wchar_t c = wide[i];
        if constexpr (sizeof(wchar_t) == 2) {
            // Code page 936 holds nothing beyond the basic plane: one '?' per pair.
            if (c >= 0xD800 && c <= 0xDBFF && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 && wide[i + 1] <= 0xDFFF) {
                out.push_back(L'?');
                ++i;
                continue;
            }
        }
        const std::string one = WideToGbk(std::wstring_view(&c, 1));
        out += one.empty() ? std::wstring(L"?") : GbkToWide(one);
    }
    return out;
}

struct RowMember {
    const char* key;
    const wchar_t* name;  // the key again, for the log
    std::wstring MinimumConfigRow::*text;
};
constexpr RowMember kRowMembers[] = {
    {"cpu", L"cpu", &MinimumConfigRow::cpu}, {"ram", L"ram", &MinimumConfigRow::ram},
    {"gpu", L"gpu", &MinimumConfigRow::gpu}, {"os", L"os", &MinimumConfigRow::os},
    {"dp", L"dp", &MinimumConfigRow::dp},    {"usb", L"usb", &MinimumConfigRow::usb},
    {"disk", L"disk", &MinimumConfigRow::disk},
};

// A missing or null member is an empty text.
MinimumConfigRow ReadRow(const Json::Value& entry, unsigned index, const std::wstring& path) {
    MinimumConfigRow row;
    for (const RowMember& member : kRowMembers) {
        const Json::Value* value = Member(entry, member.key);
        if (!IsPresent(value)) continue;
        if (!HasTextForm(*value)) {
            CCTLog::Instance().Log(0, kLoadTag, L"minimum_configuration entry %u member %ls is not text. file=%ls",
                                   index, member.name, path.c_str());
            continue;
        }
        row.*member.text = ThroughCodePage936(value->asString());
    }
    return row;
}

// Exists, reads, parses as an object and names a minimum configuration.
bool IsUsableConfigFile(const std::wstring& path) {
    if (path.empty()) return false;
    const auto text = ReadFileOrLog(path, kRuleSetFileLimit, kPathTag);
    if (!text) return false;
    Json::Value root;
    if (!ParseJsonDocument(*text, root) || !root.isObject()) return false;
    const Json::Value* body = Member(root, "body");
    return IsPresent(body) && IsPresent(Member(*body, "minimum_configuration"));
}

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
    CCTLog& log = CCTLog::Instance();
    table_.clear();
    const auto text = ReadFileOrLog(path, kRuleSetFileLimit, kLoadTag);
    if (!text) {
        log.Log(0, kLoadTag, L"open config file failed. file=%ls", path.c_str());
        return;
    }
    Json::Value root;
    if (!ParseJsonDocument(*text, root)) {
        log.Log(0, kLoadTag, L"parse config file failed. file=%ls", path.c_str());
        return;
    }
    if (!root.isObject()) {
        log.Log(0, kLoadTag, L"config root node not is object file=%ls", path.c_str());
        return;
    }
    const Json::Value* body = Member(root, "body");
    if (!IsPresent(body)) {
        log.Log(0, kLoadTag, L"config body node is null file=%ls", path.c_str());
        return;
    }
    // A body that is no object has no list either.
    const Json::Value* list = Member(*body, "minimum_configuration");
    if (list == nullptr || !list->isArray()) {
        log.Log(0, kLoadTag, L"config minimum_configuration node not is array file=%ls", path.c_str());
        return;
    }
    for (Json::ArrayIndex index = 0; index < list->size(); ++index) {
        const Json::Value& entry = (*list)[index];
        if (entry.isNull()) continue;
        if (!entry.isObject()) {
            log.Log(0, kLoadTag, L"minimum_configuration entry %u is not an object. file=%ls", index, path.c_str());
            continue;
        }
        const Json::Value* lang = Member(entry, "lang");
        if (!IsPresent(lang)) continue;
        if (!HasTextForm(*lang)) {
            log.Log(0, kLoadTag, L"minimum_configuration entry %u lang is not text. file=%ls", index, path.c_str());
            continue;
        }
        const std::wstring code = ThroughCodePage936(lang->asString());
        if (code.empty()) continue;
        table_[code] = ReadRow(entry, index, path);  // the last entry of a language wins
    }
}

std::optional<std::wstring> MinimumConfigHelper::GetConfigPath() const {
    const std::wstring candidates[] = {
        checkHelper_.CachePath(),
        folders_.programFolder.empty() ? std::wstring{} : JoinPath(folders_.programFolder, kRuleSetFileName),
        folders_.tempFolder.empty() ? std::wstring{} : JoinPath(folders_.tempFolder, kRuleSetFileName),
    };
    for (const std::wstring& path : candidates) {
        if (IsUsableConfigFile(path)) return path;
    }
    CCTLog::Instance().Log(0, kPathTag, L"config file does not exists or is invalid");
    return std::nullopt;
}

const MinimumConfigRow* ChooseMinimumConfigRow(const MinimumConfigTable& table, const std::wstring& currentLanguage) {
    if (table.empty()) return nullptr;
    if (const auto it = table.find(currentLanguage); it != table.end()) return &it->second;
    if (const auto it = table.find(L"en"); it != table.end()) return &it->second;
    return &table.begin()->second;
}
