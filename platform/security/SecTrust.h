#pragma once
// Trust in a certificate chain: the chain presented (leaf first), the policy to check, and the
// anchors to build to (the system's, the explicit ones, or both). After evaluation the chain is
// the one that was actually built, so certificates a peer merely appended play no part.

#include "platform/foundation/Mutex.h"
#include "platform/foundation/NSArray.h"
#include "platform/security/SecCertificate.h"
#include "platform/security/SecKey.h"
#include "platform/security/SecPolicy.h"

#include <vector>

enum SecTrustResultType : std::uint32_t {
    kSecTrustResultInvalid = 0,
    kSecTrustResultProceed = 1,
    kSecTrustResultDeny = 3,
    kSecTrustResultUnspecified = 4,
    kSecTrustResultRecoverableTrustFailure = 5,
    kSecTrustResultFatalTrustFailure = 6,
    kSecTrustResultOtherError = 7,
};

class SecTrust final : public NSObject {
    NS_OBJECT(SecTrust, NSObject)
public:
    void setAnchorCertificates(std::vector<SecCertificateRef> anchors);
    void setAnchorCertificatesOnly(bool only);
    OSStatus evaluate(SecTrustResultType& result);

    NSUInteger certificateCount() const;
    SecCertificateRef certificateAtIndex(NSUInteger index) const;
    // The leaf's key.
    SecKeyRef copyPublicKey() const;
    NSString failureReason() const;

protected:
    void init(std::vector<SecCertificateRef> certificates, std::vector<SecPolicyRef> policies);

private:
    mutable Mutex m_mutex;
    // Set by init, then only read.
    std::vector<SecCertificateRef> m_presented;
    std::vector<SecPolicyRef> m_policies;
    std::vector<SecCertificateRef> m_chain GUARDED_BY(m_mutex);
    std::vector<SecCertificateRef> m_anchors GUARDED_BY(m_mutex);
    bool m_anchorsOnly GUARDED_BY(m_mutex) { false };
    SecTrustResultType m_result GUARDED_BY(m_mutex) { kSecTrustResultInvalid };
    NSString m_failureReason GUARDED_BY(m_mutex);
};

using SecTrustRef = std::shared_ptr<SecTrust>;

// The certificates are the leaf first; an empty list is refused.
OSStatus SecTrustCreateWithCertificates(const std::vector<SecCertificateRef>& certificates, const SecPolicyRef& policy,
    SecTrustRef* trust);
OSStatus SecTrustSetAnchorCertificates(const SecTrustRef& trust, const std::vector<SecCertificateRef>& anchors);
OSStatus SecTrustSetAnchorCertificatesOnly(const SecTrustRef& trust, bool anchorCertificatesOnly);
OSStatus SecTrustEvaluate(const SecTrustRef& trust, SecTrustResultType* result);
NSInteger SecTrustGetCertificateCount(const SecTrustRef& trust);
SecCertificateRef SecTrustGetCertificateAtIndex(const SecTrustRef& trust, NSInteger index);
SecKeyRef SecTrustCopyPublicKey(const SecTrustRef& trust);
SecKeyRef SecCertificateCopyPublicKey(const SecCertificateRef& certificate);
