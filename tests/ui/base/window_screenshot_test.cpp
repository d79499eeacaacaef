// The shipped windows drawn for real: the embedded skin and fonts, the
// toolkit with the custom controls, the platform's host.
// Each layout is saved as a screenshot per language, for people to look at.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/program_identity.h"
#include "shell/embedded_resource.h"
#include "shell/text_convert.h"
#include "tests/ui/support/embedded_skin.h"
#include "tests/ui/support/host_fixture.h"
#include "ui/base/custom_controls.h"
#include "ui/toolkit/layout_builder.h"
#include "ui/toolkit/paint_manager.h"

namespace ui::test {
namespace {

// Hands the native window's events to the paint manager.
struct CManagerEvents : IHostWindowEvents {
    CPaintManager* manager = nullptr;
    void OnPaint(ICanvas& canvas, const Rect& dirty) override { manager->OnPaint(canvas, dirty); }
    void OnMouseMove(Point at) override { manager->OnMouseMove(at); }
    void OnMouseDown(MouseButton button, Point at) override { manager->OnMouseDown(button, at); }
    void OnMouseUp(MouseButton button, Point at) override { manager->OnMouseUp(button, at); }
    void OnMouseLeave() override { manager->OnMouseLeave(); }
    void OnMouseWheel(int delta, Point at) override { manager->OnMouseWheel(delta, at); }
    void OnTimer(uint32_t id) override { manager->OnTimer(id); }
    bool OnKeyDown(const KeyPress& key) override { return manager->OnKeyDown(key); }
    void OnCloseRequested() override {}
};

TEST(ShippedWindows, EveryLayoutDrawsInEveryLanguageAndIsSavedForLooking) {
    IHost& host = TestHost();
    RegisterEmbeddedFonts(host);
    const auto archive = FindEmbeddedResource(kArchiveType, kSkinArchiveId);
    ASSERT_TRUE(archive);
    CSkinResources skin(host, *archive);
    std::filesystem::create_directories(KALO_SCREENSHOT_DIR);
    for (const std::string code : {"cn", "en", "ru"}) {
        const LangTextTable texts = EmbeddedPackOf(code);
        ASSERT_FALSE(texts.empty()) << code;
        const TextLookup lookup = LookupIn(texts);
        for (const char* file : {"main_window.xml", "minimum_config_window.xml", "display_interface_intro_wnd.xml",
                                 "msgwnd.xml"}) {
            SCOPED_TRACE(std::string(file) + " " + code);
            CLayoutBuilder builder(skin, [](const std::wstring& kind) { return CreateCustomControl(kind); }, lookup);
            BuiltLayout built = builder.Build(Utf8ToWide(file));
            ASSERT_TRUE(built.root);
            const Size size = built.window.size;
            CManagerEvents events;
            auto window = host.CreateHostWindow(events, {L"", size, built.window.transparent, nullptr});
            ASSERT_TRUE(window);
            CPaintManager manager(skin, window.get());
            events.manager = &manager;
            manager.AttachRoot(std::move(built.root), built.window, built.fonts);
            manager.SetClientSize(size);
            manager.UpdateLayout();
            const std::string name = std::filesystem::path(file).stem().string() + "_" + code + ".png";
            EXPECT_TRUE(window->SaveScreenshot(Utf8ToWide(std::string(KALO_SCREENSHOT_DIR) + "/" + name)));
        }
    }
}

}  // namespace
}  // namespace ui::test
