#include "app/built_in_rule_set.h"

#include "app/program_identity.h"
#include "engine/rule_set_reader.h"
#include "shell/embedded_resource.h"

std::string_view BuiltInRuleSetDocument() {
    const auto bytes = FindEmbeddedResource(kBuiltInRuleSetType, kBuiltInRuleSetId);
    if (!bytes) return {};
    return {reinterpret_cast<const char*>(bytes->data()), bytes->size()};
}

std::wstring ReleaseBuiltInRuleSet() {
    return ReleaseResourceFileToTemp(kBuiltInRuleSetId, kRuleSetFileName, kBuiltInRuleSetType);
}
