#include "library/network/request/RQURLConnectionOperation.h"

#include "platform/dispatch/MainQueueRelay.h"
#include "platform/foundation/NSBundle.h"
#include "platform/foundation/NSLog.h"
#include "platform/foundation/NSMachPort.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/foundation/NeverDestroyed.h"
#include "platform/foundation/StringEncoding.h"
#include "platform/foundation/NSNumber.h"
#include "platform/net/NSURLError.h"
#include "platform/net/StrictDecoding.h"
#include "platform/uikit/UIApplication.h"

#include <algorithm>
#include <chrono>
#include <mutex>
#include <utility>

namespace {

const bool registeredForCoding = NSCoder::registerClass<RQURLConnectionOperation>();

const char* keyForState(RQOperationState state)
{
    switch (state) {
    case RQOperationReadyState: return "isReady";
    case RQOperationExecutingState: return "isExecuting";
    case RQOperationFinishedState: return "isFinished";
    case RQOperationPausedState: return "isPaused";
    }
    return "state";
}

// The keys as strings made once: every request changes its state three times, each change
// telling observers of two keys before and after.
const NSString& observedKeyForState(RQOperationState state)
{
    static const NeverDestroyed<NSString> ready("isReady");
    static const NeverDestroyed<NSString> executing("isExecuting");
    static const NeverDestroyed<NSString> finished("isFinished");
    static const NeverDestroyed<NSString> paused("isPaused");
    static const NeverDestroyed<NSString> other("state");
    switch (state) {
    case RQOperationReadyState: return ready.get();
    case RQOperationExecutingState: return executing.get();
    case RQOperationFinishedState: return finished.get();
    case RQOperationPausedState: return paused.get();
    }
    return other.get();
}

const NSString& dataWrittenKey()
{
    static const NeverDestroyed<NSString> key(NSStreamDataWrittenToMemoryStreamKey);
    return key.get();
}

bool transitionIsAllowed(RQOperationState from, RQOperationState to, bool cancelled)
{
    switch (from) {
    case RQOperationReadyState:
        return to == RQOperationPausedState || to == RQOperationExecutingState || (to == RQOperationFinishedState && cancelled);
    case RQOperationExecutingState:
        return to == RQOperationPausedState || to == RQOperationFinishedState;
    case RQOperationPausedState:
        // A paused operation that is cancelled must still finish, or it holds its queue for ever.
        return to == RQOperationReadyState || (to == RQOperationFinishedState && cancelled);
    case RQOperationFinishedState:
        return false;
    }
    return true;
}

// The names as strings made once: each request posts both.
const NSString& startNotificationName()
{
    static const NeverDestroyed<NSString> name(RQNetworkingOperationDidStartNotification);
    return name.get();
}

const NSString& finishNotificationName()
{
    static const NeverDestroyed<NSString> name(RQNetworkingOperationDidFinishNotification);
    return name.get();
}

void postOnMainQueue(const NSString& name, const id& object, bool mayWait = false)
{
    MainQueueRelay::shared()->post([name, object] { NSNotificationCenter::defaultCenter()->postNotificationName(name, object); }, mayWait);
}

} // namespace

void RQURLConnectionOperation::init(const std::shared_ptr<NSURLRequest>& request)
{
    {
        StateLocker lock(m_lock);
        m_state.request = request;
    }
    m_shouldUseCredentialStorage = true;
    setState(RQOperationReadyState);
}

RQURLConnectionOperation::~RQURLConnectionOperation()
{
    if (m_state.outputStream)
        m_state.outputStream->close();
    if (m_state.backgroundTaskIdentifier != UIBackgroundTaskInvalid)
        UIApplication::sharedApplication()->endBackgroundTask(m_state.backgroundTaskIdentifier);
}

