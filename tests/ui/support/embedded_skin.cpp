#include "tests/ui/support/embedded_skin.h"

#include "app/program_identity.h"
#include "shell/embedded_resource.h"
#include "shell/text_convert.h"
#include "shell/zip_archive.h"
#include "ui/base/embedded_fonts.h"

namespace ui::test {

LangTextTable EmbeddedPackOf(const std::string& code) {
    const auto archive = FindEmbeddedResource(kArchiveType, kLanguageArchiveId);
    CZipArchive zip;
    if (!archive || zip.Open(archive->data(), archive->size()) != kZipOk) return {};
    ZipEntry entry;
    if (zip.FindEntry(Utf8ToWide(code + "/fitprobe/KALOFitProbe.lang"), entry) != kZipOk) return {};
    std::vector<std::byte> bytes(static_cast<size_t>(entry.uncompressedSize));
    if (zip.UnpackToBuffer(entry.index, bytes) != kZipOk) return {};
    return ParseLangPack(bytes).value_or(LangTextTable{});
}

TextLookup LookupIn(const LangTextTable& texts) {
    return [&texts](const std::wstring& key) {
        const auto found = texts.find(key);
        return found == texts.end() ? std::wstring{} : found->second;
    };
}

void RegisterEmbeddedFonts(IHost& host) {
    static const bool registered = [&host] {
        ui::RegisterEmbeddedFonts(host);
        return true;
    }();
    (void)registered;
}

}  // namespace ui::test
