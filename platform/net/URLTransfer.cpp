#include "platform/net/URLTransfer.h"

#include "platform/foundation/NSNumber.h"
#include "platform/foundation/SystemClock.h"
#include "platform/net/HTTPAuthentication.h"
#include "platform/net/NSCachedURLResponse.h"
#include "platform/net/NSHTTPCookieStorage.h"
#include "platform/net/NSInputStream.h"
#include "platform/net/NSURLCache.h"
#include "platform/net/NSURLError.h"

#include <openssl/ssl.h>

#include <algorithm>
#include <cctype>

namespace {

constexpr NSInteger maximumRedirects = 16;
// A load, redirects included, ends after this many idle time-outs however steadily bytes come.
constexpr double kWholeLoadTimeoutFactor = 4;
// As the run loop's: a time-out looked at on its due time may read the clock a rounding error short.
constexpr NSTimeInterval kDueMargin = 1e-6;
// Bodies above this size are not offered to the URL cache.
constexpr NSUInteger cacheableBodyLimit = 1024 * 1024;
// Compressed bodies may inflate this many times over their bytes on the wire, once past the
// threshold: ordinary replies stay far below, a compression bomb goes far above.
constexpr NSUInteger maximumInflation = 100;
constexpr NSUInteger inflationCheckedFrom = 16 * 1024 * 1024;
constexpr NSUInteger maximumURLLength = 256 * 1024;
// Folding is obsolete and rare; curl's own copy of the headers costs the whole value again for
// each folded line, so a reply folding more than this is refused instead of read.
constexpr NSUInteger maximumFoldedLines = 1000;

std::string methodOnTheWire(const NSString& method)
{
    static const char* const standard[] = { "GET", "POST", "PUT", "DELETE", "HEAD", "PATCH", "OPTIONS", "TRACE", "CONNECT" };
    std::string text = method.isNil() ? std::string("GET") : method.UTF8String();
    std::string upper = text;
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (const char* name : standard) {
        if (upper == name)
            return upper;
    }
    return text;
}

// Field names and schemes are ASCII and compare without a Unicode case fold; any other text
// still takes the full comparison.
bool sameFieldName(const NSString& name, std::string_view ascii)
{
    const std::u16string_view units = name.view();
    if (std::any_of(units.begin(), units.end(), [](char16_t unit) { return unit >= 0x80; }))
        return name.caseInsensitiveCompare(NSString(ascii)) == NSOrderedSame;
    if (name.isNil() || units.size() != ascii.size())
        return false;
    for (std::size_t i = 0; i < units.size(); ++i) {
        const auto lower = [](unsigned unit) { return unit >= 'A' && unit <= 'Z' ? unit + 32 : unit; };
        if (lower(units[i]) != lower(static_cast<unsigned char>(ascii[i])))
            return false;
    }
    return true;
}

bool carriesBody(const NSURLRequest& request)
{
    if (request.HTTPBodyStream())
        return true;
    const auto body = request.HTTPBody();
    return body && body->length() > 0;
}

NSInteger portOrDefault(const std::shared_ptr<NSURL>& URL)
{
    if (auto port = URL->port())
        return port->integerValue();
    return URL->scheme().caseInsensitiveCompare("https") == NSOrderedSame ? 443 : 80;
}

bool sameOrigin(const std::shared_ptr<NSURL>& one, const std::shared_ptr<NSURL>& other)
{
    if (!one || !other)
        return false;
    const auto a = one->absoluteURL();
    const auto b = other->absoluteURL();
    return a->scheme().caseInsensitiveCompare(b->scheme()) == NSOrderedSame && a->host().caseInsensitiveCompare(b->host()) == NSOrderedSame
        && portOrDefault(a) == portOrDefault(b);
}

bool isRedirectStatus(NSInteger status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

std::string trimmed(std::string_view text)
{
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    return std::string(text);
}

} // namespace

URLTransfer::URLTransfer(const std::shared_ptr<NSURLConnection>& connection, std::shared_ptr<URLTransferLoop> loop)
    : m_connection(connection)
    , m_keepAlive(connection)
    , m_loop(std::move(loop))
    , m_request(connection->originalRequest())
{
}

URLTransfer::~URLTransfer()
{
    releaseHandle();
}

URLTransfer::Target URLTransfer::delegate() const
{
    if (m_ended)
        return {};
    auto connection = m_connection.lock();
    if (!connection || connection->m_cancelled)
        return {};
    MutexLocker lock(connection->m_mutex);
    auto delegate = connection->m_delegate;
    return { delegate ? std::move(connection) : nullptr, std::move(delegate) };
}

void URLTransfer::begin()
{
    auto protectedSelf = shared_from_this();
    std::shared_ptr<NSURLRequest> request = m_request;
    if (auto target = delegate())
        request = target->willSendRequest(*target.connection, m_request, nullptr).value_or(m_request);
    if (m_ended)
        return;
    if (!request) {
        fail(NSURLErrorWithCode(NSURLErrorCancelled, m_request ? m_request->URL() : nullptr));
        return;
    }
    startRequest(request->copyRequest());
}

void URLTransfer::releaseHandle()
{
    if (m_handle) {
        // A challenge's state stays in the handle: a request on it would answer without asking.
        long status = 0;
        curl_easy_getinfo(m_handle, CURLINFO_RESPONSE_CODE, &status);
        m_loop->retire(m_handle, !m_sentCredential && status != 401 && status != 407);
        m_handle = nullptr;
    }
    if (m_headerList) {
        curl_slist_free_all(m_headerList);
        m_headerList = nullptr;
    }
}

bool URLTransfer::startRequest(const std::shared_ptr<NSURLRequest>& request)
{
    releaseHandle();
    m_request = request;
    m_statusCode = 0;
    m_lines.clear();
    m_folded.clear();
    m_response = nullptr;
    m_holdBody = false;
    m_heldBody = nullptr;
    m_cacheBody = nullptr;
    m_uploaded = 0;
    m_received = 0;
    m_lengthExceeded = false;
    m_foldedLines = 0;
    m_headerRefused = false;
    m_trustError = nullptr;

    auto URL = request->URL();
    NSString scheme = URL ? URL->scheme() : NSString();
    if (!URL || scheme.isNil() || URL->host().isNil()) {
        fail(NSURLErrorWithCode(NSURLErrorBadURL, URL));
        return false;
    }
    const bool http = sameFieldName(scheme, "http");
    const bool https = sameFieldName(scheme, "https");
    if (!http && !https) {
        fail(NSURLErrorWithCode(NSURLErrorUnsupportedURL, URL));
        return false;
    }
    // Longer than any server reads, and than curl's own request buffer: refused as a bad URL
    // here rather than as curl running out of memory for the request line.
    if (URL->absoluteString().length() > maximumURLLength) {
        fail(NSURLErrorWithCode(NSURLErrorBadURL, URL, "The URL is too long."));
        return false;
    }

    bool fresh = false;
    m_handle = m_loop->takeHandle(fresh);
    if (!m_handle) {
        fail(NSURLErrorWithCode(NSURLErrorUnknown, URL));
        return false;
    }
    if (fresh)
        setUpHandle(m_handle);
    std::string address = URL->absoluteString().UTF8String();
    if (auto hash = address.find('#'); hash != std::string::npos)
        address.resize(hash);
    // A handle comes back as its last transfer left it: every option below is set on each
    // request, to its default where this request does not use it.
    curl_easy_setopt(m_handle, CURLOPT_URL, address.c_str());
    curl_easy_setopt(m_handle, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(m_handle, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(m_handle, CURLOPT_XFERINFODATA, this);
    curl_easy_setopt(m_handle, CURLOPT_READDATA, this);
    curl_easy_setopt(m_handle, CURLOPT_SSL_CTX_DATA, this);
    // The server's trust is judged here, through the challenge, not inside the TLS library.
    curl_easy_setopt(m_handle, CURLOPT_PREREQFUNCTION, https ? &URLTransfer::onPrerequest : nullptr);
    curl_easy_setopt(m_handle, CURLOPT_PREREQDATA, https ? this : nullptr);

    m_method = methodOnTheWire(request->HTTPMethod());
    m_body = request->HTTPBody();
    m_bodyStream = request->HTTPBodyStream();
    m_bodyStreamError = nullptr;
    bool hasContentType = false;
    bool hasCookie = false;
    bool hasAcceptEncoding = false;
    for (const auto& field : request->headerFields()) {
        std::string line = field.name.UTF8String() + ": " + field.value.UTF8String();
        if (line.find_first_of("\r\n") != std::string::npos)
            continue;
        if (sameFieldName(field.name, "Content-Type"))
            hasContentType = true;
        if (sameFieldName(field.name, "Cookie"))
            hasCookie = true;
        if (sameFieldName(field.name, "Accept-Encoding"))
            hasAcceptEncoding = true;
        m_headerList = curl_slist_append(m_headerList, line.c_str());
    }
    if (request->HTTPShouldHandleCookies() && !hasCookie) {
        auto cookies = NSHTTPCookieStorage::sharedHTTPCookieStorage()->cookiesForURL(URL);
        auto fields = NSHTTPCookie::requestHeaderFieldsWithCookies(cookies);
        NSString value = NSString::fromId(fields->objectForKey("Cookie"));
        if (!value.isNil())
            m_headerList = curl_slist_append(m_headerList, ("Cookie: " + value.UTF8String()).c_str());
    }
    if ((m_body || m_bodyStream) && !hasContentType)
        m_headerList = curl_slist_append(m_headerList, "Content-Type: application/x-www-form-urlencoded");
    m_headerList = curl_slist_append(m_headerList, "Expect:");
    // Without a field of the request's own curl asks for compressed replies and decodes them.
    curl_easy_setopt(m_handle, CURLOPT_ACCEPT_ENCODING, hasAcceptEncoding ? nullptr : "gzip, deflate");
    curl_easy_setopt(m_handle, CURLOPT_HTTPHEADER, m_headerList);

    // The body of the last request first (setting it makes a POST), then GET, which also clears
    // the last request's HEAD; then what this request sends.
    curl_easy_setopt(m_handle, CURLOPT_POSTFIELDS, static_cast<const char*>(nullptr));
    curl_easy_setopt(m_handle, CURLOPT_POSTFIELDSIZE_LARGE, curl_off_t(-1));
    curl_easy_setopt(m_handle, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(m_handle, CURLOPT_CUSTOMREQUEST, static_cast<const char*>(nullptr));
    if (m_method == "HEAD") {
        curl_easy_setopt(m_handle, CURLOPT_NOBODY, 1L);
    } else if (m_body) {
        curl_easy_setopt(m_handle, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(m_body->length()));
        curl_easy_setopt(m_handle, CURLOPT_POSTFIELDS, m_body->length() ? reinterpret_cast<const char*>(m_body->bytes()) : "");
    } else if (m_bodyStream) {
        m_bodyStream->open();
        curl_easy_setopt(m_handle, CURLOPT_POST, 1L);
        NSString length = request->valueForHTTPHeaderField("Content-Length");
        curl_easy_setopt(m_handle, CURLOPT_POSTFIELDSIZE_LARGE, length.isNil() ? curl_off_t(-1) : curl_off_t(length.longLongValue()));
    } else if (m_method == "POST" || m_method == "PUT" || m_method == "PATCH") {
        curl_easy_setopt(m_handle, CURLOPT_POSTFIELDSIZE_LARGE, curl_off_t(0));
        curl_easy_setopt(m_handle, CURLOPT_POSTFIELDS, "");
    }
    if (m_method != "GET" && m_method != "HEAD")
        curl_easy_setopt(m_handle, CURLOPT_CUSTOMREQUEST, m_method.c_str());

    if (m_credential && !m_credential->user().isNil()) {
        curl_easy_setopt(m_handle, CURLOPT_USERNAME, m_credential->user().UTF8String().c_str());
        curl_easy_setopt(m_handle, CURLOPT_PASSWORD, m_credential->password().isNil() ? "" : m_credential->password().UTF8String().c_str());
        curl_easy_setopt(m_handle, CURLOPT_HTTPAUTH, HTTPAuthentication::curlAuthFor(m_authenticationMethod));
        m_sentCredential = true;
    } else {
        curl_easy_setopt(m_handle, CURLOPT_USERNAME, static_cast<const char*>(nullptr));
        curl_easy_setopt(m_handle, CURLOPT_PASSWORD, static_cast<const char*>(nullptr));
        curl_easy_setopt(m_handle, CURLOPT_HTTPAUTH, static_cast<unsigned long>(CURLAUTH_BASIC));
    }

    resetTimeout();
    startDeadline();
    if (!m_loop->add(m_handle, shared_from_this())) {
        m_loop->retire(m_handle);
        m_handle = nullptr;
        fail(NSURLErrorWithCode(NSURLErrorUnknown, URL));
        return false;
    }
    return true;
}

void URLTransfer::setUpHandle(CURL* handle)
{
    // What every transfer asks of a handle, set once when the handle is made.
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(handle, CURLOPT_HEADERFUNCTION, &URLTransfer::onHeader);
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &URLTransfer::onWrite);
    curl_easy_setopt(handle, CURLOPT_READFUNCTION, &URLTransfer::onRead);
    curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, &URLTransfer::onProgress);
    curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(handle, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_1);
    // A handle used again must not resume the TLS sessions of its earlier transfers: the
    // server's trust is asked about on every new connection.
    curl_easy_setopt(handle, CURLOPT_SSL_SESSIONID_CACHE, 0L);
    // Without effect on plain HTTP; over TLS the trust is judged through the challenge.
    curl_easy_setopt(handle, CURLOPT_SSL_VERIFYPEER, 0L);
    curl_easy_setopt(handle, CURLOPT_SSL_VERIFYHOST, 0L);
    curl_easy_setopt(handle, CURLOPT_SSL_CTX_FUNCTION, &URLTransfer::onSSLContext);
}

size_t URLTransfer::onHeader(char* data, size_t size, size_t count, void* transfer)
{
    auto* self = static_cast<URLTransfer*>(transfer);
    std::string_view line(data, size * count);
    const bool folded = !line.empty() && (line.front() == ' ' || line.front() == '\t') && !self->m_lines.empty();
    if (!folded)
        self->endFoldedLine();
    if (line.starts_with("HTTP/")) {
        self->m_lines.clear();
        self->m_foldedLines = 0;
        self->m_statusCode = 0;
        auto space = line.find(' ');
        if (space != std::string_view::npos) {
            std::string status = trimmed(line.substr(space + 1, 4));
            self->m_statusCode = std::atoi(status.c_str());
        }
        return size * count;
    }
    std::string text = trimmed(line);
    if (text.empty())
        return size * count;
    // A folded line continues the previous field's value; read alone it could pass for a field.
    // The pieces gather in one buffer, joined to the value once the field ends.
    if (folded) {
        if (++self->m_foldedLines > maximumFoldedLines) {
            self->m_headerRefused = true;
            return 0;
        }
        NSString more = NSString::stringWithUTF8String(text.c_str());
        if (more.isNil())
            more = NSString::initWithBytes(text.data(), text.size(), NSISOLatin1StringEncoding);
        if (!more.isNil()) {
            self->m_folded += u' ';
            self->m_folded += more.view();
        }
        return size * count;
    }
    auto colon = text.find(':');
    if (colon == std::string::npos || colon == 0)
        return size * count;
    NSString name = NSString::stringWithUTF8String(trimmed(std::string_view(text).substr(0, colon)).c_str());
    NSString value = NSString::stringWithUTF8String(trimmed(std::string_view(text).substr(colon + 1)).c_str());
    // Header bytes that are not UTF-8 are read as Latin-1, as the platform reads them.
    if (value.isNil())
        value = NSString::initWithBytes(text.data() + colon + 1, text.size() - colon - 1, NSISOLatin1StringEncoding);
    if (!name.isNil() && !value.isNil())
        self->m_lines.push_back({ name, value });
    return size * count;
}

void URLTransfer::endFoldedLine()
{
    if (m_folded.empty())
        return;
    if (!m_lines.empty())
        m_lines.back().value = m_lines.back().value + NSString(std::move(m_folded));
    m_folded.clear();
}

void URLTransfer::finalizeResponse()
{
    if (m_response || !m_handle)
        return;
    endFoldedLine();
    auto URL = m_request->URL();
    m_response = NSHTTPURLResponse::responseWithURL(URL, m_statusCode, "HTTP/1.1", m_lines);
    if (m_request->HTTPShouldHandleCookies()) {
        auto cookies = NSMutableArray::array();
        for (const auto& line : m_lines) {
            if (!sameFieldName(line.name, "Set-Cookie"))
                continue;
            if (auto cookie = NSHTTPCookie::cookieWithSetCookieLine(line.value, URL))
                cookies->addObject(cookie);
        }
        if (cookies->count()) {
            auto mainDocument = m_request->mainDocumentURL() ? m_request->mainDocumentURL() : URL;
            NSHTTPCookieStorage::sharedHTTPCookieStorage()->setCookies(cookies, URL, mainDocument);
        }
    }
    const bool redirect = isRedirectStatus(m_statusCode) && !m_response->valueForHTTPHeaderField("Location").isNil();
    const bool authentication = m_statusCode == 401 && !m_response->valueForHTTPHeaderField("WWW-Authenticate").isNil();
    if (redirect || authentication) {
        m_holdBody = true;
        m_heldBody = NSMutableData::data();
        return;
    }
    if (m_method == "GET" && m_statusCode == 200)
        m_cacheBody = NSMutableData::data();
    queue(m_response);
}

void URLTransfer::queue(Event event)
{
    m_events.push_back(std::move(event));
    if (!m_markedPending) {
        m_markedPending = true;
        m_loop->markPending(shared_from_this());
    }
}

size_t URLTransfer::onWrite(char* data, size_t size, size_t count, void* transfer)
{
    auto* self = static_cast<URLTransfer*>(transfer);
    const size_t length = size * count;
    self->m_received += length;
    if (self->m_received > self->m_request->maximumResponseLength()) {
        self->m_lengthExceeded = true;
        return 0;
    }
    if (self->m_received > inflationCheckedFrom) {
        curl_off_t onTheWire = 0;
        curl_easy_getinfo(self->m_handle, CURLINFO_SIZE_DOWNLOAD_T, &onTheWire);
        if (onTheWire > 0 && self->m_received / static_cast<NSUInteger>(onTheWire) > maximumInflation) {
            self->m_lengthExceeded = true;
            return 0;
        }
    }
    self->finalizeResponse();
    if (self->m_holdBody) {
        self->m_heldBody->appendBytes(data, length);
        return length;
    }
    if (self->m_cacheBody) {
        if (self->m_cacheBody->length() + length > cacheableBodyLimit)
            self->m_cacheBody = nullptr;
        else
            self->m_cacheBody->appendBytes(data, length);
    }
    // Consecutive chunks between two deliveries go to the delegate as one.
    if (!self->m_events.empty()) {
        if (auto* last = std::get_if<std::shared_ptr<NSData>>(&self->m_events.back())) {
            std::static_pointer_cast<NSMutableData>(*last)->appendBytes(data, length);
            return length;
        }
    }
    auto chunk = NSMutableData::dataWithCapacity(length);
    chunk->appendBytes(data, length);
    self->queue(std::shared_ptr<NSData>(chunk));
    return length;
}

size_t URLTransfer::onRead(char* buffer, size_t size, size_t count, void* transfer)
{
    auto* self = static_cast<URLTransfer*>(transfer);
    if (!self->m_bodyStream)
        return 0;
    NSInteger read = self->m_bodyStream->read(reinterpret_cast<std::uint8_t*>(buffer), size * count);
    if (read < 0) {
        self->m_bodyStreamError = self->m_bodyStream->streamError();
        return CURL_READFUNC_ABORT;
    }
    return static_cast<size_t>(read);
}

int URLTransfer::onProgress(void* transfer, curl_off_t, curl_off_t, curl_off_t uploadTotal, curl_off_t uploaded)
{
    auto* self = static_cast<URLTransfer*>(transfer);
    if (uploaded > self->m_uploaded) {
        NSInteger expected = self->m_body ? static_cast<NSInteger>(self->m_body->length()) : (uploadTotal > 0 ? uploadTotal : -1);
        self->queue(UploadProgress { static_cast<NSInteger>(uploaded - self->m_uploaded), static_cast<NSInteger>(uploaded), expected });
        self->m_uploaded = uploaded;
    }
    return 0;
}

int URLTransfer::onPrerequest(void* transfer, char*, char*, int, int)
{
    auto* self = static_cast<URLTransfer*>(transfer);
    const int trusted = self->checkServerTrust();
    // A client certificate the server asked for is decided before the request goes out.
    if (trusted == CURL_PREREQFUNC_OK && self->m_clientCertificateRequested && !self->m_clientCertificateDecided)
        return CURL_PREREQFUNC_ABORT;
    return trusted;
}

int URLTransfer::checkServerTrust()
{
    curl_tlssessioninfo* session = nullptr;
    if (curl_easy_getinfo(m_handle, CURLINFO_TLS_SSL_PTR, &session) != CURLE_OK || !session
        || session->backend != CURLSSLBACKEND_OPENSSL || !session->internals) {
        m_trustError = NSURLErrorWithCode(NSURLErrorSecureConnectionFailed, m_request->URL());
        return CURL_PREREQFUNC_ABORT;
    }
    STACK_OF(X509)* presented = SSL_get_peer_cert_chain(static_cast<SSL*>(session->internals));
    std::vector<SecCertificateRef> certificates;
    for (int i = 0; presented && i < sk_X509_num(presented); ++i) {
        if (auto certificate = SecCertificate::create(sk_X509_value(presented, i)))
            certificates.push_back(certificate);
    }
    if (certificates.empty()) {
        m_trustError = NSURLErrorWithCode(NSURLErrorSecureConnectionFailed, m_request->URL());
        return CURL_PREREQFUNC_ABORT;
    }
    // A chain the delegate already accepted for this load (the load restarted after an answer
    // that came later) is not asked about again.
    if (m_acceptedLeaf && m_acceptedLeaf->isEqualToData(certificates.front()->data()))
        return CURL_PREREQFUNC_OK;

    auto URL = m_request->URL();
    SecTrustRef trust;
    SecTrustCreateWithCertificates(certificates, SecPolicyCreateSSL(true, URL->host()), &trust);
    auto port = URL->port();
    auto space = NSURLProtectionSpace::create(URL->host(), port ? port->integerValue() : 443, NSURLProtectionSpaceHTTPS, trust);
    auto connection = m_connection.lock();
    m_pending = Pending::serverTrust;
    m_challenge = NSURLAuthenticationChallenge::create(space, nullptr, 0, nullptr, connection);
    m_answer = Answer::none;
    askDelegate(m_challenge);
    if (m_ended)
        return CURL_PREREQFUNC_ABORT;
    switch (m_answer) {
    case Answer::useCredential:
        m_pending = Pending::none;
        m_acceptedLeaf = certificates.front()->data();
        return CURL_PREREQFUNC_OK;
    case Answer::withoutCredential:
        // Without a credential the trust gets the default judgement.
        defaultHandling(m_challenge);
        if (m_answer == Answer::useCredential) {
            m_pending = Pending::none;
            m_acceptedLeaf = certificates.front()->data();
            return CURL_PREREQFUNC_OK;
        }
        m_pending = Pending::none;
        m_trustError = NSURLErrorWithCode(NSURLErrorServerCertificateUntrusted, URL);
        return CURL_PREREQFUNC_ABORT;
    case Answer::cancel:
        m_pending = Pending::none;
        m_trustError = NSURLErrorWithCode(NSURLErrorUserCancelledAuthentication, URL);
        return CURL_PREREQFUNC_ABORT;
    case Answer::none:
        // Answered later: this attempt stops and the load starts again once the answer comes.
        m_awaitingAnswer = true;
        return CURL_PREREQFUNC_ABORT;
    }
    return CURL_PREREQFUNC_ABORT;
}

void URLTransfer::askDelegate(const std::shared_ptr<NSURLAuthenticationChallenge>& challenge)
{
    auto target = delegate();
    m_askingDelegate = true;
    if (!target) {
        defaultHandling(challenge);
    } else if (!target->willSendRequestForAuthenticationChallenge(*target.connection, challenge)) {
        auto can = target->canAuthenticateAgainstProtectionSpace(*target.connection, challenge->protectionSpace());
        const bool serverTrust = challenge->protectionSpace()->authenticationMethod() == NSURLAuthenticationMethodServerTrust;
        if (can.value_or(!serverTrust))
            target->didReceiveAuthenticationChallenge(*target.connection, challenge);
        else
            defaultHandling(challenge);
    }
    m_askingDelegate = false;
}

void URLTransfer::defaultHandling(const std::shared_ptr<NSURLAuthenticationChallenge>& challenge)
{
    auto space = challenge->protectionSpace();
    if (space->authenticationMethod() == NSURLAuthenticationMethodServerTrust) {
        SecTrustResultType result = kSecTrustResultInvalid;
        SecTrustEvaluate(space->serverTrust(), &result);
        const bool trusted = result == kSecTrustResultProceed || result == kSecTrustResultUnspecified;
        m_answer = trusted ? Answer::useCredential : Answer::withoutCredential;
        return;
    }
    auto URL = m_request->URL();
    if (challenge->previousFailureCount() == 0 && URL && !URL->user().isNil()) {
        m_answerCredential = NSURLCredential::credentialWithUser(URL->user(), URL->password(), NSURLCredentialPersistenceNone);
        m_answer = Answer::useCredential;
        return;
    }
    m_answer = Answer::withoutCredential;
}

void URLTransfer::answerChallenge(Answer answer, const std::shared_ptr<NSURLCredential>& credential,
    const std::shared_ptr<NSURLAuthenticationChallenge>& challenge)
{
    if (m_ended || !challenge || challenge != m_challenge || m_answer != Answer::none)
        return;
    m_answer = answer;
    m_answerCredential = credential;
    if (!m_askingDelegate && m_awaitingAnswer)
        actOnAnswer();
}

void URLTransfer::actOnAnswer()
{
    auto protectedSelf = shared_from_this();
    m_awaitingAnswer = false;
    const Pending pending = std::exchange(m_pending, Pending::none);
    const Answer answer = m_answer;
    if (pending == Pending::serverTrust) {
        if (answer == Answer::withoutCredential) {
            defaultHandling(m_challenge);
            if (m_answer != Answer::useCredential) {
                fail(NSURLErrorWithCode(NSURLErrorServerCertificateUntrusted, m_request->URL()));
                return;
            }
        } else if (answer == Answer::cancel) {
            fail(NSURLErrorWithCode(NSURLErrorUserCancelledAuthentication, m_request->URL()));
            return;
        }
        auto trust = m_challenge->protectionSpace()->serverTrust();
        m_acceptedLeaf = trust->certificateAtIndex(0) ? trust->certificateAtIndex(0)->data() : nullptr;
        startRequest(m_request);
        return;
    }
    if (pending == Pending::clientCertificate) {
        actOnClientCertificateAnswer(answer);
        return;
    }
    if (pending != Pending::authentication)
        return;
    if (answer == Answer::useCredential && m_answerCredential && !m_answerCredential->user().isNil()) {
        m_credential = m_answerCredential;
        ++m_authenticationFailures;
        auto retry = m_request;
        if (m_request->HTTPBodyStream()) {
            // The body went out with the refused attempt: the delegate gives it again or the
            // load cannot go on.
            auto target = delegate();
            auto stream = target ? target->needNewBodyStream(*target.connection, m_request).value_or(nullptr) : nullptr;
            if (!stream) {
                fail(NSURLErrorWithCode(NSURLErrorCannotLoadFromNetwork, m_request->URL()));
                return;
            }
            auto withStream = m_request->mutableCopyRequest();
            withStream->setHTTPBodyStream(stream);
            retry = withStream;
        }
        startRequest(retry);
        return;
    }
    if (answer == Answer::cancel) {
        fail(NSURLErrorWithCode(NSURLErrorUserCancelledAuthentication, m_request->URL()));
        return;
    }
    // Without a credential the 401 reply itself is the result.
    m_holdBody = false;
    queue(m_response);
    if (m_heldBody && m_heldBody->length())
        queue(std::shared_ptr<NSData>(m_heldBody));
    m_heldBody = nullptr;
    deliverPendingEvents();
    finishLoading();
}

void URLTransfer::deliverPendingEvents()
{
    auto protectedSelf = shared_from_this();
    m_markedPending = false;
    if (!m_events.empty())
        resetTimeout();
    while (!m_events.empty() && !m_ended) {
        Event event = std::move(m_events.front());
        m_events.pop_front();
        auto target = delegate();
        if (!target)
            continue;
        if (auto* response = std::get_if<std::shared_ptr<NSURLResponse>>(&event)) {
            m_responseDelivered = true;
            target->didReceiveResponse(*target.connection, *response);
        } else if (auto* data = std::get_if<std::shared_ptr<NSData>>(&event)) {
            target->didReceiveData(*target.connection, *data);
        } else if (auto* progress = std::get_if<UploadProgress>(&event)) {
            target->didSendBodyData(*target.connection, progress->written, progress->total, progress->expected);
        }
    }
}

void URLTransfer::transferDidComplete(CURLcode result)
{
    auto protectedSelf = shared_from_this();
    if (m_ended)
        return;
    if (m_awaitingAnswer) {
        // The attempt stopped to wait for the delegate's answer; it may have come meanwhile.
        if (m_answer != Answer::none)
            actOnAnswer();
        return;
    }
    if (m_trustError) {
        fail(m_trustError);
        return;
    }
    if (m_clientCertificateRequested && !m_clientCertificateDecided) {
        challengeForClientCertificate();
        return;
    }
    if (auto refused = clientCertificateFailure(result)) {
        fail(refused);
        return;
    }
    if (result != CURLE_OK) {
        fail(errorForResult(result));
        return;
    }
    finalizeResponse();
    deliverPendingEvents();
    if (m_ended)
        return;
    if (m_holdBody && isRedirectStatus(m_statusCode)) {
        followRedirect();
        return;
    }
    if (m_holdBody && m_statusCode == 401) {
        challengeForAuthentication();
        return;
    }
    finishLoading();
}

void URLTransfer::followRedirect()
{
    auto redirectResponse = m_response;
    auto location = NSURL::URLWithString(redirectResponse->valueForHTTPHeaderField("Location"), m_request->URL());
    if (!location) {
        fail(NSURLErrorWithCode(NSURLErrorRedirectToNonExistentLocation, m_request->URL()));
        return;
    }
    if (++m_redirectCount > maximumRedirects) {
        fail(NSURLErrorWithCode(NSURLErrorHTTPTooManyRedirects, m_request->URL()));
        return;
    }
    auto next = m_request->mutableCopyRequest();
    next->setURL(location->absoluteURL());
    const bool keepsMethod = m_statusCode == 307 || m_statusCode == 308;
    if (!keepsMethod && m_method != "GET" && m_method != "HEAD") {
        next->setHTTPMethod("GET");
        next->setHTTPBody(nullptr);
        next->setValue(nullptr, "Content-Type");
        next->setValue(nullptr, "Content-Length");
    } else if (keepsMethod && carriesBody(*m_request) && !sameOrigin(m_request->URL(), location)) {
        // The body (a login form, say) was meant for the server that was asked, not for
        // whatever server a redirect names.
        fail(NSURLErrorWithCode(NSURLErrorRedirectToNonExistentLocation, m_request->URL(),
            "The redirect would send the request's body to another server."));
        return;
    } else if (keepsMethod && m_request->HTTPBodyStream()) {
        auto target = delegate();
        auto stream = target ? target->needNewBodyStream(*target.connection, m_request).value_or(nullptr) : nullptr;
        if (!stream) {
            fail(NSURLErrorWithCode(NSURLErrorCannotLoadFromNetwork, m_request->URL()));
            return;
        }
        next->setHTTPBodyStream(stream);
    }
    // Cookies of the first host are not carried to the next one by an explicit field.
    std::shared_ptr<NSURLRequest> request = next;
    if (auto target = delegate())
        request = target->willSendRequest(*target.connection, next, redirectResponse).value_or(next);
    if (m_ended)
        return;
    if (!request) {
        // No new request: the redirect reply itself is the result.
        m_holdBody = false;
        queue(redirectResponse);
        if (m_heldBody && m_heldBody->length())
            queue(std::shared_ptr<NSData>(m_heldBody));
        m_heldBody = nullptr;
        deliverPendingEvents();
        finishLoading();
        return;
    }
    startRequest(request->copyRequest());
}

void URLTransfer::challengeForAuthentication()
{
    std::vector<HTTPAuthentication::Challenge> offered;
    for (const auto& line : m_lines) {
        if (!sameFieldName(line.name, "WWW-Authenticate"))
            continue;
        auto parsed = HTTPAuthentication::parse(line.value.UTF8String());
        offered.insert(offered.end(), parsed.begin(), parsed.end());
    }
    HTTPAuthentication::Challenge chosen;
    const std::string chosenMethod = HTTPAuthentication::chooseMethod(offered, &chosen);
    m_pending = Pending::authentication;
    if (chosenMethod.empty()) {
        // No scheme the loading system can answer: the 401 reply is the result.
        m_answer = Answer::withoutCredential;
        actOnAnswer();
        return;
    }
    m_authenticationMethod = chosenMethod;
    NSString method(chosenMethod);
    NSString realm = NSString::stringWithUTF8String(chosen.parameter("realm").c_str());
    auto URL = m_request->URL();
    auto port = URL->port();
    const bool https = URL->scheme().caseInsensitiveCompare("https") == NSOrderedSame;
    auto space = NSURLProtectionSpace::create(URL->host(), port ? port->integerValue() : (https ? 443 : 80),
        https ? NSURLProtectionSpaceHTTPS : NSURLProtectionSpaceHTTP, realm, method);
    poseChallenge(NSURLAuthenticationChallenge::create(space, m_credential, m_authenticationFailures, m_response, m_connection.lock()));
}

void URLTransfer::poseChallenge(const std::shared_ptr<NSURLAuthenticationChallenge>& challenge)
{
    m_answer = Answer::none;
    m_answerCredential = nullptr;
    m_challenge = challenge;
    askDelegate(m_challenge);
    if (m_ended)
        return;
    if (m_answer == Answer::none) {
        // Answered later: the load waits for it.
        m_awaitingAnswer = true;
        return;
    }
    actOnAnswer();
}

void URLTransfer::finishLoading()
{
    auto protectedSelf = shared_from_this();
    if (m_ended)
        return;
    if (!m_responseDelivered && m_response) {
        queue(m_response);
        deliverPendingEvents();
    }
    if (m_cacheBody && m_response) {
        auto proposed = NSCachedURLResponse::create(m_response, NSData::dataWithData(m_cacheBody));
        auto target = delegate();
        auto cached = target ? target->willCacheResponse(*target.connection, proposed).value_or(proposed) : proposed;
        if (cached)
            NSURLCache::sharedURLCache()->storeCachedResponse(cached, m_request);
    }
    auto target = delegate();
    end();
    if (target)
        target->connectionDidFinishLoading(*target.connection);
    letGoOfConnection();
}

void URLTransfer::fail(const std::shared_ptr<NSError>& error)
{
    auto protectedSelf = shared_from_this();
    if (m_ended)
        return;
    auto target = delegate();
    end();
    if (target)
        target->didFailWithError(*target.connection, error);
    letGoOfConnection();
}

void URLTransfer::cancel()
{
    auto protectedSelf = shared_from_this();
    end();
    letGoOfConnection();
}

void URLTransfer::letGoOfConnection()
{
    // Once the load is over the connection lets go of its delegate, as the platform's does: a
    // delegate that keeps its connection would otherwise keep both alive for good.
    std::shared_ptr<NSURLConnectionDelegate> delegate;
    if (auto connection = m_connection.lock()) {
        MutexLocker lock(connection->m_mutex);
        delegate = std::move(connection->m_delegate);
    }
    m_keepAlive = nullptr;
}

void URLTransfer::end()
{
    if (m_ended)
        return;
    m_ended = true;
    m_events.clear();
    if (m_watchedDue != std::numeric_limits<NSTimeInterval>::infinity()) {
        m_loop->forgetDeadline(this);
        m_watchedDue = std::numeric_limits<NSTimeInterval>::infinity();
    }
    releaseHandle();
    if (m_bodyStream)
        m_bodyStream->close();
    m_challenge = nullptr;
}

void URLTransfer::startDeadline()
{
    const NSTimeInterval interval = m_request ? m_request->timeoutInterval() : 0;
    if (m_ended || m_wholeLoadDue != std::numeric_limits<NSTimeInterval>::infinity() || interval <= 0)
        return;
    // The idle time-out alone lets a reply that trickles in a byte at a time run for ever.
    m_wholeLoadDue = SystemClock::now() + interval * kWholeLoadTimeoutFactor;
    watchDeadline();
}

void URLTransfer::resetTimeout()
{
    if (m_ended)
        return;
    const NSTimeInterval interval = m_request ? m_request->timeoutInterval() : 0;
    if (interval <= 0)
        return;
    m_idleDue = SystemClock::now() + interval;
    watchDeadline();
}

void URLTransfer::watchDeadline()
{
    // A due time moved later is found when the loop comes for the earlier one.
    const NSTimeInterval due = std::min(m_idleDue, m_wholeLoadDue);
    if (due >= m_watchedDue)
        return;
    m_watchedDue = due;
    m_loop->watchDeadline(shared_from_this(), due);
}

NSTimeInterval URLTransfer::deadlineReached(NSTimeInterval now)
{
    if (m_ended)
        return -1;
    const NSTimeInterval due = std::min(m_idleDue, m_wholeLoadDue);
    if (due > now + kDueMargin) {
        m_watchedDue = due;
        return due;
    }
    auto protectedSelf = shared_from_this();
    m_watchedDue = std::numeric_limits<NSTimeInterval>::infinity();
    fail(NSURLErrorWithCode(NSURLErrorTimedOut, m_request ? m_request->URL() : nullptr, "The request timed out."));
    return -1;
}

std::shared_ptr<NSError> URLTransfer::errorForResult(CURLcode result) const
{
    auto URL = m_request ? m_request->URL() : nullptr;
    if (m_bodyStreamError) {
        auto userInfo = NSMutableDictionary::dictionary();
        userInfo->setObject(m_bodyStreamError, NSUnderlyingErrorKey);
        if (URL)
            userInfo->setObject(URL, NSURLErrorFailingURLErrorKey);
        return NSError::errorWithDomain(NSURLErrorDomain, NSURLErrorCannotLoadFromNetwork, userInfo);
    }
    if (m_lengthExceeded)
        return NSURLErrorWithCode(NSURLErrorDataLengthExceedsMaximum, URL, "The resource exceeds the maximum size.");
    // The scheme was checked before the request left, so curl's complaints about the protocol or
    // its memory for a header concern what the server sent.
    long sent = 0;
    if (m_handle)
        curl_easy_getinfo(m_handle, CURLINFO_REQUEST_SIZE, &sent);
    if (result == CURLE_UNSUPPORTED_PROTOCOL || result == CURLE_WEIRD_SERVER_REPLY || (result == CURLE_OUT_OF_MEMORY && sent > 0)
        || m_headerRefused)
        return NSURLErrorWithCode(NSURLErrorBadServerResponse, URL, "The server's reply could not be read.");
    NSInteger code;
    switch (result) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
        code = NSURLErrorCannotFindHost;
        break;
    case CURLE_COULDNT_CONNECT:
        code = NSURLErrorCannotConnectToHost;
        break;
    case CURLE_OPERATION_TIMEDOUT:
        code = NSURLErrorTimedOut;
        break;
    case CURLE_URL_MALFORMAT:
        code = NSURLErrorBadURL;
        break;
    case CURLE_TOO_MANY_REDIRECTS:
        code = NSURLErrorHTTPTooManyRedirects;
        break;
    case CURLE_PEER_FAILED_VERIFICATION:
        code = NSURLErrorServerCertificateUntrusted;
        break;
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_ENGINE_NOTFOUND:
    case CURLE_SSL_ENGINE_SETFAILED:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_USE_SSL_FAILED:
        code = NSURLErrorSecureConnectionFailed;
        break;
    case CURLE_GOT_NOTHING:
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
    case CURLE_PARTIAL_FILE:
        code = NSURLErrorNetworkConnectionLost;
        break;
    case CURLE_BAD_CONTENT_ENCODING:
        code = NSURLErrorCannotParseResponse;
        break;
    default:
        code = NSURLErrorUnknown;
        break;
    }
    return NSURLErrorWithCode(code, URL, curl_easy_strerror(result));
}
