#pragma once
// The rule set the program carries as a resource: the last-resort copy when
// neither the download cache nor the program folder holds a usable one.

#include <string>
#include <string_view>

// Its text; empty when the build embedded none.
std::string_view BuiltInRuleSetDocument();
// Writes it to the private temporary folder, where the rule-set loader looks
// last. The file's path; empty when it could not be written.
std::wstring ReleaseBuiltInRuleSet();