void RQURLConnectionOperation::setShouldExecuteAsBackgroundTaskWithExpirationHandler(std::function<void()> handler)
{
    StateLocker lock(m_lock);
    if (m_state.backgroundTaskIdentifier != UIBackgroundTaskInvalid)
        return;
    std::weak_ptr<RQURLConnectionOperation> weakSelf = self();
    m_state.backgroundTaskIdentifier = UIApplication::sharedApplication()->beginBackgroundTaskWithExpirationHandler(
        [weakSelf, handler = std::move(handler)] {
            if (handler)
                handler();
            auto strongSelf = weakSelf.lock();
            if (!strongSelf)
                return;
            strongSelf->cancel();
            StateLocker lock(strongSelf->m_lock);
            UIApplication::sharedApplication()->endBackgroundTask(strongSelf->m_state.backgroundTaskIdentifier);
            strongSelf->m_state.backgroundTaskIdentifier = UIBackgroundTaskInvalid;
        });
}

std::shared_ptr<NSThread> RQURLConnectionOperation::networkRequestThread()
{
    // The thread runs until the process ends, so neither it nor its handle is ever destroyed.
    static const NeverDestroyed<std::shared_ptr<NSThread>> thread([] {
        auto networkThread = NSThread::create([] {
            NSThread::currentThread()->setName("RQNetworking");
            auto runLoop = NSRunLoop::currentRunLoop();
            runLoop->addPort(NSMachPort::port(), NSDefaultRunLoopMode);
            // What the operations hand to the main queue from here goes there once per pass.
            MainQueueRelay::shared()->runCurrentRunLoop(NSRunLoopMode(NSDefaultRunLoopMode));
        });
        networkThread->start();
        return networkThread;
    }());
    return thread.get();
}

std::vector<std::shared_ptr<NSData>> RQURLConnectionOperation::pinnedCertificates()
{
    static const NeverDestroyed<std::vector<std::shared_ptr<NSData>>> certificates([] {
        std::vector<std::shared_ptr<NSData>> found;
        auto paths = NSBundle::mainBundle()->pathsForResourcesOfType("cer", ".");
        for (const auto& path : paths ? *paths : *NSArray::array()) {
            if (auto data = NSData::dataWithContentsOfFile(NSString::fromId(path)))
                found.push_back(data);
        }
        return found;
    }());
    return certificates.get();
}

std::vector<SecKeyRef> RQURLConnectionOperation::pinnedPublicKeys()
{
    static const NeverDestroyed<std::vector<SecKeyRef>> keys([] {
        std::vector<SecKeyRef> found;
        for (const auto& data : pinnedCertificates()) {
            auto certificate = SecCertificateCreateWithData(data);
            SecTrustRef trust;
            if (!certificate || SecTrustCreateWithCertificates({ certificate }, SecPolicyCreateBasicX509(), &trust) != errSecSuccess)
                continue;
            SecTrustResultType result;
            if (SecTrustEvaluate(trust, &result) != errSecSuccess)
                continue;
            if (auto key = SecTrustCopyPublicKey(trust))
                found.push_back(key);
        }
        return found;
    }());
    return keys.get();
}

std::vector<NSRunLoopMode> RQURLConnectionOperation::modeList() const
{
    StateLocker lock(m_lock);
    return m_state.runLoopModes;
}

std::shared_ptr<NSSet> RQURLConnectionOperation::runLoopModes() const
{
    auto modes = NSMutableSet::set();
    for (const auto& mode : modeList())
        modes->addObject(mode);
    return modes;
}

void RQURLConnectionOperation::setRunLoopModes(const std::shared_ptr<NSSet>& modes)
{
    StateLocker lock(m_lock);
    m_state.runLoopModes.clear();
    if (modes) {
        for (const auto& mode : *modes)
            m_state.runLoopModes.push_back(NSString::fromId(mode));
    }
}

void RQURLConnectionOperation::performOnMainQueue(std::function<void()> block)
{
    MainQueueRelay::shared()->post(std::move(block));
}

