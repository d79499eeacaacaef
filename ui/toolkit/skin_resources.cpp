#include "ui/toolkit/skin_resources.h"

#include "shell/log.h"

#include <cmath>

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

ImagePtr CSkinResources::GetImage(const std::wstring& path) {
    const auto cached = images_.find(path);
    if (cached != images_.end()) return cached->second;
    ImagePtr image;
    // On a screen of scale 2 the twin drawn for it, where the archive has one.
    if (std::lround(host_.ScreenScale()) >= 2) {
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
    images_.emplace(path, image);
    return image;
}

}  // namespace ui
