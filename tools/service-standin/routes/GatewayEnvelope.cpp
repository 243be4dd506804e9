#include "tools/service-standin/routes/GatewayEnvelope.h"

#include <mbedtls/base64.h>
#include <mbedtls/ctr_drbg.h>
#include <mbedtls/entropy.h>
#include <mbedtls/md.h>
#include <mbedtls/pk.h>
#include <mbedtls/rsa.h>

#include <fstream>
#include <mutex>
#include <sstream>
#include <vector>

namespace standin {

namespace {

// The payment service and the gateway share it; a sample secret of the stand-in.
constexpr const char kSigningSecret[] = "corvane-standin-payment-secret";

std::string readKeyFile()
{
    std::ifstream file(CORVANE_STANDIN_GATEWAY_KEY);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

std::string base64(const unsigned char* bytes, std::size_t length)
{
    std::size_t size = 0;
    mbedtls_base64_encode(nullptr, 0, &size, bytes, length);
    std::string text(size, '\0');
    mbedtls_base64_encode(reinterpret_cast<unsigned char*>(text.data()), text.size(), &size, bytes, length);
    text.resize(size);
    return text;
}

} // namespace

std::optional<std::string> openGatewayEnvelope(const std::string& envelope)
{
    std::size_t length = 0;
    const auto* input = reinterpret_cast<const unsigned char*>(envelope.data());
    if (envelope.empty() || mbedtls_base64_decode(nullptr, 0, &length, input, envelope.size()) == MBEDTLS_ERR_BASE64_INVALID_CHARACTER)
        return std::nullopt;
    std::vector<unsigned char> sealed(length);
    if (mbedtls_base64_decode(sealed.data(), sealed.size(), &length, input, envelope.size()) != 0)
        return std::nullopt;
    sealed.resize(length);

    static const std::string keyText = readKeyFile();
    mbedtls_pk_context key;
    mbedtls_entropy_context entropy;
    mbedtls_ctr_drbg_context random;
    mbedtls_pk_init(&key);
    mbedtls_entropy_init(&entropy);
    mbedtls_ctr_drbg_init(&random);
    std::optional<std::string> opened;
    if (mbedtls_pk_parse_key(&key, reinterpret_cast<const unsigned char*>(keyText.c_str()), keyText.size() + 1, nullptr, 0) == 0
        && mbedtls_ctr_drbg_seed(&random, mbedtls_entropy_func, &entropy, nullptr, 0) == 0) {
        const std::size_t blockSize = mbedtls_pk_get_len(&key);
        if (blockSize && !sealed.empty() && sealed.size() % blockSize == 0) {
            std::string text;
            std::vector<unsigned char> block(blockSize);
            bool whole = true;
            for (std::size_t offset = 0; offset < sealed.size() && whole; offset += blockSize) {
                std::size_t written = 0;
                whole = mbedtls_pk_decrypt(&key, sealed.data() + offset, blockSize, block.data(), &written, block.size(),
                            mbedtls_ctr_drbg_random, &random)
                    == 0;
                text.append(reinterpret_cast<const char*>(block.data()), written);
            }
            if (whole)
                opened = std::move(text);
        }
    }
    mbedtls_ctr_drbg_free(&random);
    mbedtls_entropy_free(&entropy);
    mbedtls_pk_free(&key);
    return opened;
}

std::string signOrderText(const std::string& text)
{
    unsigned char digest[32];
    mbedtls_md_hmac(mbedtls_md_info_from_type(MBEDTLS_MD_SHA256), reinterpret_cast<const unsigned char*>(kSigningSecret),
        sizeof kSigningSecret - 1, reinterpret_cast<const unsigned char*>(text.data()), text.size(), digest);
    return base64(digest, sizeof digest);
}

bool orderTextIsSigned(const std::string& signedText)
{
    const std::string marker = "&sign=";
    const std::size_t at = signedText.rfind(marker);
    if (at == std::string::npos)
        return false;
    return signOrderText(signedText.substr(0, at)) == signedText.substr(at + marker.size());
}

} // namespace standin
