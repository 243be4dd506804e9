#include "platform/crypto/CommonDigest.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string hex(const unsigned char* bytes, std::size_t length)
{
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (std::size_t i = 0; i < length; ++i) {
        text += digits[bytes[i] >> 4];
        text += digits[bytes[i] & 15];
    }
    return text;
}

} // namespace

TEST(CommonDigest, matchesKnownVectorsIncludingEmbeddedNul)
{
    unsigned char md5[CC_MD5_DIGEST_LENGTH];
    unsigned char sha1[CC_SHA1_DIGEST_LENGTH];
    EXPECT_EQ(hex(CC_MD5("", 0, md5), sizeof md5), "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(hex(CC_MD5("abc", 3, md5), sizeof md5), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(hex(CC_SHA1("abc", 3, sha1), sizeof sha1), "a9993e364706816aba3e25717850c26c9cd0d89d");
    // The digest covers the whole buffer, not a C string up to the first NUL.
    EXPECT_NE(hex(CC_MD5("a\0b", 3, md5), sizeof md5), hex(CC_MD5("a", 1, md5), sizeof md5));
    EXPECT_EQ(hex(CC_MD5("a\0b", 3, md5), sizeof md5), "70350f6027bce3713f6b76473084309b");
}
