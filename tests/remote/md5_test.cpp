#include "remote/md5.h"

#include <gtest/gtest.h>

namespace {

TEST(CMD5Checksum, GivesTheReferenceDigestsAsLowerCaseHex) {
    // The test suite of RFC 1321, appendix A.5.
    const struct { const char* name; const char* text; const char* digest; } kCases[] = {
        {"empty text", "", "d41d8cd98f00b204e9800998ecf8427e"},
        {"one letter", "a", "0cc175b9c0f1b6a831c399e269772661"},
        {"three letters", "abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"with a blank", "message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"alphabet", "abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"eighty digits, two blocks",
         "12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CMD5Checksum::GetMD5(c.text), c.digest);
    }
}

}  // namespace
