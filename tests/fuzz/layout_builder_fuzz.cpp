// Feeds arbitrary bytes to the layout builder as a layout file of a skin
// archive that also holds one includable layer and one image, then lays the
// tree out at several window sizes, paints it and moves and clicks the mouse
// over it. The test host measures text at a fixed advance, so no GUI library
// is needed.

#include <cstddef>
#include <cstdint>
#include <string>

#include "shell/log.h"
#include "tests/support/zip_writer.h"
#include "tests/ui/support/test_host.h"
#include "ui/toolkit/layout_builder.h"
#include "ui/toolkit/paint_manager.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace ui;
    CCTLog::Instance().SetConsoleCopy(nullptr);
    const std::string xml(reinterpret_cast<const char*>(data), size);
    const std::string archive =
        BuildZip({ZipFile("w.xml", xml, 0),
                  ZipFile("layer.xml", "<Window><VerticalLayout name='layer'><Label text='x'/></VerticalLayout></Window>", 0),
                  ZipFile("image/a.png", test::FakePng(8, 8), 0)});
    test::CTestHost host;
    test::CTestHostWindow window;
    CSkinResources skin(host, std::span(reinterpret_cast<const std::byte*>(archive.data()), archive.size()));
    CLayoutBuilder builder(skin, {}, [](const std::wstring& key) { return key + L" text"; });
    BuiltLayout built = builder.Build(L"w.xml");
    if (!built.root) return 0;
    CPaintManager manager(skin, &window);
    manager.AttachRoot(std::move(built.root), built.window, built.fonts);
    const Size sizes[] = {{0, 0}, {1, 1}, {400, 300}, {1200, 675}, {32767, 32767}};
    for (const Size size : sizes) {
        manager.SetClientSize(size);
        test::CTestCanvas canvas;
        manager.OnPaint(canvas, {0, 0, size.cx, size.cy});
        if (canvas.clipDepth != 0) __builtin_trap();
        const Point at{size.cx / 2, size.cy / 2};
        manager.OnMouseMove(at);
        manager.OnMouseDown(MouseButton::Left, at);
        manager.OnMouseUp(MouseButton::Left, at);
        manager.OnMouseWheel(-1, at);
        manager.OnPaint(canvas, {0, 0, size.cx, size.cy});
    }
    return 0;
}
