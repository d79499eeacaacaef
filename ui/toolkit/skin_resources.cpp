#include "ui/toolkit/skin_resources.h"

#include "shell/log.h"

#include <cmath>
#include <system_error>

namespace ui {

CSkinResources::CSkinResources(IHost& host, std::span<const std::byte> archive) : host_(host) {
    const int error = zip_.Open(archive.data(), archive.size());
    if (error != kZipOk) {
        CCTLog::Instance().Log(LogLevel::Error, "CSkinResources::Open", L"skin archive unreadable (error %d)", error);
    }
}

std::optional<std::vector<std::byte>> CSkinResources::ReadFile(const std::wstring& path) const {
    ZipEntry entry;
    if (zip_.FindEntry(path, entry) != kZipOk || entry.isFolder) return std::nullopt;
    std::vector<std::byte> bytes(static_cast<size_t>(entry.uncompressedSize));
    if (zip_.UnpackToBuffer(entry.index, bytes) != kZipOk) return std::nullopt;
    return bytes;
}

std::wstring TwinPath(const std::wstring& path, int scale) {
    const size_t dot = path.rfind(L'.');
    const size_t slash = path.find_last_of(L"/\\");
    const size_t stem = dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash) ? path.size() : dot;
    return path.substr(0, stem) + L"@" + std::to_wstring(scale) + L"x" + path.substr(stem);
}

CSkinResources::~CSkinResources() {
    if (prefetcher_.joinable()) prefetcher_.join();
}

ImagePtr CSkinResources::Decode(const std::wstring& path, double screenScale) const {
    ImagePtr image;
    // On a screen of scale 2 the twin drawn for it, where the archive has one.
    if (std::lround(screenScale) >= 2) {
        if (const auto twin = ReadFile(TwinPath(path, 2))) image = host_.DecodeImageAtScale(*twin, 2);
    }
    if (!image) {
        const std::optional<std::vector<std::byte>> bytes = ReadFile(path);
        if (!bytes) {
            CCTLog::Instance().Log(LogLevel::Error, "CSkinResources::GetImage", L"image %ls is not in the skin archive",
                                   path.c_str());
        } else if (!(image = host_.DecodeImage(*bytes))) {
            CCTLog::Instance().Log(LogLevel::Error, "CSkinResources::GetImage", L"image %ls is not a PNG", path.c_str());
        }
    }
    return image;
}

ImagePtr CSkinResources::GetImage(const std::wstring& path) {
    const auto cached = images_.find(path);
    if (cached != images_.end()) return cached->second;
    ImagePtr image;
    if (!TakePrefetched(path, image)) image = Decode(path, host_.ScreenScale());
    images_.emplace(path, image);
    return image;
}

void CSkinResources::Prefetch(std::vector<std::wstring> paths) {
    if (!host_.DecodesOnAnyThread() || prefetcher_.joinable() || !IsOpen()) return;
    {
        const std::lock_guard<std::mutex> guard(prefetchLock_);
        for (const std::wstring& path : paths) prefetched_.emplace(path, std::nullopt);
    }
    // The scale is the window thread's to ask.
    const double scale = host_.ScreenScale();
    try {
        prefetcher_ = std::thread([this, paths = std::move(paths), scale] {
            for (const std::wstring& path : paths) {
                ImagePtr image = Decode(path, scale);
                {
                    const std::lock_guard<std::mutex> guard(prefetchLock_);
                    prefetched_[path] = std::move(image);
                }
                prefetchDone_.notify_all();
            }
        });
    } catch (const std::system_error&) {
        // No thread: every image decodes when it is first drawn.
        const std::lock_guard<std::mutex> guard(prefetchLock_);
        prefetched_.clear();
    }
}

bool CSkinResources::TakePrefetched(const std::wstring& path, ImagePtr& image) {
    std::unique_lock<std::mutex> guard(prefetchLock_);
    const auto found = prefetched_.find(path);
    if (found == prefetched_.end()) return false;
    prefetchDone_.wait(guard, [&found] { return found->second.has_value(); });
    image = std::move(*found->second);
    prefetched_.erase(found);
    return true;
}

}  // namespace ui
