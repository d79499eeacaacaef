#include "remote/md5.h"

#include <gcrypt.h>

#include <array>
#include <mutex>

namespace {

// libgcrypt wants one initialisation per process before its first use; an
// application that already did it (or another library) is left alone.
void EnsureGcryptInitialised() {
    static std::once_flag once;
    std::call_once(once, [] {
        if (gcry_control(GCRYCTL_INITIALIZATION_FINISHED_P)) return;
        gcry_check_version(nullptr);
        // Only public data is hashed here; no secure memory is needed.
        gcry_control(GCRYCTL_DISABLE_SECMEM, 0);
        gcry_control(GCRYCTL_INITIALIZATION_FINISHED, 0);
    });
}

}  // namespace

std::string CMD5Checksum::GetMD5(std::string_view bytes) {
    EnsureGcryptInitialised();
    std::array<unsigned char, 16> digest{};
    gcry_md_hash_buffer(GCRY_MD_MD5, digest.data(), bytes.data(), bytes.size());
    static constexpr char kHex[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(digest.size() * 2);
    for (const unsigned char byte : digest) {
        hex.push_back(kHex[byte >> 4]);
        hex.push_back(kHex[byte & 0x0F]);
    }
    return hex;
}
