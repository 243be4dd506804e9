#pragma once
// Importing a PKCS#12 bundle: each identity in it, with the chain it came with and a trust
// object for that chain. The pass phrase goes under kSecImportExportPassphrase.

#include "platform/foundation/NSArray.h"
#include "platform/foundation/NSDictionary.h"
#include "platform/security/SecIdentity.h"
#include "platform/security/SecTrust.h"

inline constexpr const char* kSecImportExportPassphrase = "passphrase";
inline constexpr const char* kSecImportItemLabel = "label";
inline constexpr const char* kSecImportItemTrust = "trust";
inline constexpr const char* kSecImportItemCertChain = "chain";
inline constexpr const char* kSecImportItemIdentity = "identity";

// errSecSuccess with one dictionary per identity (keys kSecImportItem…); errSecAuthFailed for a
// wrong or missing pass phrase; errSecDecode for bytes that are no bundle or hold no identity;
// errSecParam without data or out-parameter.
OSStatus SecPKCS12Import(const std::shared_ptr<NSData>& pkcs12Data, const std::shared_ptr<NSDictionary>& options,
    std::shared_ptr<NSArray>* items);
