#pragma once
// Resources the program carries inside itself, addressed like Windows
// resources: by type ("JSON", "ZIPRES", "FONTRES") and numeric id.

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

// The bytes of the resource, or nothing when the program carries no such
// resource. The bytes live as long as the program.
std::optional<std::span<const std::byte>> FindEmbeddedResource(std::wstring_view type, int id);

// Writes the resource to `fileName` in the temporary folder, replacing an
// older copy atomically (an identical one is left alone), and returns the
// path. A name held by something that cannot be replaced (a folder) gives an
// empty path; any other failure is logged and still returns the path.
std::wstring ReleaseResourceFileToTemp(int resourceId, const std::wstring& fileName,
                                       const std::wstring& resourceType);
