#pragma once
// The table the build generates from the files under resources/ (see
// cmake/KaloEmbed.cmake). Only the non-Windows lookup reads it.

#include <span>

struct EmbeddedResourceEntry {
    const wchar_t* type;
    int id;
    const unsigned char* begin;
    const unsigned char* end;
};

std::span<const EmbeddedResourceEntry> EmbeddedResourceTable();
