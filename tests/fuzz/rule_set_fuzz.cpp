// Feeds arbitrary bytes to the rule-set reader as the bytes of a
// checkerconfig.json file: cut at the first 0xFF byte as the file reader cuts
// them, parsed, and loaded into a RuleSet. Beyond the sanitizers' own checks
// it traps when a loaded entry is not upper-cased, when a string element
// whose text is not empty loads as an empty entry (an empty entry matches
// every name), when a list holds entries the document does not, when a
// document accepted as a complete rule set loads fewer entries than it holds,
// or when loading the same document twice does not append the same entries
// again.

#include <json/value.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "engine/rule_set.h"
#include "engine/rule_set_reader.h"
#include "shell/json.h"

namespace {

bool HasLowerAscii(const std::wstring& entry) {
    for (const wchar_t c : entry) {
        if (c >= L'a' && c <= L'z') return true;
    }
    return false;
}

// What the program's wide conversion keeps of a string: the text before its
// first zero byte.
bool HasTextBeforeZero(const std::string& text) { return !text.empty() && text.front() != '\0'; }

void CheckList(const Json::Value* member, const RuleList& list) {
    if (member == nullptr || !member->isArray()) {
        if (!list.empty()) __builtin_trap();
        return;
    }
    size_t next = 0;
    for (const Json::Value& element : *member) {
        if (!element.isString()) continue;
        if (next >= list.size()) __builtin_trap();
        const std::wstring& entry = list[next++];
        if (HasLowerAscii(entry)) __builtin_trap();
        if (entry.empty() && HasTextBeforeZero(element.asString())) __builtin_trap();
    }
    if (next != list.size()) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    text = text.substr(0, text.find('\xFF'));

    Json::Value root;
    if (!ParseJson(text, root)) return 0;
    RuleSet rules;
    LoadRuleSetBody(root, rules, L"fuzz");
    RuleList fromRoot;
    LoadRuleList(root, fromRoot);  // any value, not only an array
    CheckList(&root, fromRoot);

    const Json::Value* body = nullptr;
    if (root.isObject() && std::as_const(root)["body"].isObject()) body = &std::as_const(root)["body"];
    for (const RuleListKey& entry : kRuleListKeys) {
        const Json::Value* member =
            body == nullptr ? nullptr : body->find(entry.key, entry.key + std::char_traits<char>::length(entry.key));
        CheckList(member, rules.*entry.list);
    }
    for (const RuleTextKey& entry : kRuleTextKeys) {
        const Json::Value* member =
            body == nullptr ? nullptr : body->find(entry.key, entry.key + std::char_traits<char>::length(entry.key));
        if ((member == nullptr || !member->isString()) && !(rules.*entry.text).empty()) __builtin_trap();
    }

    // A document accepted as a complete rule set loads every element of
    // every list, and carries every list the shipped document carries.
    if (IsRuleSetDocument(text)) {
        if (body == nullptr) __builtin_trap();
        for (const RuleListKey& entry : kRuleListKeys) {
            const Json::Value* member = body->find(entry.key, entry.key + std::char_traits<char>::length(entry.key));
            if (entry.required && (member == nullptr || !member->isArray())) __builtin_trap();
            const size_t elements = member != nullptr && member->isArray() ? member->size() : 0;
            if ((rules.*entry.list).size() != elements) __builtin_trap();
        }
    }

    // The lists append: a second load adds the same entries once more.
    RuleSet twice = rules;
    LoadRuleSetBody(root, twice, L"fuzz");
    for (const RuleListKey& entry : kRuleListKeys) {
        const RuleList& once = rules.*entry.list;
        const RuleList& again = twice.*entry.list;
        if (again.size() != 2 * once.size()) __builtin_trap();
        for (size_t i = 0; i < once.size(); ++i) {
            if (again[once.size() + i] != once[i]) __builtin_trap();
        }
    }
    return 0;
}
