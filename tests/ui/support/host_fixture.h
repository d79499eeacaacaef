#pragma once
// The platform's real host for window tests, on either platform: Qt on its
// offscreen platform on Linux, Win32 and GDI+ on Windows (under Wine in CI).
// What a test needs of the platform beyond the toolkit's interface (a close
// from the window manager, a pass over waiting events) is here too, so that
// one test file runs on both hosts.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "ui/toolkit/host.h"

namespace ui::test {

// Made once per process.
IHost& TestHost();

// A native window's events: painting and timers through the functions,
// input written down as words.
struct CRecordedEvents : IHostWindowEvents {
    std::function<void(ICanvas&)> paint;
    std::function<void(uint32_t)> timer;
    std::vector<std::string> input;  // "down 3,4", "wheel 1", ...

    void OnPaint(ICanvas& canvas, const Rect&) override {
        if (paint) paint(canvas);
    }
    void OnMouseMove(Point at) override { input.push_back("move " + Text(at)); }
    void OnMouseDown(MouseButton, Point at) override { input.push_back("down " + Text(at)); }
    void OnMouseUp(MouseButton, Point at) override { input.push_back("up " + Text(at)); }
    void OnMouseLeave() override { input.push_back("leave"); }
    void OnMouseWheel(int delta, Point) override { input.push_back("wheel " + std::to_string(delta)); }
    void OnTimer(uint32_t id) override {
        if (timer) timer(id);
    }
    bool OnKeyDown(const KeyPress& key) override {
        input.push_back("key " + std::to_string(static_cast<int>(key.key)) + (key.shift ? " shift" : "") +
                        (key.alt ? " alt" : ""));
        return true;
    }
    void OnCloseRequested() override { input.push_back("close"); }
    static std::string Text(Point p) { return std::to_string(p.x) + "," + std::to_string(p.y); }
};

// Asks every visible top-level window with this title to close, as the
// window manager's close button would.
void CloseWindowsTitled(const std::wstring& title);

// Answers the next native message of this process: on Windows from another
// thread, which waits for the message box, writes its text to stderr and
// presses its button; on Linux from the window thread's loop, which saves
// the Qt host's own message window as fallback_message.png and presses its
// OK (the host writes the text to stderr itself).
void AnswerNextNativeMessage();

// Handles the events and messages already waiting, then returns.
void ProcessPendingEvents();

// A window's pixels as PaintInto draws them: premultiplied 0xAARRGGBB.
struct Shot {
    Size size;
    std::vector<Argb> pixels;

    bool IsEmpty() const { return pixels.empty(); }
    uint8_t AlphaAt(int x, int y) const {
        return static_cast<uint8_t>(pixels[static_cast<size_t>(y) * static_cast<size_t>(size.cx) +
                                           static_cast<size_t>(x)] >> 24);
    }
};

// Saves the window as <screenshot folder>/<name>.png for people to look at
// and returns its pixels; empty when either step fails.
Shot Screenshot(IHostWindow& window, const std::string& name);

}  // namespace ui::test
