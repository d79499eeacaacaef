#pragma once
// Valve's KeyValues text format, as Steam writes libraryfolders.vdf and the
// appmanifest_<id>.acf files: a tree of "key" "value" pairs and
// "key" { ... } sections, with quoted or bare tokens, backslash escapes in
// quoted tokens, // comments and optional [$PLATFORM] conditions (ignored).
// Keys compare without regard to ASCII case, as Steam compares them.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct KeyValue {
    std::string key;
    std::string value;                // a leaf's text; empty for a section
    std::vector<KeyValue> children;   // a section's entries, in file order
    bool isSection = false;

    // The first child with this key, or null.
    const KeyValue* Find(std::string_view childKey) const;
    // The text of the first leaf child with this key.
    std::optional<std::string> FindValue(std::string_view childKey) const;
};

// Parses a whole document into a section holding its top-level entries.
// Nothing when the text is malformed (an unterminated quote or section, a key
// without a value, a stray closing brace, or sections nested deeper than
// kMaxKeyValuesDepth); `error`, when given, then says what and where.
inline constexpr size_t kMaxKeyValuesDepth = 64;
std::optional<KeyValue> ParseKeyValues(std::string_view text, std::string* error = nullptr);