void RQURLConnectionOperation::performOnNetworkThread(std::function<void()> block)
{
    networkRequestThread()->performBlock(std::move(block), false, modeList());
}

std::shared_ptr<NSURLRequest> RQURLConnectionOperation::request() const
{
    StateLocker lock(m_lock);
    return m_state.request;
}

void RQURLConnectionOperation::setRequest(const std::shared_ptr<NSURLRequest>& request)
{
    StateLocker lock(m_lock);
    m_state.request = request;
}

std::shared_ptr<NSURLResponse> RQURLConnectionOperation::response() const
{
    StateLocker lock(m_lock);
    return m_state.response;
}

std::shared_ptr<NSError> RQURLConnectionOperation::error() const
{
    StateLocker lock(m_lock);
    return m_state.error;
}

std::shared_ptr<NSData> RQURLConnectionOperation::responseData() const
{
    StateLocker lock(m_lock);
    return m_state.responseData;
}

NSStringEncoding RQURLConnectionOperation::responseStringEncoding() const
{
    StateLocker lock(m_lock);
    if (!m_state.responseStringEncoding && m_state.response) {
        NSStringEncoding encoding = NSUTF8StringEncoding;
        if (NSString name = m_state.response->textEncodingName(); !name.isNil()) {
            if (NSStringEncoding named = ns::encodingForIANACharsetName(name))
                encoding = named;
        }
        m_state.responseStringEncoding = encoding;
    }
    return m_state.responseStringEncoding;
}

NSString RQURLConnectionOperation::responseString() const
{
    StateLocker lock(m_lock);
    if (m_state.responseString.isNil() && m_state.response && m_state.responseData)
        m_state.responseString = NSString::initWithData(m_state.responseData, responseStringEncoding());
    return m_state.responseString;
}

std::shared_ptr<NSURLCredential> RQURLConnectionOperation::credential() const
{
    StateLocker lock(m_lock);
    return m_state.credential;
}

void RQURLConnectionOperation::setCredential(const std::shared_ptr<NSURLCredential>& credential)
{
    StateLocker lock(m_lock);
    m_state.credential = credential;
}

std::shared_ptr<NSInputStream> RQURLConnectionOperation::inputStream() const
{
    StateLocker lock(m_lock);
    return m_state.request ? m_state.request->HTTPBodyStream() : nullptr;
}

void RQURLConnectionOperation::setInputStream(const std::shared_ptr<NSInputStream>& stream)
{
    willChangeValueForKey("inputStream");
    {
        StateLocker lock(m_lock);
        auto mutableRequest = m_state.request->mutableCopyRequest();
        mutableRequest->setHTTPBodyStream(stream);
        m_state.request = mutableRequest;
    }
    didChangeValueForKey("inputStream");
}

std::shared_ptr<NSOutputStream> RQURLConnectionOperation::outputStream() const
{
    StateLocker lock(m_lock);
    return outputStreamLocked();
}

std::shared_ptr<NSOutputStream> RQURLConnectionOperation::outputStreamLocked() const
{
    if (!m_state.outputStream)
        m_state.outputStream = NSOutputStream::outputStreamToMemory();
    return m_state.outputStream;
}

void RQURLConnectionOperation::setOutputStream(const std::shared_ptr<NSOutputStream>& stream)
{
    StateLocker lock(m_lock);
    if (stream == m_state.outputStream)
        return;
    willChangeValueForKey("outputStream");
    if (m_state.outputStream)
        m_state.outputStream->close();
    m_state.outputStream = stream;
    didChangeValueForKey("outputStream");
}

std::shared_ptr<NSDictionary> RQURLConnectionOperation::userInfo() const
{
    StateLocker lock(m_lock);
    return m_state.userInfo;
}

void RQURLConnectionOperation::setUserInfo(const std::shared_ptr<NSDictionary>& userInfo)
{
    StateLocker lock(m_lock);
    m_state.userInfo = userInfo;
}

