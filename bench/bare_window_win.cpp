// The least a Win32 program does to show a frameless 1200 x 675 layered
// window and paint it once, as the windowed program's host presents its
// skinned windows (a 32-bit DIB handed to UpdateLayeredWindow): the floor
// the program's start under Wine is measured against (bench/window_start.py).
#include <windows.h>

namespace {

constexpr int kWidth = 1200;
constexpr int kHeight = 675;

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// Fills the window's pixels and presents them once.
void PresentOnce(HWND window) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = kWidth;
    info.bmiHeader.biHeight = -kHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC memory = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap == nullptr) return;
    HGDIOBJ previous = SelectObject(memory, bitmap);
    auto* pixels = static_cast<DWORD*>(bits);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const bool white = x >= 100 && x < 500 && y >= 100 && y < 180;
            pixels[y * kWidth + x] = white ? 0xFFFFFFFFu : 0xFF2060A0u;
        }
    }
    POINT origin{0, 0};
    SIZE extent{kWidth, kHeight};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    UpdateLayeredWindow(window, nullptr, nullptr, &extent, memory, &origin, 0, &blend, ULW_ALPHA);
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = L"KaloBareWindow";
    RegisterClassW(&windowClass);
    HWND window = CreateWindowExW(WS_EX_LAYERED, windowClass.lpszClassName, L"bare", WS_POPUP, 100, 100, kWidth,
                                  kHeight, nullptr, nullptr, instance, nullptr);
    if (window == nullptr) return 1;
    PresentOnce(window);
    ShowWindow(window, SW_SHOW);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
