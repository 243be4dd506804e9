#include "platform/security/SecCertificate.h"

#include <openssl/x509.h>

bool SecCertificate::init(const std::shared_ptr<NSData>& DERData)
{
    if (!DERData || DERData->length() == 0)
        return false;
    const unsigned char* cursor = DERData->bytes();
    m_x509 = d2i_X509(nullptr, &cursor, static_cast<long>(DERData->length()));
    if (!m_x509 || cursor != DERData->bytes() + DERData->length())
        return false;
    m_data = NSData::dataWithData(DERData);
    return true;
}

bool SecCertificate::init(X509* certificate)
{
    if (!certificate)
        return false;
    unsigned char* bytes = nullptr;
    int length = i2d_X509(certificate, &bytes);
    if (length <= 0)
        return false;
    m_data = NSData::dataWithBytes(bytes, static_cast<NSUInteger>(length));
    OPENSSL_free(bytes);
    X509_up_ref(certificate);
    m_x509 = certificate;
    return true;
}

SecCertificate::~SecCertificate()
{
    X509_free(m_x509);
}

NSString SecCertificate::subjectSummary() const
{
    X509_NAME* subject = X509_get_subject_name(m_x509);
    int index = X509_NAME_get_index_by_NID(subject, NID_commonName, -1);
    if (index < 0)
        return nullptr;
    ASN1_STRING* text = X509_NAME_ENTRY_get_data(X509_NAME_get_entry(subject, index));
    unsigned char* utf8 = nullptr;
    int length = ASN1_STRING_to_UTF8(&utf8, text);
    if (length < 0)
        return nullptr;
    NSString summary(std::string(reinterpret_cast<char*>(utf8), static_cast<std::size_t>(length)));
    OPENSSL_free(utf8);
    return summary;
}

bool SecCertificate::isEqual(const id& other) const
{
    auto certificate = ns::cast<SecCertificate>(other);
    return certificate && certificate->m_data->isEqualToData(m_data);
}

SecCertificateRef SecCertificateCreateWithData(const std::shared_ptr<NSData>& DERData)
{
    return SecCertificate::create(DERData);
}

std::shared_ptr<NSData> SecCertificateCopyData(const SecCertificateRef& certificate)
{
    return certificate ? certificate->data() : nullptr;
}

NSString SecCertificateCopySubjectSummary(const SecCertificateRef& certificate)
{
    return certificate ? certificate->subjectSummary() : NSString();
}
