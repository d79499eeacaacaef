// The laptop question over the fixture machines' power-supply and ACPI trees.

#include "engine/adapter_selection.h"

#include <gtest/gtest.h>

#include "engine/probes/probes_linux.h"
#include "shell/text_convert.h"
#include "tests/support/scoped_settings.h"

namespace {

TEST(LaptopSetting, IsLaptopHonoursTheSettingAfreshOnEveryCall) {
    const ScopedTempFolder folder;
    const auto desktop = CreateLinuxHardwareProbes(Utf8ToWide(KALO_FIXTURE_DIR "/machines/desktop-intel-nvidia"));
    const auto laptop = CreateLinuxHardwareProbes(Utf8ToWide(KALO_FIXTURE_DIR "/machines/intel-laptop"));
    const struct { const char* ini; bool desktopIsLaptop; bool laptopIsLaptop; } kRows[] = {
        {"", false, true},
        {"[test]\nislaptop=1\n", true, true},  // acts without istest
        {"[test]\nislaptop=0\n", false, true},
        {"[test]\nislaptop=2\n", false, true},
    };
    for (const auto& row : kRows) {
        SCOPED_TRACE(row.ini);
        const ScopedSettingsFile settings(folder, row.ini);
        EXPECT_EQ(IsLaptop(*desktop), row.desktopIsLaptop);
        EXPECT_EQ(IsLaptop(*laptop), row.laptopIsLaptop);
    }
}

}  // namespace
