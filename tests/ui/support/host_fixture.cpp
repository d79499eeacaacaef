#include "tests/ui/support/host_fixture.h"

#include <filesystem>

namespace ui::test {

Shot Screenshot(IHostWindow& window, const std::string& name) {
    std::filesystem::create_directories(KALO_SCREENSHOT_DIR);
    const auto path = std::filesystem::path(KALO_SCREENSHOT_DIR) / (name + ".png");
    if (!window.SaveScreenshot(path.wstring())) return {};
    Shot shot;
    shot.size = window.PaintInto(shot.pixels);
    return shot;
}

}  // namespace ui::test
