#pragma once
// MD5 (RFC 1321) digests in the form the configuration service expects.

#include <string>
#include <string_view>

class CMD5Checksum {
public:
    // The 16 digest bytes as 32 lower-case hex digits, most significant
    // nibble first, in digest byte order.
    static std::string GetMD5(std::string_view bytes);
};
