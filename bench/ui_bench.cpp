// The main window's two start-up costs on the Qt host (offscreen platform):
// building its layout from the embedded skin archive (open, unzip, parse,
// lay out) and painting its first frame, images decoded on first use, into
// pixels of the window's size. A warm repaint is given for comparison.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

#include "app/program_identity.h"
#include "shell/embedded_resource.h"
#include "ui/base/custom_controls.h"
#include "ui/base/embedded_fonts.h"
#include "ui/toolkit/host.h"
#include "ui/toolkit/layout_builder.h"
#include "ui/toolkit/paint_manager.h"

namespace {

ui::IHost& Host() {
    static int argc = 1;
    static char name[] = "kalo_ui_bench";
    static char* argv[] = {name, nullptr};
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static ui::IHost& host = [] () -> ui::IHost& {
        ui::IHost& made = ui::CreatePlatformHost(argc, argv);
        ui::RegisterEmbeddedFonts(made);
        return made;
    }();
    return host;
}

// The main window's tree, built and laid out over its own skin.
struct BuiltWindow {
    std::unique_ptr<ui::CSkinResources> skin;
    std::unique_ptr<ui::CPaintManager> manager;
};

BuiltWindow BuildMainWindow() {
    BuiltWindow window;
    window.skin = std::make_unique<ui::CSkinResources>(Host(), *FindEmbeddedResource(kArchiveType, kSkinArchiveId));
    ui::CLayoutBuilder builder(
        *window.skin, [](const std::wstring& kind) { return ui::CreateCustomControl(kind); },
        [](const std::wstring& key) { return key; });
    ui::BuiltLayout built = builder.Build(L"main_window.xml");
    window.manager = std::make_unique<ui::CPaintManager>(*window.skin);
    const ui::Size size = built.window.size;
    window.manager->AttachRoot(std::move(built.root), std::move(built.window), std::move(built.fonts));
    window.manager->SetClientSize(size);
    window.manager->UpdateLayout();
    return window;
}

// Hands the native window's paint requests to the manager.
struct CPaintEvents : ui::IHostWindowEvents {
    ui::CPaintManager* manager = nullptr;
    void OnPaint(ui::ICanvas& canvas, const ui::Rect& dirty) override { manager->OnPaint(canvas, dirty); }
    void OnMouseMove(ui::Point) override {}
    void OnMouseDown(ui::MouseButton, ui::Point) override {}
    void OnMouseUp(ui::MouseButton, ui::Point) override {}
    void OnMouseLeave() override {}
    void OnMouseWheel(int, ui::Point) override {}
    void OnTimer(uint32_t) override {}
    bool OnKeyDown(const ui::KeyPress&) override { return false; }
    void OnCloseRequested() override {}
};

// A native window of the main window's size over the built tree.
struct PaintedWindow {
    CPaintEvents events;
    std::unique_ptr<ui::IHostWindow> native;
    std::vector<ui::Argb> pixels;
    explicit PaintedWindow(BuiltWindow& window) {
        events.manager = window.manager.get();
        native = Host().CreateHostWindow(events, {L"", {1200, 675}, true, nullptr, 0, 0});
        window.manager->SetHostWindow(native.get());
    }
};

void BM_MainWindowLayoutFromEmbeddedArchive(benchmark::State& state) {
    Host();
    for (auto _ : state) {
        BuiltWindow window = BuildMainWindow();
        benchmark::DoNotOptimize(window.manager->GetRoot());
    }
}
BENCHMARK(BM_MainWindowLayoutFromEmbeddedArchive)->Unit(benchmark::kMillisecond);

void BM_MainWindowFirstFrame(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        BuiltWindow window = BuildMainWindow();  // a fresh skin: no image decoded yet
        PaintedWindow painted(window);
        state.ResumeTiming();
        painted.native->PaintInto(painted.pixels);
        benchmark::DoNotOptimize(painted.pixels.data());
    }
}
BENCHMARK(BM_MainWindowFirstFrame)->Unit(benchmark::kMillisecond);

void BM_MainWindowRepaint(benchmark::State& state) {
    BuiltWindow window = BuildMainWindow();
    PaintedWindow painted(window);
    painted.native->PaintInto(painted.pixels);
    for (auto _ : state) {
        painted.native->PaintInto(painted.pixels);
        benchmark::DoNotOptimize(painted.pixels.data());
    }
}
BENCHMARK(BM_MainWindowRepaint)->Unit(benchmark::kMillisecond);

// The largest single cost of the first frame.
void BM_DecodeWelcomeBackground(benchmark::State& state) {
    ui::CSkinResources skin(Host(), *FindEmbeddedResource(kArchiveType, kSkinArchiveId));
    const auto bytes = *skin.ReadFile(L"image/bk_welcome.png");
    for (auto _ : state) benchmark::DoNotOptimize(Host().DecodeImage(bytes));
}
BENCHMARK(BM_DecodeWelcomeBackground)->Unit(benchmark::kMillisecond);

}  // namespace