void RQURLConnectionOperation::setUploadProgressBlock(ProgressBlock block)
{
    m_callbacks.lock()->uploadProgress = std::move(block);
}

void RQURLConnectionOperation::setDownloadProgressBlock(ProgressBlock block)
{
    m_callbacks.lock()->downloadProgress = std::move(block);
}

void RQURLConnectionOperation::setWillSendRequestForAuthenticationChallengeBlock(AuthenticationChallengeBlock block)
{
    m_callbacks.lock()->authenticationChallenge = std::move(block);
}

void RQURLConnectionOperation::setCacheResponseBlock(CacheResponseBlock block)
{
    m_callbacks.lock()->cacheResponse = std::move(block);
}

void RQURLConnectionOperation::setRedirectResponseBlock(RedirectResponseBlock block)
{
    m_callbacks.lock()->redirectResponse = std::move(block);
}

void RQURLConnectionOperation::setCompletionBlock(std::function<void()> block)
{
    StateLocker lock(m_lock);
    if (!block) {
        NSOperation::setCompletionBlock(nullptr);
        return;
    }
    std::weak_ptr<RQURLConnectionOperation> weakSelf = self();
    NSOperation::setCompletionBlock([weakSelf, block] {
        block();
        if (auto operation = weakSelf.lock())
            operation->NSOperation::setCompletionBlock(nullptr);
    });
}

RQOperationState RQURLConnectionOperation::state() const
{
    StateLocker lock(m_lock);
    return m_state.state;
}

void RQURLConnectionOperation::setState(RQOperationState state)
{
    StateLocker lock(m_lock);
    if (m_state.state != 0 && !transitionIsAllowed(m_state.state, state, isCancelled()))
        return;
    const NSString& oldKey = observedKeyForState(m_state.state);
    const NSString& newKey = observedKeyForState(state);
    willChangeValueForKey(newKey);
    willChangeValueForKey(oldKey);
    m_state.state = state;
    didChangeValueForKey(oldKey);
    didChangeValueForKey(newKey);
}

bool RQURLConnectionOperation::isReady() const
{
    return state() == RQOperationReadyState && NSOperation::isReady();
}

bool RQURLConnectionOperation::isExecuting() const
{
    return state() == RQOperationExecutingState;
}

bool RQURLConnectionOperation::isFinished() const
{
    return state() == RQOperationFinishedState;
}

bool RQURLConnectionOperation::isPaused() const
{
    return state() == RQOperationPausedState;
}

void RQURLConnectionOperation::start()
{
    StateLocker lock(m_lock);
    if (!isReady())
        return;
    setState(RQOperationExecutingState);
    auto protectedSelf = self();
    performOnNetworkThread([protectedSelf] { protectedSelf->operationDidStart(); });
}

void RQURLConnectionOperation::operationDidStart()
{
    {
        StateLocker lock(m_lock);
        // A pause or the finish may come before the network thread gets here, and a quick pause
        // and resume queue a second start behind the first: the start they overtook is void.
        if (!isExecuting() || m_state.connection)
            return;
        if (!isCancelled()) {
            m_state.connection = NSURLConnection::create(m_state.request, self(), false);
            auto runLoop = NSRunLoop::currentRunLoop();
            auto stream = outputStreamLocked();
            for (const auto& mode : m_state.runLoopModes) {
                m_state.connection->scheduleInRunLoop(runLoop, mode);
                stream->scheduleInRunLoop(runLoop, mode);
            }
            m_state.connection->start();
        }
        // Told under the lock, so that a pause's finish can only follow it.
        m_state.startAnnounced = true;
        postOnMainQueue(startNotificationName(), self(), true);
    }
    if (isCancelled()) {
        {
            StateLocker lock(m_lock);
            if (isFinished())
                return;
            m_state.error = NSURLErrorWithCode(NSURLErrorCancelled, m_state.request ? m_state.request->URL() : nullptr);
        }
        finish(true);
    }
}

