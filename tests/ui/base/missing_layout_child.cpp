// A program whose window's layout is not in the skin, for the end-to-end
// run on a virtual display: it must tell the user in a window of the host's
// own and end with exit code 1, as the windowed program does.

#include "tests/ui/support/embedded_skin.h"
#include "ui/base/base_wnd.h"
#include "ui/toolkit/host.h"
#include "ui/toolkit/window_styles.h"

namespace {

class CMissingLayoutWindow : public ui::CBaseWnd {
protected:
    std::wstring GetWindowClassName() const override { return L"KALO_MISSING_LAYOUT_WND"; }
    std::wstring GetSkinFile() const override { return L"no_such_layout.xml"; }
};

}  // namespace

int main(int argc, char** argv) {
    ui::IHost& host = ui::CreatePlatformHost(argc, argv);
    ui::test::RegisterEmbeddedFonts(host);
    CMissingLayoutWindow window;
    window.Create(nullptr, L"", ui::kStylePopupDialog, 0);  // ends the process
    return 2;
}
