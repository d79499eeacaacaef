#include "engine/minimum_config_table.h"

#include <json/value.h>

#include <optional>

#include "shell/json.h"
#include "shell/log.h"
#include "shell/text_convert.h"

namespace {

// The loader's operation, which the lines name.
constexpr char kLoadTag[] = "MinimumConfigHelper::Load";

bool IsPresent(const Json::Value* value) { return value != nullptr && !value->isNull(); }

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
        const Json::Value* value = JsonMember(entry, member.key);
        if (!IsPresent(value)) continue;
        const std::optional<std::string> text = JsonText(*value, JsonIntegerWidth::Bits64);
        if (!text) {
            CCTLog::Instance().Log(LogLevel::Error, kLoadTag, L"minimum_configuration entry %u member %ls is not text. file=%ls",
                                   index, member.name, path.c_str());
            continue;
        }
        row.*member.text = ThroughCodePage936(*text);
    }
    return row;
}

}  // namespace

bool HasMinimumConfiguration(std::string_view text) {
    Json::Value root;
    if (!ParseJson(text, root) || !root.isObject()) return false;
    const Json::Value* body = JsonMember(root, "body");
    return IsPresent(body) && IsPresent(JsonMember(*body, "minimum_configuration"));
}

MinimumConfigTable ParseMinimumConfigTable(std::string_view text, const std::wstring& path) {
    CCTLog& log = CCTLog::Instance();
    MinimumConfigTable table;
    Json::Value root;
    if (!ParseJson(text, root)) {
        log.Log(LogLevel::Error, kLoadTag, L"parse config file failed. file=%ls", path.c_str());
        return table;
    }
    if (!root.isObject()) {
        log.Log(LogLevel::Error, kLoadTag, L"config root node not is object file=%ls", path.c_str());
        return table;
    }
    const Json::Value* body = JsonMember(root, "body");
    if (!IsPresent(body)) {
        log.Log(LogLevel::Error, kLoadTag, L"config body node is null file=%ls", path.c_str());
        return table;
    }
    // A body that is no object has no list either.
    const Json::Value* list = JsonMember(*body, "minimum_configuration");
    if (list == nullptr || !list->isArray()) {
        log.Log(LogLevel::Error, kLoadTag, L"config minimum_configuration node not is array file=%ls", path.c_str());
        return table;
    }
    for (Json::ArrayIndex index = 0; index < list->size(); ++index) {
        const Json::Value& entry = (*list)[index];
        if (entry.isNull()) continue;
        if (!entry.isObject()) {
            log.Log(LogLevel::Error, kLoadTag, L"minimum_configuration entry %u is not an object. file=%ls", index, path.c_str());
            continue;
        }
        const Json::Value* lang = JsonMember(entry, "lang");
        if (!IsPresent(lang)) continue;
        const std::optional<std::string> langText = JsonText(*lang, JsonIntegerWidth::Bits64);
        if (!langText) {
            log.Log(LogLevel::Error, kLoadTag, L"minimum_configuration entry %u lang is not text. file=%ls", index, path.c_str());
            continue;
        }
        const std::wstring code = ThroughCodePage936(*langText);
        if (code.empty()) continue;
        table[code] = ReadRow(entry, index, path);  // the last entry of a language wins
    }
    return table;
}

const MinimumConfigRow* ChooseMinimumConfigRow(const MinimumConfigTable& table, const std::wstring& currentLanguage) {
    if (table.empty()) return nullptr;
    if (const auto it = table.find(currentLanguage); it != table.end()) return &it->second;
    if (const auto it = table.find(L"en"); it != table.end()) return &it->second;
    return &table.begin()->second;
}
