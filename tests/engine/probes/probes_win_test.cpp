// The Windows probes, registry reads and Steam detection on a real Windows
// (or Wine) system. The registry cases write their own keys below the current
// user's key and redirect the predefined keys to them, so the machine's own
// Steam and SteamVR entries are neither read nor touched.

#include <gtest/gtest.h>

#include <windows.h>

#include <optional>
#include <string>

#include "engine/probes/facts_win.h"
#include "engine/probes/probes.h"
#include "engine/probes/steam_helper.h"
#include "engine/probes/wmi_win.h"
#include "shell/platform.h"
#include "shell/registry.h"
#include "shell/text_convert.h"
#include "tests/support/log_capture.h"
#include "tests/support/temp_folder.h"

namespace {

// --- WMI values as text ---------------------------------------------------

struct ValueCase {
    const char* name;
    VARTYPE type;
    LONGLONG number;       // for the integer types
    const wchar_t* text;   // for VT_BSTR; null: a null BSTR
    std::optional<std::wstring> expected;
};

const ValueCase kValueCases[] = {
    {"32-bit address width", VT_I4, 64, nullptr, L"64"},
    {"negative 32-bit number", VT_I4, -5, nullptr, L"-5"},
    {"unsigned 32-bit beyond INT_MAX", VT_UI4, 4000000000LL, nullptr, L"4000000000"},
    {"byte", VT_UI1, 255, nullptr, L"255"},
    {"16-bit number", VT_I2, 1024, nullptr, L"1024"},
    {"capacity delivered as text", VT_BSTR, 0, L"8589934592", L"8589934592"},
    {"caption as it is", VT_BSTR, 0, L" Microsoft Windows 10 Pro ", L" Microsoft Windows 10 Pro "},
    {"null text is empty", VT_BSTR, 0, nullptr, L""},
    {"empty value", VT_EMPTY, 0, nullptr, std::nullopt},
    {"null value", VT_NULL, 0, nullptr, std::nullopt},
    {"real", VT_R8, 0, nullptr, std::nullopt},
    {"boolean", VT_BOOL, 0, nullptr, std::nullopt},
};

VARIANT MakeVariant(const ValueCase& c) {
    VARIANT value;
    VariantInit(&value);
    value.vt = c.type;
    switch (c.type) {
        case VT_I4: value.lVal = static_cast<LONG>(c.number); break;
        case VT_UI4: value.ulVal = static_cast<ULONG>(c.number); break;
        case VT_UI1: value.bVal = static_cast<BYTE>(c.number); break;
        case VT_I2: value.iVal = static_cast<SHORT>(c.number); break;
        case VT_BSTR: value.bstrVal = c.text ? SysAllocString(c.text) : nullptr; break;
        case VT_R8: value.dblVal = 1.5; break;
        case VT_BOOL: value.boolVal = VARIANT_TRUE; break;
        default: break;
    }
    return value;
}

TEST(WmiValueText, ConvertsTheTypesTheProbesRead) {
    for (const ValueCase& c : kValueCases) {
        VARIANT value = MakeVariant(c);
        EXPECT_EQ(WmiValueText(value), c.expected) << c.name;
        VariantClear(&value);
    }
}

// --- memory total ---------------------------------------------------------

struct CapacityCase {
    const char* name;
    std::vector<std::wstring> capacities;
    int64_t expected;
};

const CapacityCase kCapacityCases[] = {
    {"two 8 GiB modules", {L"8589934592", L"8589934592"}, 17179869184LL},
    {"no modules", {}, 0},
    {"a fraction is cut off", {L"1073741824.75"}, 1073741824LL},
    {"text that is no number adds nothing", {L"unknown", L"4294967296"}, 4294967296LL},
    {"a negative capacity adds nothing", {L"-4294967296", L"4294967296"}, 4294967296LL},
    {"a sum past the 64-bit range adds nothing", {L"4294967296", L"1e30"}, 4294967296LL},
};

TEST(AddMemoryCapacity, SumsTheModules) {
    for (const CapacityCase& c : kCapacityCases) {
        int64_t total = 0;
        for (const std::wstring& capacity : c.capacities) total = probes_win::AddMemoryCapacity(total, capacity);
        EXPECT_EQ(total, c.expected) << c.name;
    }
}

// --- AC adapter ids -------------------------------------------------------

TEST(IsAcAdapterHardwareId, AcceptsOnlyTheAcpiAcAdapter) {
    const struct {
        const wchar_t* id;
        bool expected;
    } cases[] = {
        {L"ACPI\\ACPI0003", true},
        {L"ACPI\\VEN_ACPI&DEV_0003", true},
        {L"*ACPI0003\\", true},
        {L"acpi\\acpi0003", false},      // compared exactly
        {L"ACPI\\ACPI0003\\0", false},   // the whole first id, not a prefix
        {L"ACPI\\PNP0C0A", false},       // a battery, which desktops' UPSes also show
        {L"", false},
    };
    for (const auto& c : cases) EXPECT_EQ(probes_win::IsAcAdapterHardwareId(c.id), c.expected) << WideToUtf8(c.id);
}

// --- the live probes ------------------------------------------------------

TEST(WindowsProbes, CpuBrandIsAZeroTerminatedCpuidText) {
    const std::wstring brand = probes_win::CpuBrand();
    EXPECT_LE(brand.size(), 48u);
    for (wchar_t c : brand) {
        EXPECT_TRUE(c >= 0x20 && c < 0x7f) << static_cast<int>(c);
    }
    EXPECT_EQ(CreateHardwareProbes()->GetCpuBrand(), brand);
}

TEST(WindowsProbes, SystemFactsAreSane) {
    const SystemFacts facts = CreateHardwareProbes()->ProbeSystem();
    EXPECT_TRUE(facts.addressWidth == 0 || facts.addressWidth == 32 || facts.addressWidth == 64) << facts.addressWidth;
    EXPECT_GE(facts.memoryBytes, 0);
    EXPECT_GE(facts.usbPortCount, 0);
    EXPECT_LE(facts.usbPortCount, 50 * 255);
}

TEST(WindowsProbes, AdaptersAndSystemOnOneThread) {
    // The order of a check: the adapter probe, then the system probe, on the
    // same thread; neither may leave the other without COM.
    const auto probes = CreateHardwareProbes();
    std::vector<VideoControllerInfo> controllers;
    const bool enumerated = probes->EnumerateVideoControllers(controllers);
    if (!enumerated) {
        EXPECT_TRUE(controllers.empty());
    }
    for (const VideoControllerInfo& controller : controllers) {
        EXPECT_TRUE(controller.ruleDriverVersion.empty());
    }
    const SystemFacts first = probes->ProbeSystem();
    EXPECT_EQ(probes->EnumerateVideoControllers(controllers), enumerated);
    const SystemFacts second = probes->ProbeSystem();
    EXPECT_EQ(first.osCaption, second.osCaption);
    EXPECT_EQ(first.memoryBytes, second.memoryBytes);
    probes->HasAcAdapterDevice();  // answers either way without crashing
}

// --- registry -------------------------------------------------------------

// The key below HKCU, created when missing, open for writing.
CRegistryKey CreateWritableKey(const std::wstring& path) {
    CRegistryKey key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                        nullptr, key.Put(), nullptr) != ERROR_SUCCESS) {
        return CRegistryKey{};
    }
    return key;
}

