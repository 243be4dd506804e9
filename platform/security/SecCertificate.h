#pragma once
// An X.509 certificate held as its DER bytes.

#include "platform/foundation/NSData.h"
#include "platform/security/SecBase.h"

typedef struct x509_st X509;

class SecCertificate final : public NSObject {
    NS_OBJECT(SecCertificate, NSObject)
public:
    ~SecCertificate() override;

    const std::shared_ptr<NSData>& data() const { return m_data; }
    // The parsed form, owned by the certificate.
    X509* x509() const { return m_x509; }
    NSString subjectSummary() const;

    bool isEqual(const id& other) const override;
    NSUInteger hash() const override { return m_data->hash(); }

protected:
    bool init(const std::shared_ptr<NSData>& DERData);
    bool init(X509* certificate);

private:
    std::shared_ptr<NSData> m_data;
    X509* m_x509 { nullptr };
};

using SecCertificateRef = std::shared_ptr<SecCertificate>;

// Nil when the bytes are not one DER certificate.
SecCertificateRef SecCertificateCreateWithData(const std::shared_ptr<NSData>& DERData);
std::shared_ptr<NSData> SecCertificateCopyData(const SecCertificateRef& certificate);
NSString SecCertificateCopySubjectSummary(const SecCertificateRef& certificate);
