#include <windows.h>

#include <cstdio>
#include <thread>

#include "shell/text_convert.h"

#include "tests/ui/support/host_fixture.h"

namespace ui::test {

IHost& TestHost() {
    static int argc = 1;
    static char name[] = "kalo_ui_tests";
    static char* argv[] = {name, nullptr};
    return CreatePlatformHost(argc, argv);
}

namespace {

BOOL CALLBACK CloseIfTitled(HWND window, LPARAM wanted) {
    if (!IsWindowVisible(window)) return TRUE;
    const auto& title = *reinterpret_cast<const std::wstring*>(wanted);
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    if (text == title) PostMessageW(window, WM_CLOSE, 0, 0);
    return TRUE;
}

}  // namespace

void CloseWindowsTitled(const std::wstring& title) {
    EnumThreadWindows(GetCurrentThreadId(), &CloseIfTitled, reinterpret_cast<LPARAM>(&title));
}

void AnswerNextNativeMessage() {
    std::thread([] {
        constexpr int kTextId = 0xFFFF;  // the message box's text control
        for (int tries = 0; tries < 1000; ++tries) {
            // Found while it is being made, the box may have no text yet.
            wchar_t text[512] = {};
            HWND box = FindWindowW(L"#32770", nullptr);
            if (box != nullptr && GetDlgItemTextW(box, kTextId, text, 512) > 0) {
                std::fprintf(stderr, "native message: %s\n", WideToUtf8(text).c_str());
                std::fflush(stderr);
                PostMessageW(box, WM_COMMAND, IDOK, 0);
                return;
            }
            Sleep(10);
        }
    }).detach();
}

void ProcessPendingEvents() {
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

}  // namespace ui::test