// A key below HKCU\Software\KALOFitProbeTests, deleted with its tree when the
// test ends.
class ScopedTestKey {
public:
    explicit ScopedTestKey(const wchar_t* name)
        : path_(std::wstring(L"Software\\KALOFitProbeTests\\") + name + L"-" +
                std::to_wstring(GetCurrentProcessId())) {
        RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
        key_ = CreateWritableKey(path_);
    }
    ~ScopedTestKey() { RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str()); }
    ScopedTestKey(const ScopedTestKey&) = delete;
    ScopedTestKey& operator=(const ScopedTestKey&) = delete;

    const std::wstring& Path() const { return path_; }
    bool IsOpen() const { return key_.IsValid(); }

    // Writes a value below the key (`subKey` relative to it, created). It
    // goes through the key's own handle, so it lands here also while the
    // predefined keys are redirected.
    void SetString(const std::wstring& subKey, const wchar_t* name, const std::wstring& text) const {
        const DWORD bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
        ASSERT_EQ(RegSetKeyValueW(key_.Get(), SubKey(subKey), name, REG_SZ, text.c_str(), bytes), ERROR_SUCCESS);
    }
    void SetDword(const std::wstring& subKey, const wchar_t* name, DWORD value) const {
        ASSERT_EQ(RegSetKeyValueW(key_.Get(), SubKey(subKey), name, REG_DWORD, &value, sizeof(value)), ERROR_SUCCESS);
    }

