#pragma once
// The gateway's request envelope: the signed order text encrypted under the provider's RSA public
// key (PKCS#1 v1.5, in blocks of at most the key's size less 11 bytes, the cipher blocks laid end
// to end) and written as base64. Only the provider, with its private key, reads it.

#include "platform/foundation/NSError.h"
#include "platform/foundation/NSString.h"

#include <string>

class OPayEnvelope {
public:
    // The provider's public key as base64 text of its DER form (SubjectPublicKeyInfo).
    // Nil with an error for an empty text or a key that does not read.
    static NSString seal(const std::string& plainText, const NSString& publicKeyBase64, NSErrorPointer error = nullptr);
};