void RQURLConnectionOperation::finish(bool announce)
{
    setState(RQOperationFinishedState);
    if (announce)
        postOnMainQueue(finishNotificationName(), self());
    // Nothing more of this operation follows: the main thread need not wait for the pass to end.
    MainQueueRelay::shared()->flush();
}

void RQURLConnectionOperation::pause()
{
    if (isPaused() || isFinished() || isCancelled())
        return;
    StateLocker lock(m_lock);
    if (isExecuting()) {
        // The connection is let go of here, not when the network thread gets to it: whatever it
        // still reports is not the operation's any more, and the bytes kept are those of now.
        if (auto connection = std::move(m_state.connection))
            performOnNetworkThread([connection] { connection->cancel(); });
        // A pause that overtook the start on its way to the network thread ends a request
        // nobody was told of.
        if (std::exchange(m_state.startAnnounced, false))
            postOnMainQueue(finishNotificationName(), self());
    }
    setState(RQOperationPausedState);
}

void RQURLConnectionOperation::resume()
{
    if (!isPaused())
        return;
    StateLocker lock(m_lock);
    m_state.restarted = true;
    setState(RQOperationReadyState);
    start();
}

void RQURLConnectionOperation::cancel()
{
    StateLocker lock(m_lock);
    if (isFinished() || isCancelled())
        return;
    NSOperation::cancel();
    // Only a connection or a pause leaves work for the network thread: an operation not started
    // yet, or whose start is on its way there, sees the flag when it starts. Nothing is queued
    // there needlessly, least of all by a cancel at the end of the process, when the network
    // thread would run it among objects being destroyed.
    if (!m_state.connection && !isPaused())
        return;
    auto protectedSelf = self();
    performOnNetworkThread([protectedSelf] { protectedSelf->cancelConnection(); });
}

void RQURLConnectionOperation::cancelConnection()
{
    std::shared_ptr<NSURLConnection> connection;
    std::shared_ptr<NSError> error;
    bool paused;
    {
        StateLocker lock(m_lock);
        error = NSURLErrorWithCode(NSURLErrorCancelled, m_state.request ? m_state.request->URL() : nullptr);
        if (isFinished())
            return;
        connection = m_state.connection;
        paused = isPaused();
        if (paused) {
            // The pause already announced the finish; finishing now must not announce it twice.
            m_state.error = error;
            if (m_state.outputStream)
                m_state.outputStream->close();
        }
    }
    if (paused) {
        finish(false);
        return;
    }
    if (connection) {
        connection->cancel();
        didFailWithError(*connection, error);
    }
}

