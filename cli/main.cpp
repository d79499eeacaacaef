// Terminal front end. For now it loads the rule set the way a check does and
// reports which copy it used and what it holds.

#include <cstdio>
#include <cstring>

#include "engine/rule_set_reader.h"
#include "shell/embedded_resource.h"
#include "shell/text_convert.h"

int main(int argc, char** argv) {
    if (argc > 1 && (std::strcmp(argv[1], "--help") == 0)) {
        std::puts("usage: kalofitprobe-cli\nLoads the compatibility rule set and prints its lists.");
        return 0;
    }
    // The built-in copy goes to the temporary folder, the last-resort candidate.
    ReleaseResourceFileToTemp(102, kRuleSetFileName, L"JSON");
    RuleSet rules;
    const std::wstring used = ReadRuleSet(RuleSetCandidatesFromSystem(L""), rules);
    std::printf("rule set: %s\n", used.empty() ? "(none)" : WideToUtf8(used).c_str());
    for (const RuleListKey& key : kRuleListKeys) {
        std::printf("  %-32s %zu\n", key.key, (rules.*key.list).size());
    }
    return 0;
}
