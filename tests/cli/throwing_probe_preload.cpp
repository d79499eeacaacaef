// Preloaded into a test run of the program: listing the PCI devices throws,
// as a broken library might, so that the adapter probe ends the check with
// an exception. Every other listing goes to the real library.

#include <dlfcn.h>

#include <cstring>
#include <filesystem>
#include <system_error>

namespace {

constexpr char kConstructor[] =
    "_ZNSt10filesystem7__cxx1118directory_iteratorC1ERKNS0_4pathENS_17directory_optionsEPSt10error_code";
using Constructor = void (*)(void*, const std::filesystem::path&, std::filesystem::directory_options,
                             std::error_code*);

}  // namespace

// The library's directory_iterator(path, options, error_code*), which every
// directory_iterator constructor of the program ends in.
extern "C" void ThrowingDirectoryIterator(void* self, const std::filesystem::path& path,
                                          std::filesystem::directory_options options, std::error_code* error)
    __asm__("_ZNSt10filesystem7__cxx1118directory_iteratorC1ERKNS0_4pathENS_17directory_optionsEPSt10error_code");

extern "C" void ThrowingDirectoryIterator(void* self, const std::filesystem::path& path,
                                          std::filesystem::directory_options options, std::error_code* error) {
    if (std::strstr(path.c_str(), "bus/pci/devices") != nullptr) {
        throw std::filesystem::filesystem_error("the PCI listing broke", path,
                                                std::make_error_code(std::errc::io_error));
    }
    static const auto real = reinterpret_cast<Constructor>(dlsym(RTLD_NEXT, kConstructor));
    real(self, path, options, error);
}