bool RQURLConnectionOperation::answerServerTrust(const std::shared_ptr<NSURLAuthenticationChallenge>& challenge)
{
    auto trust = challenge->protectionSpace()->serverTrust();
    const auto mode = m_SSLPinningMode.load();
    if (mode == RQSSLPinningModeNone) {
        if (m_allowsInvalidSSLCertificate)
            return true;
        SecTrustResultType result = kSecTrustResultInvalid;
        return SecTrustEvaluate(trust, &result) == errSecSuccess
            && (result == kSecTrustResultProceed || result == kSecTrustResultUnspecified);
    }
    // A pin only counts on a chain that evaluates: the pinned certificates are trusted as anchors
    // beside the system's, and only the certificates the evaluation built the chain from are
    // matched, so a pinned certificate merely appended to a foreign chain is worth nothing.
    std::vector<SecCertificateRef> anchors;
    for (const auto& data : pinnedCertificates()) {
        if (auto certificate = SecCertificateCreateWithData(data))
            anchors.push_back(certificate);
    }
    SecTrustSetAnchorCertificates(trust, anchors);
    SecTrustSetAnchorCertificatesOnly(trust, false);
    SecTrustResultType result = kSecTrustResultInvalid;
    const bool trusted = SecTrustEvaluate(trust, &result) == errSecSuccess
        && (result == kSecTrustResultProceed || result == kSecTrustResultUnspecified);
    const NSInteger count = SecTrustGetCertificateCount(trust);
    if (mode == RQSSLPinningModeCertificate) {
        const auto pinned = pinnedCertificates();
        for (NSInteger i = 0; trusted && i < count; ++i) {
            auto data = SecCertificateCopyData(SecTrustGetCertificateAtIndex(trust, i));
            if (std::any_of(pinned.begin(), pinned.end(), [&](const auto& pin) { return pin->isEqualToData(data); }))
                return true;
        }
        NSLog("Error: Unknown Certificate during Pinning operation");
        return false;
    }
    const auto pinned = pinnedPublicKeys();
    for (NSInteger i = 0; trusted && i < count; ++i) {
        auto key = SecCertificateCopyPublicKey(SecTrustGetCertificateAtIndex(trust, i));
        if (key && std::any_of(pinned.begin(), pinned.end(), [&](const auto& pin) { return pin->isEqual(key); }))
            return true;
    }
    NSLog("Error: Unknown Public Key during Pinning operation");
    return false;
}

bool RQURLConnectionOperation::willSendRequestForAuthenticationChallenge(NSURLConnection& connection,
    const std::shared_ptr<NSURLAuthenticationChallenge>& challenge)
{
    AuthenticationChallengeBlock block;
    block = m_callbacks.lock()->authenticationChallenge;
    if (block) {
        block(&connection, challenge);
        return true;
    }
    auto sender = challenge->sender();
    if (!sender)
        return true;
    if (challenge->protectionSpace()->authenticationMethod() != NSURLAuthenticationMethodServerTrust) {
        auto offered = credential();
        if (challenge->previousFailureCount() == 0 && offered)
            sender->useCredential(offered, challenge);
        else
            sender->continueWithoutCredentialForAuthenticationChallenge(challenge);
        return true;
    }
    if (answerServerTrust(challenge))
        sender->useCredential(NSURLCredential::credentialForTrust(challenge->protectionSpace()->serverTrust()), challenge);
    else
        sender->cancelAuthenticationChallenge(challenge);
    return true;
}

std::optional<std::shared_ptr<NSURLRequest>> RQURLConnectionOperation::willSendRequest(NSURLConnection& connection,
    const std::shared_ptr<NSURLRequest>& request, const std::shared_ptr<NSURLResponse>& redirectResponse)
{
    RedirectResponseBlock block;
    block = m_callbacks.lock()->redirectResponse;
    return block ? block(&connection, request, redirectResponse) : request;
}

void RQURLConnectionOperation::didSendBodyData(NSURLConnection&, NSInteger bytesWritten, NSInteger totalBytesWritten,
    NSInteger totalBytesExpectedToWrite)
{
    ProgressBlock block;
    block = m_callbacks.lock()->uploadProgress;
    if (!block)
        return;
    performOnMainQueue([block, bytesWritten, totalBytesWritten, totalBytesExpectedToWrite] {
        block(static_cast<NSUInteger>(bytesWritten), totalBytesWritten, totalBytesExpectedToWrite);
    });
}

void RQURLConnectionOperation::didReceiveResponse(NSURLConnection& connection, const std::shared_ptr<NSURLResponse>& response)
{
    std::shared_ptr<NSOutputStream> stream;
    bool restarted;
    {
        StateLocker lock(m_lock);
        if (&connection != m_state.connection.get())
            return;
        m_state.response = response;
        restarted = std::exchange(m_state.restarted, false);
    }
    stream = outputStream();
    stream->open();
    if (restarted && !continuesReceivedBytes(response)) {
        stream->discardWrittenBytes();
        std::weak_ptr<RQURLConnectionOperation> weakSelf = self();
        performOnMainQueue([weakSelf] {
            if (auto operation = weakSelf.lock())
                operation->m_totalBytesRead = 0;
        });
    }
}

