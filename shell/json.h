#pragma once
// The one way the program reads JSON: the rule set, the language index and
// the configuration service's answers all go through here.

#include <json/value.h>

#include <optional>
#include <string>
#include <string_view>

// Parses the text with the reader's lenient defaults, comments dropped.
// False for text that does not parse, or that nests beyond the reader's limit
// (which the reader reports by exception).
bool ParseJson(std::string_view text, Json::Value& root);

// The member of an object; null when missing or when the value is no object
// (indexing anything else would throw).
const Json::Value* JsonMember(const Json::Value& object, std::string_view key);

// How many bits of an integer its text keeps.
enum class JsonIntegerWidth {
    Bits32,  // a signed integer as "%d" of its value, an unsigned one as "%d" of its low 32 bits
    Bits64,  // the whole value
};

// A value read as text: a string unchanged, an integer in decimal to the
// width, a real as "%f"; nothing for any other type (null, booleans, arrays,
// objects).
std::optional<std::string> JsonText(const Json::Value& value, JsonIntegerWidth width);
