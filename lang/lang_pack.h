#pragma once
// The language pack format: UTF-8 XML whose root element "Language" holds
// window sections, and each section one element per text, named for its key,
// with the text in the "val" attribute. Section names carry no meaning: all
// keys share one name space.

#include <cstddef>
#include <map>
#include <optional>
#include <span>
#include <string>

// Ordered by plain code-unit comparison; keys are case-sensitive.
using LangTextTable = std::map<std::wstring, std::wstring>;

// The table of a pack's bytes (a byte-order mark is honoured), or nothing when
// they do not parse or have no top-level "Language" element. The first
// occurrence of a key wins. Comments and text runs inside a section count as
// entries with an empty key, as the shipped loader has always read them.
std::optional<LangTextTable> ParseLangPack(std::span<const std::byte> bytes);