private:
    static const wchar_t* SubKey(const std::wstring& subKey) { return subKey.empty() ? nullptr : subKey.c_str(); }

    std::wstring path_;
    CRegistryKey key_;
};

TEST(ReadRegistryString, ReadsPlainStringsOfAtMost259Characters) {
    const ScopedTestKey key(L"strings");
    ASSERT_TRUE(key.IsOpen());
    key.SetString(L"", L"Plain", L"C:\\Program Files\\KALO");
    key.SetString(L"", L"Longest", std::wstring(259, L'x'));
    key.SetString(L"", L"TooLong", std::wstring(260, L'x'));
    key.SetDword(L"", L"Number", 7);

    const struct {
        const char* name;
        const wchar_t* valueName;
        std::optional<std::wstring> expected;
    } cases[] = {
        {"plain string", L"Plain", L"C:\\Program Files\\KALO"},
        {"259 characters and the zero fill the buffer", L"Longest", std::wstring(259, L'x')},
        {"260 characters do not fit", L"TooLong", std::nullopt},
        {"a number is no string", L"Number", std::nullopt},
        {"a missing value", L"Missing", std::nullopt},
    };
    for (const auto& c : cases) {
        std::wstring value = L"unchanged";
        const bool found = ReadRegistryString(HKEY_CURRENT_USER, key.Path(), c.valueName, value);
        EXPECT_EQ(found, c.expected.has_value()) << c.name;
        EXPECT_EQ(value, c.expected.value_or(L"unchanged")) << c.name;
    }
    std::wstring value;
    EXPECT_FALSE(ReadRegistryString(HKEY_CURRENT_USER, key.Path() + L"\\Missing", L"Plain", value));
    EXPECT_TRUE(ReadRegistryString(RegistryRoot::CurrentUser, key.Path(), L"Plain", value));
    EXPECT_EQ(value, L"C:\\Program Files\\KALO");
}

// --- Steam ----------------------------------------------------------------

// Points the process's HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE at test keys
// for the test's duration.
class ScopedRegistryRedirect {
public:
    ScopedRegistryRedirect(const std::wstring& userPath, const std::wstring& machinePath)
        : user_(CreateWritableKey(userPath)), machine_(CreateWritableKey(machinePath)) {
        redirected_ = user_.IsValid() && machine_.IsValid() &&
                      RegOverridePredefKey(HKEY_LOCAL_MACHINE, machine_.Get()) == ERROR_SUCCESS &&
                      RegOverridePredefKey(HKEY_CURRENT_USER, user_.Get()) == ERROR_SUCCESS;
    }
    ~ScopedRegistryRedirect() {
        RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
        RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    }
    bool IsRedirected() const { return redirected_; }

private:
    CRegistryKey user_;
    CRegistryKey machine_;
    bool redirected_ = false;
};

class SteamRegistry : public testing::Test {
protected:
    ScopedTestKey keys_{L"steam"};
    ScopedTempFolder steamFolder_;

    void SetUp() override {
        ASSERT_TRUE(keys_.IsOpen());
        steamFolder_.Write(L"steam.exe", "MZ");
    }
    void WriteSteamPath() const {
        keys_.SetString(L"user\\Software\\Valve\\steam", L"SteamPath", steamFolder_.Path());
    }
    void SetInstalled(DWORD value) const {
        keys_.SetDword(L"user\\Software\\Valve\\steam\\Apps\\250820", L"Installed", value);
    }
    ScopedRegistryRedirect Redirect() const {
        return ScopedRegistryRedirect(keys_.Path() + L"\\user", keys_.Path() + L"\\machine");
    }
};

