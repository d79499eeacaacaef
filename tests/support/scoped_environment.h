#pragma once
// Environment variables set or cleared for one test and restored afterwards.

#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class ScopedEnv {
public:
    ScopedEnv() = default;
    // One variable; a null value clears it for the scope.
    ScopedEnv(const char* name, const char* value) { Set(name, value); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;
    ~ScopedEnv() {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) Apply(it->first, it->second);
    }

    // A null value clears the variable.
    void Set(const char* name, const char* value) {
        const char* old = std::getenv(name);
        saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
        Apply(name, value ? std::optional<std::string>(value) : std::nullopt);
    }

private:
    static void Apply(const std::string& name, const std::optional<std::string>& value) {
#ifdef _WIN32
        // An empty value removes the variable; the system's environment
        // block changes with the C library's copy.
        _putenv_s(name.c_str(), value ? value->c_str() : "");
#else
        if (value) {
            setenv(name.c_str(), value->c_str(), 1);
        } else {
            unsetenv(name.c_str());
        }
#endif
    }

    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

// Points TempFolder() (shell/platform.h) at `folder` for the scope: through
// XDG_RUNTIME_DIR on Linux, through TMP on Windows, which the system's
// temporary-folder look-up reads first.
class ScopedTempFolderRedirect {
public:
    explicit ScopedTempFolderRedirect(const std::wstring& folder) {
        std::string narrow;
        for (const wchar_t c : folder) narrow.push_back(static_cast<char>(c));  // test folders are ASCII
#ifdef _WIN32
        env_.Set("TMP", narrow.c_str());
#else
        env_.Set("XDG_RUNTIME_DIR", narrow.c_str());
#endif
    }

private:
    ScopedEnv env_;
};

// Clears every proxy variable the HTTP client honours, so that requests to a
// loopback server never leave the machine through a proxy configured where
// the tests happen to run.
class ScopedNoProxy {
public:
    ScopedNoProxy() {
        for (const char* name : {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy",
                                 "ALL_PROXY", "no_proxy", "NO_PROXY"}) {
            env_.Set(name, nullptr);
        }
    }

private:
    ScopedEnv env_;
};
