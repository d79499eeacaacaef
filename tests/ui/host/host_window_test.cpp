// The host contract on the platform's real host (Qt offscreen on Linux,
// Win32 on Windows): timers, modal runs, tasks posted from other threads and
// transparent windows; skin images decoded ahead on the host.

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "app/program_identity.h"
#include "shell/embedded_resource.h"
#include "tests/support/log_capture.h"
#include "tests/ui/support/host_fixture.h"
#include "ui/toolkit/skin_resources.h"
#include "ui/toolkit/window_shadow.h"

namespace ui::test {
namespace {

std::unique_ptr<IHostWindow> MakeWindow(CRecordedEvents& events, IHostWindow* owner = nullptr) {
    return TestHost().CreateHostWindow(events, {L"test", {120, 80}, false, owner});
}

TEST(HostWindow, RepeatingTimerFiresWithItsId) {
    CRecordedEvents events;
    auto window = MakeWindow(events);
    std::vector<uint32_t> fired;
    events.timer = [&](uint32_t id) {
        fired.push_back(id);
        if (fired.size() == 3) {
            window->KillTimer(id);
            TestHost().Quit(0);
        }
    };
    window->SetTimer(7, 1);
    window->SetTimer(7, 5);  // the same id restarts, not adds, a timer
    EXPECT_EQ(TestHost().RunMessageLoop(), 0);
    EXPECT_EQ(fired, (std::vector<uint32_t>{7, 7, 7}));
}

TEST(HostWindow, TheMessageLoopOfAShownWindowEndsWithTheCodeOfItsQuit) {
    // Shown, the window paints its first frame while the loop runs; the
    // quit comes later, from a timer, and still ends the loop with its code.
    CRecordedEvents events;
    auto window = MakeWindow(events);
    window->Show();
    int fired = 0;
    events.timer = [&](uint32_t id) {
        if (++fired < 3) return;
        window->KillTimer(id);
        TestHost().Quit(7);
    };
    window->SetTimer(3, 40);
    EXPECT_EQ(TestHost().RunMessageLoop(), 7);
    EXPECT_EQ(fired, 3);
}

TEST(HostWindow, RunModalReturnsTheEndCodeAndDisablesTheOwner) {
    CRecordedEvents ownerEvents, dialogEvents;
    auto owner = MakeWindow(ownerEvents);
    auto dialog = MakeWindow(dialogEvents, owner.get());
    owner->Show();
    bool ownerInputDuringRun = true;
    TestHost().Post([&] {
        ownerInputDuringRun = owner->IsInputEnabled();
        dialog->EndModal(42);
    });
    EXPECT_EQ(dialog->RunModal(), 42);
    EXPECT_FALSE(ownerInputDuringRun);
    EXPECT_TRUE(owner->IsInputEnabled());
}

TEST(Host, TasksPostedFromAnyThreadRunOnTheWindowThreadInOrder) {
    IHost& host = TestHost();
    const auto windowThread = std::this_thread::get_id();
    std::vector<std::string> order;
    bool allOnWindowThread = true;
    const auto record = [&](std::string what) {
        allOnWindowThread = allOnWindowThread && std::this_thread::get_id() == windowThread;
        order.push_back(std::move(what));
    };
    std::thread poster([&] {
        host.Post([&] { record("first"); });
        host.Post([&] {
            record("second");
            host.Quit(0);
        });
    });
    poster.join();
    host.Post([&] { record("from the window thread"); });
    host.RunMessageLoop();
    EXPECT_TRUE(allOnWindowThread);
    EXPECT_EQ(order, (std::vector<std::string>{"first", "second", "from the window thread"}));
}

TEST(HostWindow, TransparentScreenshotKeepsUnpaintedPixelsClear) {
    CRecordedEvents events;
    events.paint = [](ICanvas& canvas) { canvas.FillRect({0, 0, 60, 80}, 0xFFD24128); };
    auto window = TestHost().CreateHostWindow(events, {L"clear", {120, 80}, true, nullptr});
    const Shot shot = Screenshot(*window, "host_transparent");
    ASSERT_EQ(shot.size, (Size{120, 80}));
    EXPECT_EQ(shot.pixels[40 * 120 + 30], 0xFFD24128u);
    EXPECT_EQ(shot.AlphaAt(90, 40), 0);
    EXPECT_FALSE(window->SaveScreenshot(L"/nonexistent-folder/shot.png"));
}

TEST(SkinPrefetch, GivesTheImagesOfFirstUseAndLogsAMissingOneOnce) {
    const auto archive = FindEmbeddedResource(kArchiveType, kSkinArchiveId);
    ASSERT_TRUE(archive);
    const std::vector<std::wstring> paths{L"image/bg_shadow.png", L"image/bk_welcome.png", L"image/none.png"};
    LogCapture log;
    CSkinResources plain(TestHost(), *archive);
    CSkinResources ahead(TestHost(), *archive);
    ahead.Prefetch(paths);
    ahead.Prefetch(paths);  // once per object: the second does nothing
    for (const std::wstring& path : paths) {
        const ImagePtr expected = plain.GetImage(path);
        const ImagePtr image = ahead.GetImage(path);
        ASSERT_EQ(image == nullptr, expected == nullptr);
        if (image) {
            EXPECT_EQ(image->PixelSize(), expected->PixelSize());
        }
        EXPECT_EQ(ahead.GetImage(path), image) << "decoded once";
    }
    EXPECT_EQ(log.Messages().size(), 2u) << "the missing image, once for each skin";
    // Destroyed while its prefetch may still run.
    CSkinResources(TestHost(), *archive).Prefetch(paths);
}

// The main window's shadow image (30 px corners), from the embedded skin.
ImagePtr MainWindowShadowImage() {
    const auto archive = FindEmbeddedResource(kArchiveType, kSkinArchiveId);
    return archive ? CSkinResources(TestHost(), *archive).GetImage(L"image/bg_shadow.png") : nullptr;
}

// The shadow drawn from the parts cut out of its image gives the pixels the
// whole image's nine-slice gives around the window: at the image's size (the
// main window's case) and around a window of one pixel (edges shrunk to it).
TEST(WindowShadow, ThePartsKeptDrawWhatTheWholeImageDrawsAroundTheWindow) {
    const ImagePtr image = MainWindowShadowImage();
    ASSERT_NE(image, nullptr);
    const Corners margin{30, 30, 30, 30};
    WindowShadow shadow = CutWindowShadow(*image, margin);
    ASSERT_TRUE(shadow);
    const Size whole = image->PixelSize();
    for (const Size surface : {whole, Size{61, 61}}) {
        CRecordedEvents events;
        auto window = TestHost().CreateHostWindow(events, {L"shadow", surface, false, nullptr});
        ASSERT_TRUE(window);
        Shot fromParts;
        Shot fromWhole;
        events.paint = [&](ICanvas& canvas) {
            canvas.FillRect({0, 0, surface.cx, surface.cy}, 0xFFFFFFFF);
            DrawWindowShadow(canvas, shadow, surface);
        };
        fromParts.size = window->PaintInto(fromParts.pixels);
        events.paint = [&](ICanvas& canvas) {
            canvas.FillRect({0, 0, surface.cx, surface.cy}, 0xFFFFFFFF);
            canvas.DrawImage(*image, {0, 0, whole.cx, whole.cy}, {0, 0, surface.cx, surface.cy}, margin, 255);
        };
        fromWhole.size = window->PaintInto(fromWhole.pixels);
        ASSERT_EQ(fromParts.size, surface);
        ASSERT_EQ(fromWhole.size, surface);
        const Rect middle{margin.left, margin.top, surface.cx - margin.right, surface.cy - margin.bottom};
        int differing = 0;
        for (int y = 0; y < surface.cy; ++y) {
            for (int x = 0; x < surface.cx; ++x) {
                const size_t at = static_cast<size_t>(y) * static_cast<size_t>(surface.cx) + static_cast<size_t>(x);
                if (!middle.Contains({x, y}) && fromParts.pixels[at] != fromWhole.pixels[at]) ++differing;
            }
        }
        EXPECT_EQ(differing, 0) << surface.cx << " x " << surface.cy;
    }
}

// The window takes its margin at once, so that it can show while the image
// still decodes, and asks for the image when it first draws, once. An image
// that does not come leaves the margin empty around the client.
TEST(WindowShadow, TheMarginComesAtOnceAndTheImageAtTheFirstFrame) {
    const ImagePtr image = MainWindowShadowImage();
    ASSERT_NE(image, nullptr);
    const Corners margin{30, 30, 30, 30};
    for (const bool imageComes : {true, false}) {
        CRecordedEvents events;
        auto window = TestHost().CreateHostWindow(events, {L"shadow", {100, 60}, false, nullptr});
        ASSERT_TRUE(window);
        window->SetTransparent(true);
        int asked = 0;
        window->SetShadow(
            [&] {
                ++asked;
                return imageComes ? image : nullptr;
            },
            margin);
        EXPECT_EQ(window->ClientSize(), (Size{100, 60}));
        EXPECT_EQ(asked, 0);
        std::vector<Argb> pixels;
        ASSERT_EQ(window->PaintInto(pixels), (Size{160, 120}));
        window->PaintInto(pixels);
        EXPECT_EQ(asked, 1);
        // Just left of the client, half way down: shadow, or nothing at all.
        const Argb besideTheClient = pixels[60 * 160 + 29];
        EXPECT_EQ(besideTheClient >> 24 != 0, imageComes) << (imageComes ? "image" : "no image");
    }
}

}  // namespace
}  // namespace ui::test
