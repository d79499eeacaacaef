#pragma once
// The hardware probes over a machine fixture (tests/fixtures/machines/<name>):
// procfs and sysfs trees, which only the Linux probes read. The Windows probes
// ask the system itself, so there the tests that need a fixture machine are
// skipped (KALO_SKIP_WITHOUT_FIXTURE_PROBES).

#include <memory>
#include <string>

#include "engine/probes/probes.h"

#ifdef _WIN32
inline std::unique_ptr<IHardwareProbes> FixtureProbes(const std::wstring&) { return nullptr; }
#define KALO_SKIP_WITHOUT_FIXTURE_PROBES() \
    GTEST_SKIP() << "the fixture machines are procfs/sysfs trees, read by the Linux probes only"
#else
#include "engine/probes/probes_linux.h"
inline std::unique_ptr<IHardwareProbes> FixtureProbes(const std::wstring& root) {
    return CreateLinuxHardwareProbes(root);
}
#define KALO_SKIP_WITHOUT_FIXTURE_PROBES() static_cast<void>(0)
#endif
