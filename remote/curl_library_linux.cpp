#include "remote/curl_library_linux.h"

#include <dlfcn.h>

#include <string>

#include "shell/log.h"
#include "shell/text_convert.h"

namespace {

// The soname the program is built against (Debian's libcurl4); the log
// lines below name it too.
constexpr char kCurlSoname[] = "libcurl.so.4";
constexpr char kLogTag[] = "OpenCurlLibrary";

template <typename Call>
bool Resolve(void* library, const char* name, Call& call, std::string& missing) {
    call = reinterpret_cast<Call>(dlsym(library, name));
    if (call == nullptr && missing.empty()) missing = name;
    return call != nullptr;
}

// Null and a logged line when the library or one of its calls is missing.
const CurlLibrary* Load() {
    void* library = dlopen(kCurlSoname, RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        const char* reason = dlerror();
        CCTLog::Instance().Log(LogLevel::Error, kLogTag, L"libcurl.so.4 cannot be loaded (%ls): no downloads in this run",
                               Utf8ToWide(reason != nullptr ? reason : "").c_str());
        return nullptr;
    }
    static CurlLibrary calls;
    decltype(&curl_global_init) globalInit = nullptr;
    std::string missing;
    Resolve(library, "curl_global_init", globalInit, missing);
    Resolve(library, "curl_easy_init", calls.easy_init, missing);
    Resolve(library, "curl_easy_setopt", calls.easy_setopt, missing);
    Resolve(library, "curl_easy_getinfo", calls.easy_getinfo, missing);
    Resolve(library, "curl_easy_cleanup", calls.easy_cleanup, missing);
    Resolve(library, "curl_multi_init", calls.multi_init, missing);
    Resolve(library, "curl_multi_add_handle", calls.multi_add_handle, missing);
    Resolve(library, "curl_multi_remove_handle", calls.multi_remove_handle, missing);
    Resolve(library, "curl_multi_perform", calls.multi_perform, missing);
    Resolve(library, "curl_multi_poll", calls.multi_poll, missing);
    Resolve(library, "curl_multi_info_read", calls.multi_info_read, missing);
    Resolve(library, "curl_multi_cleanup", calls.multi_cleanup, missing);
    if (!missing.empty()) {
        CCTLog::Instance().Log(LogLevel::Error, kLogTag, L"libcurl.so.4 has no %ls: no downloads in this run",
                               Utf8ToWide(missing).c_str());
        return nullptr;
    }
    if (globalInit(CURL_GLOBAL_DEFAULT) != CURLE_OK) {
        CCTLog::Instance().Log(LogLevel::Error, kLogTag, L"curl_global_init failed: no downloads in this run");
        return nullptr;
    }
    return &calls;
}

}  // namespace

const CurlLibrary* OpenCurlLibrary() {
    static const CurlLibrary* const library = Load();
    return library;
}
