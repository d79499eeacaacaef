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
        if (value) {
            setenv(name.c_str(), value->c_str(), 1);
        } else {
            unsetenv(name.c_str());
        }
    }

    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
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
