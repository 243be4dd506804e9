#pragma once
// Owning handles for OpenSSL objects, so that every path out of a function releases them.

#include <openssl/pkcs12.h>
#include <openssl/x509.h>
#include <openssl/x509_vfy.h>

#include <memory>

namespace openssl {

struct X509Free {
    void operator()(X509* certificate) const { X509_free(certificate); }
};
struct KeyFree {
    void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
struct PKCS12Free {
    void operator()(PKCS12* bundle) const { PKCS12_free(bundle); }
};
struct KeyInfoFree {
    void operator()(PKCS8_PRIV_KEY_INFO* info) const { PKCS8_PRIV_KEY_INFO_free(info); }
};
struct LibraryContextFree {
    void operator()(OSSL_LIB_CTX* context) const { OSSL_LIB_CTX_free(context); }
};
struct StoreFree {
    void operator()(X509_STORE* store) const { X509_STORE_free(store); }
};
struct StoreContextFree {
    void operator()(X509_STORE_CTX* context) const { X509_STORE_CTX_free(context); }
};
// A list that holds its certificates: they go with it.
struct CertificatesFree {
    void operator()(STACK_OF(X509) * certificates) const { sk_X509_pop_free(certificates, X509_free); }
};
// A list that only points at certificates owned elsewhere.
struct ListFree {
    void operator()(STACK_OF(X509) * list) const { sk_X509_free(list); }
};

using Certificate = std::unique_ptr<X509, X509Free>;
using Key = std::unique_ptr<EVP_PKEY, KeyFree>;
using Bundle = std::unique_ptr<PKCS12, PKCS12Free>;
using KeyInfo = std::unique_ptr<PKCS8_PRIV_KEY_INFO, KeyInfoFree>;
using LibraryContext = std::unique_ptr<OSSL_LIB_CTX, LibraryContextFree>;
using Store = std::unique_ptr<X509_STORE, StoreFree>;
using StoreContext = std::unique_ptr<X509_STORE_CTX, StoreContextFree>;
using Certificates = std::unique_ptr<STACK_OF(X509), CertificatesFree>;
using CertificateList = std::unique_ptr<STACK_OF(X509), ListFree>;

} // namespace openssl
