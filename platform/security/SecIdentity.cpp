#include "platform/security/SecIdentity.h"

#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/x509.h>

SecIdentity::~SecIdentity()
{
    EVP_PKEY_free(m_key);
}

bool SecIdentity::init(const SecCertificateRef& certificate, EVP_PKEY* privateKey)
{
    if (!certificate || !privateKey || X509_check_private_key(certificate->x509(), privateKey) != 1) {
        ERR_clear_error();
        return false;
    }
    EVP_PKEY_up_ref(privateKey);
    m_certificate = certificate;
    m_key = privateKey;
    return true;
}

OSStatus SecIdentityCopyCertificate(const SecIdentityRef& identity, SecCertificateRef* certificate)
{
    if (!identity || !certificate)
        return errSecParam;
    *certificate = identity->certificate();
    return errSecSuccess;
}
