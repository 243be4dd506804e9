// The client-certificate side of a load: the TLS library asks during the handshake, the delegate
// is asked outside it, and the load starts again with its answer.
#include "platform/foundation/NSNumber.h"
#include "platform/net/NSURLError.h"
#include "platform/net/URLTransfer.h"
#include "platform/security/SecIdentity.h"

#include <openssl/ssl.h>

namespace {

int transferIndex()
{
    static const int index = SSL_CTX_get_ex_new_index(0, nullptr, nullptr, nullptr, nullptr);
    return index;
}

} // namespace

CURLcode URLTransfer::onSSLContext(CURL*, void* context, void* transfer)
{
    auto* sslContext = static_cast<SSL_CTX*>(context);
    SSL_CTX_set_ex_data(sslContext, transferIndex(), transfer);
    SSL_CTX_set_client_cert_cb(sslContext, &URLTransfer::onClientCertificate);
    return CURLE_OK;
}

int URLTransfer::onClientCertificate(SSL* ssl, X509** certificate, EVP_PKEY** key)
{
    auto* self = static_cast<URLTransfer*>(SSL_CTX_get_ex_data(SSL_get_SSL_CTX(ssl), transferIndex()));
    return self ? self->presentClientCertificate(ssl, certificate, key) : 0;
}

int URLTransfer::presentClientCertificate(SSL* ssl, X509** certificate, EVP_PKEY** key)
{
    // The server's trust is settled before the client says who it is, as the platform asks. A
    // handshake already stopped for the trust's answer stays stopped.
    if (m_awaitingAnswer || m_trustError || checkServerTrust() != CURL_PREREQFUNC_OK)
        return -1;
    if (!m_clientCertificateDecided) {
        // The handshake goes on without a certificate but the request is not sent (see
        // onPrerequest); the load starts again once the delegate has answered.
        m_clientCertificateRequested = true;
        return 0;
    }
    auto identity = m_clientCredential ? m_clientCredential->identity() : nullptr;
    if (!identity)
        return 0;
    for (const auto& extra : m_clientCredential->certificates()) {
        if (extra && !extra->isEqual(identity->certificate()))
            SSL_add1_chain_cert(ssl, extra->x509());
    }
    // The TLS library frees what it is given.
    X509_up_ref(identity->certificate()->x509());
    EVP_PKEY_up_ref(identity->privateKey());
    *certificate = identity->certificate()->x509();
    *key = identity->privateKey();
    return 1;
}

void URLTransfer::challengeForClientCertificate()
{
    auto URL = m_request->URL();
    auto port = URL->port();
    auto space = NSURLProtectionSpace::create(URL->host(), port ? port->integerValue() : 443, NSURLProtectionSpaceHTTPS, NSString(),
        NSString(NSURLAuthenticationMethodClientCertificate));
    m_pending = Pending::clientCertificate;
    poseChallenge(NSURLAuthenticationChallenge::create(space, nullptr, 0, nullptr, m_connection.lock()));
}

void URLTransfer::actOnClientCertificateAnswer(Answer answer)
{
    if (answer == Answer::cancel) {
        fail(NSURLErrorWithCode(NSURLErrorUserCancelledAuthentication, m_request->URL()));
        return;
    }
    // Any other answer decides for the rest of the load; without an identity the handshake
    // goes on without a certificate and the server judges.
    m_clientCertificateDecided = true;
    const bool withIdentity = answer == Answer::useCredential && m_answerCredential && m_answerCredential->identity();
    m_clientCredential = withIdentity ? m_answerCredential : nullptr;
    startRequest(m_request);
}

std::shared_ptr<NSError> URLTransfer::clientCertificateFailure(CURLcode result) const
{
    if (!m_clientCertificateDecided)
        return nullptr;
    switch (result) {
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
    case CURLE_GOT_NOTHING:
        // The server asked for a certificate and broke off the handshake after the answer.
        return NSURLErrorWithCode(m_clientCredential ? NSURLErrorClientCertificateRejected : NSURLErrorClientCertificateRequired,
            m_request->URL(), m_clientCredential ? "The server did not accept the certificate." : "The server requires a client certificate.");
    default:
        return nullptr;
    }
}
