#pragma once
// The minimum requirements for the headset in the current language. The
// texts come from the rule set's "minimum_configuration" list, read by a
// loader thread (which may first download the latest rule set) while the
// window shows its loading page.

#include <functional>
#include <memory>

#include "app/minimum_config_helper.h"
#include "ui/base/base_wnd.h"

namespace ui {

class MinimumConfigWindow : public CBaseWnd {
public:
    using LoaderFactory = std::function<std::unique_ptr<MinimumConfigHelper>()>;

    // Owned by `owner`, centred on it, run modally; returns when closed.
    static void ShowModalOver(CWindowImplBase* owner);
    // Where the windows get their loader from; the default reads the
    // program's own folders. Tests point it at their own.
    static void SetLoaderFactory(LoaderFactory factory);

    MinimumConfigWindow() = default;
    // The loader can no longer reach the window, then is waited for.
    ~MinimumConfigWindow() override;

protected:
    std::wstring GetWindowClassName() const override { return L"KALOFitProbeMinimumConfigWnd"; }
    std::wstring GetSkinFile() const override { return L"minimum_config_window.xml"; }
    std::unique_ptr<Control> CreateControl(const std::wstring& kind) override;
    void InitWindow() override;

private:
    void ShowTable();

    std::unique_ptr<MinimumConfigHelper> loader_;
};

}  // namespace ui
