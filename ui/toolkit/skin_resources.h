#pragma once
// The skin archive of the process: files by path, and images decoded by the
// host once per path. A missing or undecodable image is logged once.

#include <condition_variable>
#include <cstddef>
#include <map>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <thread>
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
    // Waits for a prefetch still under way.
    ~CSkinResources();
    CSkinResources(const CSkinResources&) = delete;
    CSkinResources& operator=(const CSkinResources&) = delete;

    bool IsOpen() const { return zip_.IsOpen(); }
    IHost& Host() { return host_; }
    // The file's bytes, or nothing (logged by the caller).
    std::optional<std::vector<std::byte>> ReadFile(const std::wstring& path) const;
    // The decoded image, or null; cached either way. On a screen of scale 2
    // the "name@2x.png" twin when the archive has one, reporting the 1x size.
    ImagePtr GetImage(const std::wstring& path);
    // Drops the path's decoded image from the cache (its holders keep it);
    // the next GetImage decodes it again.
    void ReleaseImage(const std::wstring& path) { images_.erase(path); }
    // Decodes these images on a thread of its own while the caller goes on,
    // where the host decodes on any thread (elsewhere it does nothing); a
    // GetImage of one of them takes it from there, waiting while it is still
    // under way. For the first window's large images, which would otherwise
    // hold its first frame. Once per object.
    void Prefetch(std::vector<std::wstring> paths);

private:
    ImagePtr Decode(const std::wstring& path, double screenScale) const;
    // The prefetched image of the path, waited for; false for a path that
    // was not prefetched.
    bool TakePrefetched(const std::wstring& path, ImagePtr& image);

    IHost& host_;
    CZipArchive zip_;
    std::map<std::wstring, ImagePtr> images_;

    std::mutex prefetchLock_;  // guards prefetched_
    std::condition_variable prefetchDone_;
    std::map<std::wstring, std::optional<ImagePtr>> prefetched_;  // empty while under way
    std::thread prefetcher_;
};

}  // namespace ui
