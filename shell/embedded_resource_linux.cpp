#include "shell/embedded_resource.h"
#include "shell/embedded_resource_table.h"

std::optional<std::span<const std::byte>> FindEmbeddedResource(std::wstring_view type, int id) {
    for (const EmbeddedResourceEntry& entry : EmbeddedResourceTable()) {
        if (entry.id == id && type == entry.type) {
            return std::span<const std::byte>(reinterpret_cast<const std::byte*>(entry.begin),
                                              static_cast<size_t>(entry.end - entry.begin));
        }
    }
    return std::nullopt;
}
