#pragma once
// A host without a GUI library for the toolkit's layout and event tests and
// its fuzz target: text is measured at a fixed advance per character, images
// are "decoded" from a PNG signature and IHDR size, draw calls and window
// requests are recorded.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "ui/toolkit/host.h"

namespace ui::test {

inline constexpr int kCharAdvance = 7;  // pixels per character
int LineHeight(const FontSpec& font);   // pixelSize + 4

// PNG signature and an IHDR chunk of the size: enough for the test host.
std::string FakePng(int width, int height);

struct DrawCall {
    enum Kind { Fill, Image, Text, Frame } kind = Fill;
    Rect rect;
    Argb color = 0;
    std::wstring text;
    uint32_t flags = 0;
    Corners corners;
    FontSpec font;
    int radius = 0;  // of a frame
};

class CTestCanvas : public ICanvas {
public:
    void FillRect(const Rect& rect, Argb color) override;
    void DrawRoundedFrame(const Rect& rect, int radius, int width, Argb color) override;
    void DrawImage(const IImage& image, const Rect& source, const Rect& dest, const Corners& corners,
                   uint8_t alpha) override;
    Size MeasureText(const std::wstring& text, const FontSpec& font, int maxWidth, uint32_t flags) override;
    void DrawText(const std::wstring& text, const FontSpec& font, Argb color, const Rect& box,
                  uint32_t flags) override;
    void PushClip(const Rect& rect) override;
    void PopClip() override;

    std::vector<DrawCall> calls;
    int clipDepth = 0;
    int maxClipDepth = 0;
};

class CTestHostWindow : public IHostWindow {
public:
    void Show() override { visible = true; }
    void Hide() override { visible = false; }
    bool IsVisible() const override { return visible; }
    void SetTitle(const std::wstring& title) override { title_ = title; }
    std::wstring Title() const override { return title_; }
    void SetStyle(uint32_t style, uint32_t exStyle) override {
        style_ = style;
        exStyle_ = exStyle;
    }
    uint32_t Style() const override { return style_; }
    uint32_t ExStyle() const override { return exStyle_; }
    void SetTransparent(bool) override {}
    void SetShadow(ShadowImageSource, const Corners&) override {}
    void SetProgramIcon(int) override {}
    void Resize(Size size) override { size_ = size; }
    Size ClientSize() const override { return size_; }
    void Center() override {}
    void Minimize() override {}
    void Maximize() override {}
    void Restore() override {}
    void StartMove() override { ++moves; }
    void SetInputEnabled(bool enabled) override { input = enabled; }
    bool IsInputEnabled() const override { return input; }
    void Invalidate(const Rect& rect) override { invalidated.push_back(rect); }
    void InvalidateAll() override { ++invalidatedAll; }
    void SetCursor(CursorShape shape) override { cursor = shape; }
    void NotifyAccessible(AccessibleEvent event, Control& element) override {
        accessibleEvents.emplace_back(event, &element);
    }
    void SetTimer(uint32_t id, uint32_t intervalMs) override { timers[id] = intervalMs; }
    void KillTimer(uint32_t id) override { timers.erase(id); }
    int RunModal() override { return 0; }
    void EndModal(int) override {}
    bool SaveScreenshot(const std::wstring&) override { return false; }
    Size PaintInto(std::vector<Argb>&) override { return {}; }

    bool visible = false;
    bool input = true;
    int moves = 0;
    int invalidatedAll = 0;
    std::vector<Rect> invalidated;
    CursorShape cursor = CursorShape::Arrow;
    std::map<uint32_t, uint32_t> timers;  // host id to interval
    std::vector<std::pair<AccessibleEvent, Control*>> accessibleEvents;

private:
    std::wstring title_;
    uint32_t style_ = 0;
    uint32_t exStyle_ = 0;
    Size size_;
};

class CTestHost : public IHost {
public:
    std::unique_ptr<IHostWindow> CreateHostWindow(IHostWindowEvents&, const HostWindowOptions&) override {
        return std::make_unique<CTestHostWindow>();
    }
    ImagePtr DecodeImage(std::span<const std::byte> bytes) override;
    std::wstring RegisterPrivateFont(std::span<const std::byte>) override { return {}; }
    ICanvas& MeasuringCanvas() override { return canvas_; }
    double ScreenScale() const override { return screenScale; }
    // Twins report their size divided by the scale, as the real hosts do.
    ImagePtr DecodeImageAtScale(std::span<const std::byte> bytes, int scale) override;
    void ShowNativeMessage(const std::wstring&, const std::wstring&) override {}
    int RunMessageLoop() override { return 0; }
    void Quit(int) override {}
    void Post(std::function<void()> task) override { task(); }

    int decoded = 0;
    int decodedAtScale2 = 0;
    double screenScale = 1.0;

private:
    CTestCanvas canvas_;
};

}  // namespace ui::test
