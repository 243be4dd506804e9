#pragma once
// A public key, held as its DER SubjectPublicKeyInfo; two keys are equal when those bytes are.

#include "platform/foundation/NSData.h"

class SecKey final : public NSObject {
    NS_OBJECT(SecKey, NSObject)
public:
    const std::shared_ptr<NSData>& subjectPublicKeyInfo() const { return m_data; }

    bool isEqual(const id& other) const override;
    NSUInteger hash() const override { return m_data->hash(); }

protected:
    void init(const std::shared_ptr<NSData>& subjectPublicKeyInfo) { m_data = subjectPublicKeyInfo; }

private:
    std::shared_ptr<NSData> m_data;
};

using SecKeyRef = std::shared_ptr<SecKey>;
