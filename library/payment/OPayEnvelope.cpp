#include "library/payment/OPayEnvelope.h"

#include <mbedtls/base64.h>
#include <mbedtls/ctr_drbg.h>
#include <mbedtls/entropy.h>
#include <mbedtls/pk.h>
#include <mbedtls/rsa.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

constexpr const char* kErrorDomain = "OPayEnvelopeErrorDomain";
// PKCS#1 v1.5 padding takes eleven bytes of every block.
constexpr std::size_t kPaddingBytes = 11;

void fail(NSErrorPointer error, NSInteger code, const char* reason)
{
    if (error)
        *error = NSError::errorWithDomain(kErrorDomain, code, NSString(reason));
}

struct KeyContext {
    KeyContext()
    {
        mbedtls_pk_init(&pk);
        mbedtls_entropy_init(&entropy);
        mbedtls_ctr_drbg_init(&random);
    }
    ~KeyContext()
    {
        mbedtls_ctr_drbg_free(&random);
        mbedtls_entropy_free(&entropy);
        mbedtls_pk_free(&pk);
    }
    KeyContext(const KeyContext&) = delete;
    KeyContext& operator=(const KeyContext&) = delete;

    mbedtls_pk_context pk;
    mbedtls_entropy_context entropy;
    mbedtls_ctr_drbg_context random;
};

std::vector<unsigned char> base64Decode(const std::string& text)
{
    std::size_t length = 0;
    mbedtls_base64_decode(nullptr, 0, &length, reinterpret_cast<const unsigned char*>(text.data()), text.size());
    std::vector<unsigned char> bytes(length);
    if (mbedtls_base64_decode(bytes.data(), bytes.size(), &length, reinterpret_cast<const unsigned char*>(text.data()), text.size()) != 0)
        return {};
    bytes.resize(length);
    return bytes;
}

std::string base64Encode(const std::vector<unsigned char>& bytes)
{
    std::size_t length = 0;
    mbedtls_base64_encode(nullptr, 0, &length, bytes.data(), bytes.size());
    std::string text(length, '\0');
    mbedtls_base64_encode(reinterpret_cast<unsigned char*>(text.data()), text.size(), &length, bytes.data(), bytes.size());
    text.resize(length);
    return text;
}

} // namespace

NSString OPayEnvelope::seal(const std::string& plainText, const NSString& publicKeyBase64, NSErrorPointer error)
{
    if (plainText.empty()) {
        fail(error, 1, "nothing to seal");
        return nullptr;
    }
    std::string keyText;
    for (char c : std::string(publicKeyBase64.length() ? publicKeyBase64.UTF8String() : ""))
        if (c != '\n' && c != '\r' && c != ' ')
            keyText += c;
    const auto der = base64Decode(keyText);
    auto context = std::make_unique<KeyContext>();
    if (der.empty() || mbedtls_pk_parse_public_key(&context->pk, der.data(), der.size()) != 0
        || mbedtls_pk_get_type(&context->pk) != MBEDTLS_PK_RSA) {
        fail(error, 2, "the provider's public key does not read");
        return nullptr;
    }
    static const char personalisation[] = "order envelope";
    if (mbedtls_ctr_drbg_seed(&context->random, mbedtls_entropy_func, &context->entropy,
            reinterpret_cast<const unsigned char*>(personalisation), sizeof personalisation - 1) != 0) {
        fail(error, 3, "no randomness for the padding");
        return nullptr;
    }
    mbedtls_rsa_context* rsa = mbedtls_pk_rsa(context->pk);
    mbedtls_rsa_set_padding(rsa, MBEDTLS_RSA_PKCS_V15, MBEDTLS_MD_NONE);
    const std::size_t blockSize = mbedtls_pk_get_len(&context->pk);
    const std::size_t chunk = blockSize - kPaddingBytes;
    std::vector<unsigned char> sealed;
    std::vector<unsigned char> block(blockSize);
    for (std::size_t offset = 0; offset < plainText.size(); offset += chunk) {
        const std::size_t length = std::min(chunk, plainText.size() - offset);
        std::size_t written = 0;
        if (mbedtls_pk_encrypt(&context->pk, reinterpret_cast<const unsigned char*>(plainText.data() + offset), length,
                block.data(), &written, block.size(), mbedtls_ctr_drbg_random, &context->random) != 0) {
            fail(error, 4, "encryption failed");
            return nullptr;
        }
        sealed.insert(sealed.end(), block.begin(), block.begin() + static_cast<std::ptrdiff_t>(written));
    }
    return NSString(base64Encode(sealed));
}
