#pragma once
// One load of an NSURLConnection on its run loop's transfer loop: the curl handle, the reply as
// it arrives, redirects, challenges, the time-out, and the delegate calls in their order. Lives
// from start until the load ends; everything here runs on the run loop's thread.

#include "platform/net/NSHTTPURLResponse.h"
#include "platform/net/NSURLConnection.h"
#include "platform/net/URLTransferLoop.h"

#include <curl/curl.h>

#include <deque>
#include <limits>
#include <variant>

typedef struct ssl_st SSL;
typedef struct x509_st X509;
typedef struct evp_pkey_st EVP_PKEY;

class NSError;
class NSInputStream;
class NSMutableData;

class URLTransfer final : public URLTransferLoop::Client, public std::enable_shared_from_this<URLTransfer> {
public:
    URLTransfer(const std::shared_ptr<NSURLConnection>& connection, std::shared_ptr<URLTransferLoop> loop);
    ~URLTransfer() override;

    void begin();
    // Ends the load without telling the delegate anything more.
    void cancel();
    std::shared_ptr<NSURLRequest> currentRequest() const { return m_request; }

    enum class Answer { none, useCredential, withoutCredential, cancel };
    void answerChallenge(Answer answer, const std::shared_ptr<NSURLCredential>& credential,
        const std::shared_ptr<NSURLAuthenticationChallenge>& challenge);

    void deliverPendingEvents() override;
    void transferDidComplete(CURLcode result) override;
    NSTimeInterval deadlineReached(NSTimeInterval now) override;

private:
    struct UploadProgress {
        NSInteger written;
        NSInteger total;
        NSInteger expected;
    };
    using Event = std::variant<std::shared_ptr<NSURLResponse>, std::shared_ptr<NSData>, UploadProgress>;
    enum class Pending { none, serverTrust, authentication, clientCertificate };

    static size_t onHeader(char* data, size_t size, size_t count, void* transfer);
    static size_t onWrite(char* data, size_t size, size_t count, void* transfer);
    static size_t onRead(char* buffer, size_t size, size_t count, void* transfer);
    static int onProgress(void* transfer, curl_off_t downloadTotal, curl_off_t downloaded, curl_off_t uploadTotal, curl_off_t uploaded);
    static int onPrerequest(void* transfer, char* address, char* localAddress, int remotePort, int localPort);
    // Client certificates (URLTransferClientCertificate.cpp).
    static CURLcode onSSLContext(CURL* handle, void* context, void* transfer);
    static int onClientCertificate(SSL* ssl, X509** certificate, EVP_PKEY** key);
    int presentClientCertificate(SSL* ssl, X509** certificate, EVP_PKEY** key);
    void challengeForClientCertificate();
    void actOnClientCertificateAnswer(Answer answer);
    std::shared_ptr<NSError> clientCertificateFailure(CURLcode result) const;

    static void setUpHandle(CURL* handle);
    bool startRequest(const std::shared_ptr<NSURLRequest>& request);
    void releaseHandle();
    void endFoldedLine();
    void finalizeResponse();
    void queue(Event event);
    int checkServerTrust();
    void askDelegate(const std::shared_ptr<NSURLAuthenticationChallenge>& challenge);
    void defaultHandling(const std::shared_ptr<NSURLAuthenticationChallenge>& challenge);
    void actOnAnswer();
    void followRedirect();
    void challengeForAuthentication();
    // Asks the delegate and acts on its answer now, or waits for an answer that comes later.
    void poseChallenge(const std::shared_ptr<NSURLAuthenticationChallenge>& challenge);
    void finishLoading();
    void fail(const std::shared_ptr<NSError>& error);
    void end();
    void letGoOfConnection();
    void resetTimeout();
    void startDeadline();
    void watchDeadline();
    // The delegate with the connection it is told about, both kept for the call; empty once the
    // load is over or the connection is cancelled or gone.
    struct Target {
        std::shared_ptr<NSURLConnection> connection;
        std::shared_ptr<NSURLConnectionDelegate> delegate;
        explicit operator bool() const { return delegate != nullptr; }
        NSURLConnectionDelegate* operator->() const { return delegate.get(); }
    };
    Target delegate() const;
    std::shared_ptr<NSError> errorForResult(CURLcode result) const;

    std::weak_ptr<NSURLConnection> m_connection;
    std::shared_ptr<NSURLConnection> m_keepAlive;
    std::shared_ptr<URLTransferLoop> m_loop;

    CURL* m_handle { nullptr };
    curl_slist* m_headerList { nullptr };
    std::shared_ptr<NSURLRequest> m_request;
    std::shared_ptr<NSData> m_body;
    std::shared_ptr<NSInputStream> m_bodyStream;
    std::shared_ptr<NSError> m_bodyStreamError;
    std::string m_method;

    // The reply being read: curl may pass several header blocks (interim replies, its own
    // authentication rounds); the last one counts.
    NSInteger m_statusCode { 0 };
    std::vector<NSHTTPURLResponse::HeaderLine> m_lines;
    // Folded continuations of the last line, not yet joined to its value.
    std::u16string m_folded;
    std::shared_ptr<NSHTTPURLResponse> m_response;
    bool m_responseDelivered { false };
    // A redirect or an authentication challenge holds the body back until it is decided.
    bool m_holdBody { false };
    std::shared_ptr<NSMutableData> m_heldBody;
    std::shared_ptr<NSMutableData> m_cacheBody;
    std::deque<Event> m_events;
    bool m_markedPending { false };
    curl_off_t m_uploaded { 0 };
    // Body bytes of this attempt after content decoding, and whether they passed the bounds.
    NSUInteger m_received { 0 };
    bool m_lengthExceeded { false };
    // Folded lines in this reply's header, and whether there were too many to read.
    NSUInteger m_foldedLines { 0 };
    bool m_headerRefused { false };

    NSInteger m_redirectCount { 0 };
    Pending m_pending { Pending::none };
    std::shared_ptr<NSURLAuthenticationChallenge> m_challenge;
    Answer m_answer { Answer::none };
    std::shared_ptr<NSURLCredential> m_answerCredential;
    bool m_askingDelegate { false };
    bool m_awaitingAnswer { false };
    std::shared_ptr<NSData> m_acceptedLeaf;
    std::shared_ptr<NSError> m_trustError;
    std::shared_ptr<NSURLCredential> m_credential;
    bool m_sentCredential { false };
    NSInteger m_authenticationFailures { 0 };
    // The method of the last password challenge; the credential is sent by its scheme alone.
    std::string m_authenticationMethod;
    // The server asked for a client certificate; the delegate's answer holds for the whole load.
    bool m_clientCertificateRequested { false };
    bool m_clientCertificateDecided { false };
    std::shared_ptr<NSURLCredential> m_clientCredential;

    // On the run loop's clock; the loop's timer looks at the earlier of the two.
    NSTimeInterval m_idleDue { std::numeric_limits<NSTimeInterval>::infinity() };
    // Counts from the load's first request, whatever arrives.
    NSTimeInterval m_wholeLoadDue { std::numeric_limits<NSTimeInterval>::infinity() };
    // The time the loop was last asked to look at, or infinity.
    NSTimeInterval m_watchedDue { std::numeric_limits<NSTimeInterval>::infinity() };
    bool m_ended { false };
};