void RQURLConnectionOperation::failWithStreamError(NSURLConnection& connection, const std::shared_ptr<NSOutputStream>& stream)
{
    auto error = stream->streamError();
    if (!error)
        error = NSURLErrorWithCode(NSURLErrorCannotWriteToFile, request() ? request()->URL() : nullptr);
    std::shared_ptr<NSURLConnection> running;
    {
        StateLocker lock(m_lock);
        running = m_state.connection;
    }
    if (running)
        running->cancel();
    didFailWithError(connection, error);
}

void RQURLConnectionOperation::didReceiveData(NSURLConnection& connection, const std::shared_ptr<NSData>& data)
{
    auto stream = outputStream();
    bool failed = !stream->hasSpaceAvailable();
    {
        // Written under the lock so that a pause measures the bytes kept either before or
        // after a chunk, never in the middle of one.
        StateLocker lock(m_lock);
        if (&connection != m_state.connection.get())
            return;
        NSUInteger written = 0;
        while (!failed && written < data->length()) {
            NSInteger count = stream->write(data->bytes() + written, data->length() - written);
            // A failed write fails the load: carrying on would report a truncated body as success.
            failed = count <= 0;
            if (!failed)
                written += static_cast<NSUInteger>(count);
        }
    }
    if (failed) {
        failWithStreamError(connection, stream);
        return;
    }
    const NSUInteger length = data->length();
    const long long expected = response() ? response()->expectedContentLength() : -1;
    std::weak_ptr<RQURLConnectionOperation> weakSelf = self();
    performOnMainQueue([weakSelf, length, expected] {
        auto operation = weakSelf.lock();
        if (!operation)
            return;
        long long total = operation->m_totalBytesRead += static_cast<long long>(length);
        ProgressBlock block;
        block = operation->m_callbacks.lock()->downloadProgress;
        if (block)
            block(length, total, expected);
    });
}

std::optional<std::shared_ptr<NSCachedURLResponse>> RQURLConnectionOperation::willCacheResponse(NSURLConnection& connection,
    const std::shared_ptr<NSCachedURLResponse>& cachedResponse)
{
    CacheResponseBlock block;
    block = m_callbacks.lock()->cacheResponse;
    if (block)
        return block(&connection, cachedResponse);
    return isCancelled() ? nullptr : cachedResponse;
}

void RQURLConnectionOperation::connectionDidFinishLoading(NSURLConnection& connection)
{
    std::shared_ptr<NSURLConnection> finished;
    {
        StateLocker lock(m_lock);
        if (&connection != m_state.connection.get())
            return;
        finished = std::move(m_state.connection);
        auto stream = outputStreamLocked();
        // Closed first, a memory stream hands its bytes over instead of copying them.
        stream->close();
        m_state.responseData = ns::cast<NSData>(stream->propertyForKey(dataWrittenKey()));
    }
    finish(true);
}

void RQURLConnectionOperation::didFailWithError(NSURLConnection& connection, const std::shared_ptr<NSError>& error)
{
    std::shared_ptr<NSURLConnection> failed;
    {
        StateLocker lock(m_lock);
        if (&connection != m_state.connection.get() || isFinished())
            return;
        failed = std::move(m_state.connection);
        m_state.error = error;
        outputStreamLocked()->close();
    }
    finish(true);
}

NSString RQURLConnectionOperation::description() const
{
    StateLocker lock(m_lock);
    return NSString::stringWithFormat("<%s: %p, state: %s, cancelled: %s request: %@, response: %@>", className(),
        static_cast<const void*>(this), keyForState(m_state.state), isCancelled() ? "YES" : "NO", m_state.request, m_state.response);
}

