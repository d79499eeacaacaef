#include "tests/ui/support/embedded_skin.h"

#include "shell/embedded_resource.h"
#include "shell/text_convert.h"
#include "shell/zip_archive.h"

namespace ui::test {

LangTextTable EmbeddedPackOf(const std::string& code) {
    const auto archive = FindEmbeddedResource(L"ZIPRES", 137);
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
        for (const int id : {102, 103}) {
            const auto font = FindEmbeddedResource(L"FONTRES", id);
            if (!font) continue;
            const std::wstring face = host.RegisterPrivateFont(*font);
            if (!face.empty()) host.AliasFontFamily(L"\u601D\u6E90\u9ED1\u4F53 CN Regular", face);
        }
        return true;
    }();
    (void)registered;
}

}  // namespace ui::test
