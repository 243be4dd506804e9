#include "platform/crypto/CommonDigest.h"

#include <mbedtls/md.h>

#include <cstring>

namespace {

unsigned char* digestWith(mbedtls_md_type_t type, const void* data, CC_LONG length, unsigned char* digest)
{
    const mbedtls_md_info_t* info = mbedtls_md_info_from_type(type);
    static const unsigned char nothing = 0;
    if (!info || mbedtls_md(info, data ? static_cast<const unsigned char*>(data) : &nothing, data ? length : 0, digest) != 0)
        std::memset(digest, 0, info ? mbedtls_md_get_size(info) : 0);
    return digest;
}

} // namespace

unsigned char* CC_MD5(const void* data, CC_LONG length, unsigned char* digest)
{
    return digestWith(MBEDTLS_MD_MD5, data, length, digest);
}

unsigned char* CC_SHA1(const void* data, CC_LONG length, unsigned char* digest)
{
    return digestWith(MBEDTLS_MD_SHA1, data, length, digest);
}
