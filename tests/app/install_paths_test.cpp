#include "app/install_paths.h"

#include <gtest/gtest.h>

#include "shell/text_convert.h"

namespace {

struct ProgramPathCase {
    const char* name;
    const wchar_t* programPath;
    const wchar_t* expected;
};

const ProgramPathCase kProgramPathCases[] = {
#ifdef _WIN32
    {"program in a bin folder", L"C:\\KALO\\bin\\KALOFitProbe.exe", L"C:\\KALO"},
    {"program beside its data", L"C:\\KALO\\KALOFitProbe.exe", L"C:\\KALO"},
    {"a folder that only begins with bin", L"C:\\binaries\\KALOFitProbe.exe", L"C:\\binaries"},
    {"the last bin folder counts", L"D:\\bin\\kalo\\bin\\KALOFitProbe.exe", L"D:\\bin\\kalo"},
    {"program at the root", L"C:\\KALOFitProbe.exe", L"C:"},
#else
    {"program in a bin folder", L"/opt/kalo/bin/kalofitprobe", L"/opt/kalo"},
    {"program beside its data", L"/opt/kalo/kalofitprobe", L"/opt/kalo"},
    {"a folder that only begins with bin", L"/opt/binaries/kalofitprobe", L"/opt/binaries"},
    {"the last bin folder counts", L"/srv/bin/kalo/bin/kalofitprobe", L"/srv/bin/kalo"},
    {"program at the root", L"/kalofitprobe", L""},
#endif
};

TEST(InstallLocation, TheProgramPathGivesTheFallback) {
    for (const ProgramPathCase& c : kProgramPathCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(InstallLocationFromProgramPath(c.programPath), c.expected);
    }
}

}  // namespace