std::shared_ptr<RQURLConnectionOperation> RQURLConnectionOperation::makeCopy(const std::shared_ptr<NSURLRequest>& request) const
{
    return RQURLConnectionOperation::create(request);
}

void RQURLConnectionOperation::copyCallbacksTo(RQURLConnectionOperation& other) const
{
    // Copied out first: the two operations' locks are never held together.
    Callbacks callbacks = *m_callbacks.lock();
    *other.m_callbacks.lock() = std::move(callbacks);
    other.m_allowsInvalidSSLCertificate = m_allowsInvalidSSLCertificate.load();
}

id RQURLConnectionOperation::copy() const
{
    auto operation = makeCopy(request());
    copyCallbacksTo(*operation);
    return operation;
}

void RQURLConnectionOperation::encodeWithCoder(NSCoder& coder) const
{
    // The archiver hands the operation over as const, but archiving pauses it all the same: a
    // transfer cannot be stored, only the request that restarts it.
    std::const_pointer_cast<RQURLConnectionOperation>(self())->pause();
    auto request = requestForArchiving();
    RQOperationState state;
    bool cancelled;
    std::shared_ptr<NSURLResponse> response;
    std::shared_ptr<NSError> error;
    std::shared_ptr<NSData> responseData;
    {
        StateLocker lock(m_lock);
        state = m_state.state == RQOperationPausedState || m_state.state == RQOperationExecutingState ? RQOperationReadyState : m_state.state;
        cancelled = isCancelled();
        response = m_state.response;
        error = m_state.error;
        responseData = m_state.responseData;
    }
    coder.encodeObject(request, "request");
    coder.encodeInteger(state, "state");
    coder.encodeBool(cancelled, "isCancelled");
    coder.encodeObject(response, "response");
    coder.encodeObject(error, "error");
    coder.encodeObject(responseData, "responseData");
    coder.encodeObject(NSNumber::numberWithLongLong(m_totalBytesRead), "totalBytesRead");
    coder.encodeObject(NSNumber::numberWithBool(m_allowsInvalidSSLCertificate), "allowsInvalidSSLCertificate");
}

bool RQURLConnectionOperation::init(NSCoder& coder)
{
    std::shared_ptr<NSURLRequest> request;
    std::shared_ptr<NSURLResponse> response;
    std::shared_ptr<NSError> error;
    std::shared_ptr<NSData> responseData;
    std::shared_ptr<NSNumber> totalBytesRead;
    std::shared_ptr<NSNumber> allowsInvalidSSLCertificate;
    if (!ns::decodeOptional(coder, "request", request) || !request || !ns::decodeOptional(coder, "response", response)
        || !ns::decodeOptional(coder, "error", error) || !ns::decodeOptional(coder, "responseData", responseData)
        || !ns::decodeOptional(coder, "totalBytesRead", totalBytesRead)
        || !ns::decodeOptional(coder, "allowsInvalidSSLCertificate", allowsInvalidSSLCertificate))
        return false;

    init(request);
    // The state goes through the transition rules before the cancelled flag is back, so a stored
    // finished state leaves the operation ready to run again. No archive can hold a running
    // connection: an executing state would never finish, so it comes back as ready.
    const std::int64_t stored = coder.decodeInt64ForKey("state");
    if (stored == RQOperationPausedState || stored == RQOperationFinishedState)
        setState(static_cast<RQOperationState>(stored));
    // Only the flag: there is no connection to cancel yet.
    if (coder.decodeBoolForKey("isCancelled"))
        NSOperation::cancel();

    StateLocker lock(m_lock);
    m_state.response = response;
    m_state.error = error;
    m_state.responseData = responseData;
    m_totalBytesRead = totalBytesRead ? totalBytesRead->longLongValue() : 0;
    m_allowsInvalidSSLCertificate = allowsInvalidSSLCertificate && allowsInvalidSSLCertificate->boolValue();
    return true;
}
