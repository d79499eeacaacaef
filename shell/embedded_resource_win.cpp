#include <windows.h>

#include <string>

#include "shell/embedded_resource.h"

// The resources are compiled into the program file itself (see
// cmake/KaloEmbed.cmake), so its own module holds them. A resource stays
// mapped as long as the module, which is the program's life.
std::optional<std::span<const std::byte>> FindEmbeddedResource(std::wstring_view type, int id) {
    const HMODULE module = GetModuleHandleW(nullptr);
    const std::wstring typeName(type);
    const HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), typeName.c_str());
    if (found == nullptr) return std::nullopt;
    const DWORD size = SizeofResource(module, found);
    const HGLOBAL loaded = LoadResource(module, found);
    const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (bytes == nullptr) return std::nullopt;
    return std::span<const std::byte>(static_cast<const std::byte*>(bytes), size);
}
