// The custom controls in real layouts built by the toolkit over a real
// archive, measured by the test host (7 px per character).

#include "ui/base/custom_controls.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/temp_folder.h"
#include "tests/ui/toolkit/skin_fixture.h"

namespace ui::test {
namespace {

ControlFactory CustomFactory() {
    return [](const std::wstring& kind) { return CreateCustomControl(kind); };
}

TEST(CustomControls, OnlyTheExactKindNamesMakeThem) {
    const struct { const wchar_t* kind; const wchar_t* className; } kCases[] = {
        {L"HorizontalLayoutEx", L"HorizontalLayoutExUI"},
        {L"VerticalLayoutEx", L"VerticalLayoutExUI"},
        {L"FrameAnimation", L"FrameAnimationUI"},
        {L"ButtonEx", L"ButtonExUI"},
        {L"buttonex", nullptr},
        {L"ButtonEx ", nullptr},
        {L"FrameAnimaton", nullptr},
        {L"Button", nullptr},
    };
    for (const auto& c : kCases) {
        const auto control = CreateCustomControl(c.kind);
        if (c.className == nullptr) {
            EXPECT_EQ(control, nullptr) << std::filesystem::path(c.kind).string();
        } else {
            ASSERT_NE(control, nullptr);
            EXPECT_EQ(control->GetClass(), c.className);
            const std::wstring_view interfaceName = std::wstring_view(c.className).substr(0, std::wcslen(c.className) - 2);
            EXPECT_EQ(control->GetInterface(interfaceName), control.get());
        }
    }
}

TEST(CustomControls, AutocalcIsOnOnlyForExactlyTrue) {
    for (const auto& [value, on] : {std::pair{L"true", true}, {L"True", false}, {L"1", false}, {L"", false}}) {
        ButtonEx button;
        button.SetAttribute(L"autocalc", value);
        EXPECT_EQ(button.IsAutoSize(), on);
        EXPECT_EQ(button.IsAutoCalcWidth(), on);
    }
}

TEST(CustomControls, FrameAnimationCyclesItsFramesOnTimerOne) {
    const struct { const char* name; const char* attributes; bool timer; std::vector<uint32_t> frames; } kCases[] = {
        {"frames 0 to 3", R"(framebegin="0" frameend="3")", true, {1, 2, 3, 0, 1}},
        {"last frame 1 starts no timer", R"(framebegin="0" frameend="1")", false, {}},
        {"a format reading another argument shows nothing", R"(framebegin="0" frameend="3" imageformat="%s%d")",
         true, {1, 2, 3, 0, 1}},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        const std::string format = std::string(c.attributes).find("imageformat") == std::string::npos
                                       ? R"( imageformat="f/%0.5d.png")"
                                       : "";
        SkinFixture skin(OneLayout(std::string(R"(<Window size="100,100"><VerticalLayout><FrameAnimation name="a" )") +
                                   c.attributes + format + "/></VerticalLayout></Window>"),
                         CustomFactory());
        ASSERT_TRUE(skin.Load(L"w.xml", {100, 100}));
        auto* animation = static_cast<FrameAnimation*>(skin.manager->FindControl(L"a")->GetInterface(L"FrameAnimation"));
        ASSERT_NE(animation, nullptr);
        EXPECT_EQ(skin.window.timers.empty(), !c.timer);
        if (format.empty()) {
            EXPECT_TRUE(animation->GetBkImage().path.empty());
        } else {
            EXPECT_EQ(animation->GetBkImage().path, L"f/00000.png");
        }
        std::vector<uint32_t> seen;
        for (size_t i = 0; i < c.frames.size(); ++i) {
            seen.push_back(animation->CurrentFrame());
            for (const auto& [hostId, interval] : std::map<uint32_t, uint32_t>(skin.window.timers)) {
                skin.manager->OnTimer(hostId);
            }
        }
        EXPECT_EQ(seen, c.frames);
    }
}

TEST(CustomControls, ButtonExGrowsWithItsTextAndKeepsItsMinimumWidth) {
    SkinFixture skin(OneLayout(R"(<Window size="600,100"><HorizontalLayout>
        <ButtonEx name="b" text="Check now" textpadding="20,0,20,0" minwidth="100" height="46"/>
        <Control/></HorizontalLayout></Window>)"),
                     CustomFactory());
    ASSERT_TRUE(skin.Load(L"w.xml", {600, 100}));
    EXPECT_EQ(skin.PosOf(L"b").Width(), 9 * 7 + 40);
    skin.manager->FindControl(L"b")->SetText(L"Jetzt prüfen und weiter");
    skin.manager->UpdateLayout();
    EXPECT_EQ(skin.PosOf(L"b").Width(), 23 * 7 + 40);
    skin.manager->FindControl(L"b")->SetText(L"OK");
    skin.manager->UpdateLayout();
    EXPECT_EQ(skin.PosOf(L"b").Width(), 100) << "never below its minimum width";
    EXPECT_EQ(skin.PosOf(L"b").Height(), 46);
}

TEST(CustomControls, LayoutsExSizeThemselvesToTheirChildren) {
    SkinFixture skin(OneLayout(R"(<Window size="600,400"><VerticalLayout>
        <HorizontalLayout height="60">
          <HorizontalLayoutEx name="row" inset="5,5,5,5">
            <Control width="30" height="20" padding="2,0,3,0"/><Control width="40" height="16" padding="0,4,0,4"/>
          </HorizontalLayoutEx><Control/>
        </HorizontalLayout>
        <VerticalLayoutEx name="column" inset="1,2,3,4">
          <Control width="50" height="20" padding="0,1,0,1"/><Control width="70" height="30"/>
        </VerticalLayoutEx><Control/>
      </VerticalLayout></Window>)"),
                     CustomFactory());
    ASSERT_TRUE(skin.Load(L"w.xml", {600, 400}));
    EXPECT_EQ(skin.PosOf(L"row").Width(), 30 + 5 + 40 + 10);
    EXPECT_EQ(skin.PosOf(L"row").Height(), 16 + 8 + 10) << "the tallest child with its margins, plus the inset";
    EXPECT_EQ(skin.PosOf(L"column").Height(), 22 + 30 + 6);
}

// Every shipped layout builds with the custom controls and lays out at its
// window size.
TEST(CustomControls, TheShippedLayoutsBuildAndLayOut) {
    std::vector<std::pair<std::string, std::string>> files;
    for (const auto& entry : std::filesystem::directory_iterator(KALO_SKIN_DIR)) {
        if (entry.path().extension() == ".xml") {
            files.emplace_back(entry.path().filename().string(), ReadWholeFile(entry.path().wstring()));
        }
    }
    ASSERT_EQ(files.size(), 6u);
    for (const char* file : {"main_window.xml", "minimum_config_window.xml", "display_interface_intro_wnd.xml",
                             "msgwnd.xml"}) {
        SCOPED_TRACE(file);
        SkinFixture skin(files, CustomFactory());
        ASSERT_TRUE(skin.Load(std::filesystem::path(file).wstring()));
        const Size size = skin.window_attributes.size;
        EXPECT_GT(size.cx, 0);
        skin.manager->SetClientSize(size);
        skin.manager->UpdateLayout();
        EXPECT_NE(skin.manager->FindControl(L"closebtn"), nullptr);
        if (std::string(file) == "main_window.xml") {
            EXPECT_EQ(skin.PosOf(L"cmb_lang"), (Rect{48, 358, 48 + 264, 358 + 36}));
            const Rect start = skin.PosOf(L"start_check");
            EXPECT_EQ((Point{start.left, start.top}), (Point{48, 497}));
            EXPECT_EQ(start.Height(), 46);
            EXPECT_GE(start.Width(), 180);
        }
    }
}

}  // namespace
}  // namespace ui::test
