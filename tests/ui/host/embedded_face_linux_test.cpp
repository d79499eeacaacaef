// The embedded faces draw the layouts' text on a machine that also has the
// full font they were cut from: fontconfig must not hand Qt the installed
// collection instead, which costs megabytes of memory for glyphs the
// program already carries.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "tests/ui/support/embedded_skin.h"
#include "tests/ui/support/host_fixture.h"

namespace ui::test {
namespace {

constexpr char kInstalledRegular[] = "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc";

std::string MappedFontFiles() {
    std::ifstream maps("/proc/self/maps");
    std::string fonts, line;
    while (std::getline(maps, line)) {
        if (line.find(".ttc") != std::string::npos || line.find(".otf") != std::string::npos) fonts += line + "\n";
    }
    return fonts;
}

TEST(EmbeddedFace, DrawsTheLayoutFamilyWhereTheMachineHasTheFullFontToo) {
    if (!std::filesystem::exists(kInstalledRegular)) GTEST_SKIP() << "fonts-noto-cjk is not installed";
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
    EXPECT_EQ(MappedFontFiles().find("NotoSansCJK"), std::string::npos) << MappedFontFiles();
}

}  // namespace
}  // namespace ui::test
