#pragma once
// A real folder under the system's temporary location, removed with its
// content when the test ends.

#include <string>
#include <string_view>

class ScopedTempFolder {
public:
    ScopedTempFolder();
    ~ScopedTempFolder();
    ScopedTempFolder(const ScopedTempFolder&) = delete;
    ScopedTempFolder& operator=(const ScopedTempFolder&) = delete;

    // The folder, without a trailing separator.
    const std::wstring& Path() const { return path_; }
    // A path below the folder; "/" in the name stands for the platform's
    // separator, so that the path reads as the program itself builds it.
    std::wstring File(const std::wstring& name) const;
    // Writes bytes to a file below the folder (creating sub-folders).
    std::wstring Write(const std::wstring& name, std::string_view bytes) const;

private:
    std::wstring path_;
};

std::string ReadWholeFile(const std::wstring& path);

// The relative path with each "/" turned into the platform's separator.
std::wstring NativePath(std::wstring relative);
std::string NativePath(std::string relative);