TEST_F(SteamRegistry, SteamWithSteamVrInstalled) {
    WriteSteamPath();
    keys_.SetString(L"user\\Software\\Valve\\steam", L"SteamExe", steamFolder_.File(L"steam.exe"));
    SetInstalled(1);
    const auto redirect = Redirect();
    ASSERT_TRUE(redirect.IsRedirected());
    CSteamHelper steam;
    EXPECT_TRUE(steam.IsSteamInstalled());
    EXPECT_EQ(steam.SteamFolder(), steamFolder_.Path());
    EXPECT_EQ(steam.SteamProgramPath(), steamFolder_.File(L"steam.exe"));
    EXPECT_TRUE(steam.IsSteamAppInstalled(kSteamVrAppId));
}

TEST_F(SteamRegistry, ProgramPathDefaultsToSteamExeInTheFolder) {
    WriteSteamPath();
    const auto redirect = Redirect();
    ASSERT_TRUE(redirect.IsRedirected());
    CSteamHelper steam;
    EXPECT_TRUE(steam.IsSteamInstalled());  // file names compare without case on Windows
    EXPECT_EQ(steam.SteamProgramPath(), steamFolder_.Path() + L"\\Steam.exe");
}

TEST_F(SteamRegistry, DeletedSteamFolderIsNoSteam) {
    keys_.SetString(L"user\\Software\\Valve\\steam", L"SteamPath", steamFolder_.Path() + L"\\gone");
    const auto redirect = Redirect();
    ASSERT_TRUE(redirect.IsRedirected());
    EXPECT_FALSE(CSteamHelper().IsSteamInstalled());
}

TEST_F(SteamRegistry, AppFlagMustBeANonZeroNumber) {
    const auto redirect = Redirect();
    ASSERT_TRUE(redirect.IsRedirected());
    EXPECT_FALSE(CSteamHelper().IsSteamInstalled());  // no entry at all
    EXPECT_FALSE(CSteamHelper().IsSteamAppInstalled(kSteamVrAppId));  // key created, no value
    SetInstalled(0);
    EXPECT_FALSE(CSteamHelper().IsSteamAppInstalled(kSteamVrAppId));
    keys_.SetString(L"user\\Software\\Valve\\steam\\Apps\\250820", L"Installed", L"1");
    EXPECT_FALSE(CSteamHelper().IsSteamAppInstalled(kSteamVrAppId));
    EXPECT_FALSE(CSteamHelper().IsSteamAppInstalled(L"250820\\..\\other"));
}

TEST_F(SteamRegistry, StandaloneFlagWithoutProgramFilesLogsAndAnswersFalse) {
    keys_.SetDword(L"machine\\Software\\HtcVive", L"StandaloneSteamVRInstalled", 1);
    const auto redirect = Redirect();
    ASSERT_TRUE(redirect.IsRedirected());
    const LogCapture log;
    CSteamHelper steam;
    // The test prefix has no SteamVR below Program Files (x86).
    EXPECT_FALSE(steam.IsStandaloneSteamVRInstalled());
    EXPECT_TRUE(steam.StandaloneSteamVRPath().empty());
    ASSERT_EQ(log.Messages().size(), 1u);
    EXPECT_EQ(log.Messages()[0].rfind("steamvr: standalone exist(file not found)", 0), 0u);
}

TEST_F(SteamRegistry, StandaloneFlagZeroOrMissingIsNoStandalone) {
    const auto redirect = Redirect();
    ASSERT_TRUE(redirect.IsRedirected());
    EXPECT_FALSE(CSteamHelper().IsStandaloneSteamVRInstalled());  // the key is created, without the flag
    keys_.SetDword(L"machine\\Software\\HtcVive", L"StandaloneSteamVRInstalled", 0);
    EXPECT_FALSE(CSteamHelper().IsStandaloneSteamVRInstalled());
}

}  // namespace
