#pragma once
// Environment variables set for one test and restored afterwards.

#include <cstdlib>
#include <list>
#include <optional>
#include <string>

class ScopedEnvironmentVariable {
public:
    // A null value removes the variable for the scope.
    ScopedEnvironmentVariable(std::string name, const char* value) : name_(std::move(name)) {
        if (const char* old = std::getenv(name_.c_str())) old_ = old;
        if (value) setenv(name_.c_str(), value, 1); else unsetenv(name_.c_str());
    }
    ~ScopedEnvironmentVariable() {
        if (old_) setenv(name_.c_str(), old_->c_str(), 1); else unsetenv(name_.c_str());
    }
    ScopedEnvironmentVariable(const ScopedEnvironmentVariable&) = delete;
    ScopedEnvironmentVariable& operator=(const ScopedEnvironmentVariable&) = delete;

private:
    std::string name_;
    std::optional<std::string> old_;
};

// Removes every proxy variable the HTTP client honours, so that requests to
// the loopback server never leave the machine through a proxy configured
// where the tests happen to run.
class ScopedNoProxy {
public:
    ScopedNoProxy() {
        for (const char* name : {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy",
                                 "ALL_PROXY", "no_proxy", "NO_PROXY"}) {
            variables_.emplace_back(name, nullptr);
        }
    }

private:
    std::list<ScopedEnvironmentVariable> variables_;
};
