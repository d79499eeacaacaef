// The Windows host of the toolkit: GDI+ started once per process, a hidden
// message-only window that runs tasks posted from any thread, and windows,
// images and fonts from the host_win_* files.

#include <objbase.h>

#include <functional>
#include <memory>
#include <string>

#include "shell/log.h"
#include "shell/text_convert.h"
#include "ui/host/win/host_win_canvas.h"
#include "ui/host/win/host_win_fonts.h"
#include "ui/host/win/host_win_gdi.h"
#include "ui/host/win/host_win_image.h"
#include "ui/host/win/host_win_window.h"
#include "ui/toolkit/host.h"

namespace ui {
namespace win {
namespace {

constexpr wchar_t kTaskWindowClassName[] = L"KALOToolkitTasks";
// lParam: a std::function<void()> on the heap, owned by the message.
constexpr UINT kRunTaskMessage = WM_APP + 1;

using CTask = std::function<void()>;

LRESULT CALLBACK TaskWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kRunTaskMessage) {
        const std::unique_ptr<CTask> task(reinterpret_cast<CTask*>(lParam));
        if (task && *task) (*task)();
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// The window that receives the posted tasks: message-only, so it is never
// shown, enumerated or sent broadcasts.
CWindowHandle MakeTaskWindow() {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = &TaskWindowProcedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kTaskWindowClassName;
    if (RegisterClassExW(&windowClass) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return {};
    return CWindowHandle(CreateWindowExW(0, kTaskWindowClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                         GetModuleHandleW(nullptr), nullptr));
}

// What a host that could not start measures and draws with: nothing.
class CNullCanvas final : public ICanvas {
public:
    void FillRect(const Rect&, Argb) override {}
    void DrawRoundedFrame(const Rect&, int, int, Argb) override {}
    void DrawImage(const IImage&, const Rect&, const Rect&, const Corners&, uint8_t) override {}
    Size MeasureText(const std::wstring&, const FontSpec&, int, uint32_t) override { return {}; }
    void DrawText(const std::wstring&, const FontSpec&, Argb, const Rect&, uint32_t) override {}
    void PushClip(const Rect&) override {}
    void PopClip() override {}
};

class CWinHost final : public IHost {
public:
    CWinHost() {
        if (!session_.IsStarted()) return;
        taskWindow_ = MakeTaskWindow();
        if (!taskWindow_) {
            taskWindowError_ = GetLastError();
            return;
        }
        fonts_ = std::make_unique<CWinFonts>();
        if (!measuringSurface_.Resize({1, 1})) return;
        measuringGraphics_ = std::make_unique<Gdiplus::Graphics>(&measuringSurface_.View());
        PrepareGraphics(*measuringGraphics_);
        measuringCanvas_ = std::make_unique<CWinCanvas>(*measuringGraphics_, *fonts_);
    }
    ~CWinHost() override {
        // GDI+ objects before the session that runs them.
        measuringCanvas_.reset();
        measuringGraphics_.reset();
        fonts_.reset();
    }
    CWinHost(const CWinHost&) = delete;
    CWinHost& operator=(const CWinHost&) = delete;

    // Empty when the host works; else why not, in words.
    std::string Failure() const {
        if (!session_.IsStarted()) return "GDI+ cannot be started";
        if (!taskWindow_) return "the host's message window cannot be created (error " +
                                 std::to_string(taskWindowError_) + ")";
        if (!measuringCanvas_) return "no drawing surface can be made";
        return {};
    }

    std::unique_ptr<IHostWindow> CreateHostWindow(IHostWindowEvents& events,
                                                  const HostWindowOptions& options) override {
        if (!fonts_) return nullptr;
        auto window = std::make_unique<CWinHostWindow>(events, options, *fonts_);
        if (!window->IsCreated()) return nullptr;
        return window;
    }
    ImagePtr DecodeImage(std::span<const std::byte> bytes) override { return DecodePng(bytes, 1); }
    ImagePtr DecodeImageAtScale(std::span<const std::byte> bytes, int scale) override {
        return DecodePng(bytes, scale);
    }
    std::wstring RegisterPrivateFont(std::span<const std::byte> bytes) override {
        return fonts_ ? fonts_->Register(bytes) : std::wstring();
    }
    void AliasFontFamily(const std::wstring& layoutFamily, const std::wstring& faceFamily) override {
        if (fonts_) fonts_->Alias(layoutFamily, faceFamily);
    }
    ICanvas& MeasuringCanvas() override {
        if (measuringCanvas_) return *measuringCanvas_;
        return nullCanvas_;
    }
    double ScreenScale() const override { return PrimaryScreenScale(); }
    void ShowNativeMessage(const std::wstring& text, const std::wstring& caption) override {
        MessageBoxW(nullptr, text.c_str(), caption.c_str(), MB_OK | MB_ICONINFORMATION | MB_SETFOREGROUND);
    }
    // COM for this thread in a single-threaded apartment, as the windows and
    // the shell's dialogs expect of the window thread.
    bool BeginWindowThread() override {
        if (comInitialized_) return true;
        const HRESULT result = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        if (FAILED(result)) {
            CCTLog::Instance().Log(LogLevel::Error, "CWinHost::BeginWindowThread", L"CoInitializeEx failed (0x%08lx)",
                                   static_cast<unsigned long>(result));
            return false;
        }
        comInitialized_ = true;
        return true;
    }
    void EndWindowThread() override {
        if (comInitialized_) CoUninitialize();
        comInitialized_ = false;
    }
    int RunMessageLoop() override {
        MSG message{};
        for (;;) {
            const BOOL got = GetMessageW(&message, nullptr, 0, 0);
            if (got == 0) return static_cast<int>(message.wParam);
            if (got == -1) {
                CCTLog::Instance().Log(LogLevel::Error, "CWinHost::RunMessageLoop", L"GetMessageW failed (%lu)", GetLastError());
                return 0;
            }
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    void Quit(int code) override { PostQuitMessage(code); }
    void Post(std::function<void()> task) override {
        if (!taskWindow_) {
            CCTLog::Instance().Log(LogLevel::Error, "CWinHost::Post", L"no message window: task dropped");
            return;
        }
        auto owned = std::make_unique<CTask>(std::move(task));
        if (PostMessageW(taskWindow_.Get(), kRunTaskMessage, 0, reinterpret_cast<LPARAM>(owned.get()))) {
            owned.release();  // the message owns it now
        } else {
            CCTLog::Instance().Log(LogLevel::Error, "CWinHost::Post", L"PostMessageW failed (%lu)", GetLastError());
        }
    }

private:
    // Declared first so that it outlives everything below that needs it.
    CGdiplusSession session_;
    CWindowHandle taskWindow_;
    bool comInitialized_ = false;
    DWORD taskWindowError_ = 0;
    std::unique_ptr<CWinFonts> fonts_;
    CDibSurface measuringSurface_;
    std::unique_ptr<Gdiplus::Graphics> measuringGraphics_;
    std::unique_ptr<CWinCanvas> measuringCanvas_;
    CNullCanvas nullCanvas_;
};

// Never destroyed: windows and images made from it may live until the
// process ends, and GDI+ must outlast them.
CWinHost*& TheHost() {
    static CWinHost* host = nullptr;
    return host;
}

}  // namespace
}  // namespace win

// Windows takes no platform options on the command line.
IHost& CreatePlatformHost(int& argc, char** argv) {
    (void)argc;
    (void)argv;
    auto& host = win::TheHost();
    if (!host) {
        host = new win::CWinHost();
        if (const std::string failure = host->Failure(); !failure.empty()) {
            CCTLog::Instance().Log(LogLevel::Error, "CreatePlatformHost", L"%ls", Utf8ToWide(failure).c_str());
        }
    }
    return *host;
}

IHost* TryCreatePlatformHost(int& argc, char** argv, std::string& reason) {
    if (win::TheHost() == nullptr) {
        auto host = std::make_unique<win::CWinHost>();
        if (std::string failure = host->Failure(); !failure.empty()) {
            reason = std::move(failure);
            return nullptr;
        }
        win::TheHost() = host.release();
    }
    return &CreatePlatformHost(argc, argv);
}

IHost* PlatformHost() { return win::TheHost(); }

}  // namespace ui
