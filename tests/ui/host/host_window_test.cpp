// The host contract on the platform's real host (Qt offscreen on Linux,
// Win32 on Windows): timers, modal runs, tasks posted from other threads and
// transparent windows.

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "tests/ui/support/host_fixture.h"

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

}  // namespace
}  // namespace ui::test
