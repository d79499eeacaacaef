// Feeds arbitrary bytes to the zip reader as an archive, and to the entry-name
// cleaning as a name. Beyond the sanitizers' own checks it traps when a
// cleaned name could still leave the destination folder.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "shell/text_convert.h"
#include "shell/text_util.h"
#include "shell/zip_archive.h"

namespace {

// Relative, without a drive, and without any ".." component.
bool StaysBelow(const std::wstring& name) {
    if (!name.empty() && IsSlashOrBackslash(name.front())) return false;
    const bool drive = name.size() >= 2 && name[1] == L':' &&
                       ((name[0] >= L'a' && name[0] <= L'z') || (name[0] >= L'A' && name[0] <= L'Z'));
    if (drive) return false;
    size_t start = 0;
    for (size_t i = 0; i <= name.size(); ++i) {
        if (i < name.size() && !IsSlashOrBackslash(name[i])) continue;
        if (i - start == 2 && name[start] == L'.' && name[start + 1] == L'.') return false;
        start = i + 1;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size < 512 ? size : 512);
    if (!StaysBelow(CleanZipEntryName(Utf8ToWide(text)))) __builtin_trap();

    CZipArchive zip;
    if (zip.Open(data, size) != kZipOk) return 0;
    for (int i = 0; i < zip.EntryCount(); ++i) {
        ZipEntry entry;
        if (zip.GetEntry(i, entry) != kZipOk) continue;
        if (!StaysBelow(entry.name)) __builtin_trap();
        if (entry.uncompressedSize > kZipMaxEntrySize) __builtin_trap();
        std::vector<std::byte> buffer(static_cast<size_t>(entry.uncompressedSize));
        zip.UnpackToBuffer(i, buffer);
    }
    ZipEntry index;
    zip.FindEntry(L"defaultlangconfig.json", index);
    return 0;
}
