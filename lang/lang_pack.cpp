#include "lang/lang_pack.h"

#include <pugixml.hpp>

#include <cstring>

#include "shell/text_convert.h"

std::optional<LangTextTable> ParseLangPack(std::span<const std::byte> bytes) {
    pugi::xml_document document;
    // Comments are kept and white-space-only text dropped, so that a comment
    // or loose text inside a section shows up as a node without a name.
    const pugi::xml_parse_result parsed =
        document.load_buffer(bytes.data(), bytes.size(), pugi::parse_default | pugi::parse_comments,
                             pugi::encoding_auto);
    if (!parsed) return std::nullopt;

    pugi::xml_node language;
    for (const pugi::xml_node node : document.children()) {
        if (node.type() == pugi::node_element && std::strcmp(node.name(), "Language") == 0) {
            language = node;
            break;
        }
    }
    if (!language) return std::nullopt;

    // pugixml is built for narrow text here: names and values come as UTF-8.
    LangTextTable table;
    for (const pugi::xml_node section : language.children()) {
        for (const pugi::xml_node entry : section.children()) {
            table.try_emplace(Utf8ToWide(entry.name()), Utf8ToWide(entry.attribute("val").value()));
        }
    }
    return table;
}
