#pragma once
// The skin archive of the process: files by path, and images decoded by the
// host once per path. A missing or undecodable image is logged once.

#include <cstddef>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "shell/zip_archive.h"
#include "ui/toolkit/canvas.h"
#include "ui/toolkit/host.h"

namespace ui {

// "image/btn.png" with scale 2: "image/btn@2x.png".
std::wstring TwinPath(const std::wstring& path, int scale);

class CSkinResources {
public:
    // The bytes must outlive this object (embedded resources do).
    CSkinResources(IHost& host, std::span<const std::byte> archive);

    bool IsOpen() const { return zip_.IsOpen(); }
    IHost& Host() { return host_; }
    // The file's bytes, or nothing (logged by the caller).
    std::optional<std::vector<std::byte>> ReadFile(const std::wstring& path) const;
    // The decoded image, or null; cached either way. On a screen of scale 2
    // the "name@2x.png" twin when the archive has one, reporting the 1x size.
    ImagePtr GetImage(const std::wstring& path);

private:
    IHost& host_;
    CZipArchive zip_;
    std::map<std::wstring, ImagePtr> images_;
};

}  // namespace ui
