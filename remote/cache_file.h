#pragma once
// Whole-file replacement for the rule-set cache, which two worker threads may
// write at the same moment while the check engine reads it.

#include <string>
#include <string_view>

// Writes the bytes to a new file in the same folder, then gives that file the
// path's name in one step. A reader therefore sees the old content or the new
// one, never a mix; of two writers at once the later one wins whole. On
// failure the file at `path` is left as it was and nothing else remains.
bool ReplaceFileAtomically(const std::wstring& path, std::string_view bytes);
