// What the host loads to draw, read from the process's own mappings: the
// embedded faces and not the installed collection they were cut from (which
// fontconfig hands out for the same family name), and Qt's own PNG decoder
// without the image-format plugins. Either would cost the window megabytes
// or milliseconds for nothing it shows.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "app/program_identity.h"
#include "shell/embedded_resource.h"
#include "tests/ui/support/embedded_skin.h"
#include "tests/ui/support/host_fixture.h"
#include "ui/toolkit/skin_resources.h"

namespace ui::test {
namespace {

// The lines of /proc/self/maps that name a file containing `part`.
std::string MappedFiles(const std::string& part) {
    std::ifstream maps("/proc/self/maps");
    std::string found, line;
    while (std::getline(maps, line)) {
        if (line.find(part) != std::string::npos) found += line + "\n";
    }
    return found;
}

TEST(HostLibraries, TheEmbeddedFacesDrawTheLayoutFamilyWhereTheMachineHasTheFullFontToo) {
    if (!std::filesystem::exists("/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc")) {
        GTEST_SKIP() << "fonts-noto-cjk is not installed";
    }
    RegisterEmbeddedFonts(TestHost());
    CRecordedEvents events;
    events.paint = [](ICanvas& canvas) {
        for (const bool bold : {false, true}) {
            const FontSpec font{L"\u601D\u6E90\u9ED1\u4F53 CN Regular", 16, bold};
            canvas.DrawText(L"KALO\u7535\u8111\u914D\u7F6E\u68C0\u6D4B 0123 \u041F\u0440\u0438", font, 0xFF000000,
                            {0, bold ? 20 : 0, 300, bold ? 40 : 20}, kTextSingleLine);
        }
    };
    const auto window = TestHost().CreateHostWindow(events, {L"face", {300, 40}, false, nullptr});
    ASSERT_TRUE(window);
    std::vector<Argb> pixels;
    window->PaintInto(pixels);
    EXPECT_EQ(MappedFiles("NotoSansCJK"), "");
}

TEST(HostLibraries, SkinImagesDecodeWithoutImageFormatPlugins) {
    const auto archive = FindEmbeddedResource(kArchiveType, kSkinArchiveId);
    ASSERT_TRUE(archive);
    CSkinResources skin(TestHost(), *archive);
    // One of each kind: opaque, with transparency, stored with a palette.
    for (const wchar_t* path : {L"image/bk_welcome.png", L"image/btn.png", L"image/bg_shadow.png"}) {
        EXPECT_TRUE(skin.GetImage(path)) << path;
    }
    EXPECT_EQ(MappedFiles("/imageformats/"), "");
}

}  // namespace
}  // namespace ui::test
