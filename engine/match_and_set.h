#pragma once
// The verdict's one way of letting a rule list decide a result.

#include <string_view>

#include "engine/check_types.h"
#include "engine/matching.h"
#include "engine/rule_set.h"

// When `text` contains an entry of `list`, stores `value` in `code` and
// answers true; otherwise leaves `code` alone.
inline bool MatchAnyAndSet(CheckResult& code, const RuleList& list, std::wstring_view text, CheckResult value) {
    if (!AnyMatches(list, text)) return false;
    code = value;
    return true;
}
