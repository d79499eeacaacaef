#pragma once
// Registry access of the Windows build: an owner for open keys and the
// string, number and key reads the install-location and Steam look-ups share.
// The portable ReadRegistryString of shell/platform.h is built on these.

#ifndef _WIN32
#error "shell/registry.h is part of the Windows build only"
#endif

#include <windows.h>

#include <optional>
#include <string>
#include <utility>

// An open registry key, closed when it goes.
class CRegistryKey {
public:
    CRegistryKey() = default;
    explicit CRegistryKey(HKEY key) : key_(key) {}
    CRegistryKey(const CRegistryKey&) = delete;
    CRegistryKey& operator=(const CRegistryKey&) = delete;
    CRegistryKey(CRegistryKey&& other) noexcept : key_(std::exchange(other.key_, nullptr)) {}
    CRegistryKey& operator=(CRegistryKey&& other) noexcept {
        if (this != &other) {
            Close();
            key_ = std::exchange(other.key_, nullptr);
        }
        return *this;
    }
    ~CRegistryKey() { Close(); }

    HKEY Get() const { return key_; }
    bool IsOpen() const { return key_ != nullptr; }
    // For the out-parameter of an opening call; closes what was held first.
    HKEY* Put() {
        Close();
        return &key_;
    }

private:
    void Close() {
        if (key_) RegCloseKey(key_);
        key_ = nullptr;
    }

    HKEY key_ = nullptr;
};

// The key opened for reading, in the 64-bit registry view when asked; not
// open when it is missing or can't be opened.
CRegistryKey OpenRegistryKeyForReading(HKEY root, const std::wstring& subKey, bool use64BitView = false);
// The key opened for reading, created first when it is missing.
CRegistryKey CreateOrOpenRegistryKey(HKEY root, const std::wstring& subKey);

// The most bytes a string read takes: 260 wide characters, the terminating
// zero included.
inline constexpr DWORD kRegistryStringBytes = 520;

// A plain string value (REG_SZ) of the open key, without its terminating
// zero; nothing when the value is missing, of another type, or needs more
// than kRegistryStringBytes with its terminating zero.
std::optional<std::wstring> QueryRegistryString(HKEY key, const wchar_t* valueName);
// A 32-bit number value (REG_DWORD); nothing when missing or of another type.
std::optional<DWORD> QueryRegistryDword(HKEY key, const wchar_t* valueName);

// Opens the key for reading (64-bit view when asked), reads the string value
// as QueryRegistryString does and closes the key again. False leaves `value`
// as it was.
bool ReadRegistryString(HKEY root, const std::wstring& subKey, const std::wstring& valueName, std::wstring& value,
                        bool use64BitView = false);
