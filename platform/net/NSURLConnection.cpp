#include "platform/net/NSURLConnection.h"

#include "platform/net/NSURLProtectionSpace.h"
#include "platform/net/URLTransfer.h"

#include <algorithm>

void NSURLConnectionDelegate::didReceiveAuthenticationChallenge(NSURLConnection&,
    const std::shared_ptr<NSURLAuthenticationChallenge>& challenge)
{
    if (auto sender = challenge->sender())
        sender->continueWithoutCredentialForAuthenticationChallenge(challenge);
}

std::shared_ptr<NSURLConnection> NSURLConnection::connectionWithRequest(const std::shared_ptr<NSURLRequest>& request,
    const std::shared_ptr<NSURLConnectionDelegate>& delegate)
{
    return create(request, delegate, true);
}

void NSURLConnection::init(const std::shared_ptr<NSURLRequest>& request, const std::shared_ptr<NSURLConnectionDelegate>& delegate,
    bool startImmediately)
{
    m_originalRequest = request ? request->copyRequest() : nullptr;
    {
        MutexLocker lock(m_mutex);
        m_delegate = delegate;
    }
    if (startImmediately)
        start();
}

NSURLConnection::~NSURLConnection() = default;

std::shared_ptr<NSURLRequest> NSURLConnection::currentRequest() const
{
    MutexLocker lock(m_mutex);
    if (m_transfer && m_transfer->currentRequest())
        return m_transfer->currentRequest();
    return m_originalRequest;
}

void NSURLConnection::scheduleInRunLoop(const std::shared_ptr<NSRunLoop>& runLoop, const NSRunLoopMode& mode)
{
    if (!runLoop || mode.isNil() || m_started)
        return;
    MutexLocker lock(m_mutex);
    if (m_runLoop && m_runLoop != runLoop)
        return;
    m_runLoop = runLoop;
    const std::string name = mode.UTF8String();
    if (std::find(m_modes.begin(), m_modes.end(), name) == m_modes.end())
        m_modes.push_back(name);
}

void NSURLConnection::unscheduleFromRunLoop(const std::shared_ptr<NSRunLoop>& runLoop, const NSRunLoopMode& mode)
{
    if (mode.isNil() || m_started)
        return;
    MutexLocker lock(m_mutex);
    if (runLoop != m_runLoop)
        return;
    std::erase(m_modes, std::string(mode.UTF8String()));
    if (m_modes.empty())
        m_runLoop = nullptr;
}

std::vector<NSRunLoopMode> NSURLConnection::modes() const
{
    std::vector<NSRunLoopMode> modes;
    for (const auto& mode : m_modes)
        modes.emplace_back(mode);
    return modes;
}

bool NSURLConnection::isOnRunLoopThread() const
{
    std::shared_ptr<NSRunLoop> runLoop;
    {
        MutexLocker lock(m_mutex);
        runLoop = m_runLoop;
    }
    return runLoop && runLoop == NSRunLoop::currentRunLoop();
}

void NSURLConnection::start()
{
    if (m_started.exchange(true) || m_cancelled)
        return;
    std::shared_ptr<NSRunLoop> runLoop;
    std::vector<NSRunLoopMode> modeList;
    {
        MutexLocker lock(m_mutex);
        if (!m_runLoop || m_modes.empty()) {
            m_runLoop = NSRunLoop::currentRunLoop();
            m_modes = { NSDefaultRunLoopMode };
        }
        runLoop = m_runLoop;
        modeList = modes();
    }
    if (runLoop == NSRunLoop::currentRunLoop()) {
        startOnRunLoop();
        return;
    }
    auto protectedSelf = self();
    runLoop->performInModes(modeList, [protectedSelf] { protectedSelf->startOnRunLoop(); });
}

void NSURLConnection::startOnRunLoop()
{
    if (m_cancelled)
        return;
    std::vector<std::string> modeNames;
    {
        MutexLocker lock(m_mutex);
        modeNames = m_modes;
    }
    auto transfer = std::make_shared<URLTransfer>(self(), URLTransferLoop::current(modeNames));
    {
        MutexLocker lock(m_mutex);
        m_transfer = transfer;
    }
    transfer->begin();
}

void NSURLConnection::cancel()
{
    if (m_cancelled.exchange(true))
        return;
    std::shared_ptr<URLTransfer> transfer;
    std::shared_ptr<NSRunLoop> runLoop;
    std::vector<NSRunLoopMode> modeList;
    std::shared_ptr<NSURLConnectionDelegate> delegate;
    {
        MutexLocker lock(m_mutex);
        transfer = m_transfer;
        runLoop = m_runLoop;
        modeList = modes();
        delegate = std::move(m_delegate);
    }
    if (!transfer)
        return;
    if (isOnRunLoopThread()) {
        transfer->cancel();
        return;
    }
    runLoop->performInModes(modeList, [transfer] { transfer->cancel(); });
}

void NSURLConnection::useCredential(const std::shared_ptr<NSURLCredential>& credential,
    const std::shared_ptr<NSURLAuthenticationChallenge>& challenge)
{
    std::shared_ptr<URLTransfer> transfer;
    std::shared_ptr<NSRunLoop> runLoop;
    std::vector<NSRunLoopMode> modeList;
    {
        MutexLocker lock(m_mutex);
        transfer = m_transfer;
        runLoop = m_runLoop;
        modeList = modes();
    }
    if (!transfer)
        return;
    auto answer = [transfer, credential, challenge] { transfer->answerChallenge(URLTransfer::Answer::useCredential, credential, challenge); };
    if (isOnRunLoopThread())
        answer();
    else
        runLoop->performInModes(modeList, answer);
}

void NSURLConnection::continueWithoutCredentialForAuthenticationChallenge(const std::shared_ptr<NSURLAuthenticationChallenge>& challenge)
{
    std::shared_ptr<URLTransfer> transfer;
    std::shared_ptr<NSRunLoop> runLoop;
    std::vector<NSRunLoopMode> modeList;
    {
        MutexLocker lock(m_mutex);
        transfer = m_transfer;
        runLoop = m_runLoop;
        modeList = modes();
    }
    if (!transfer)
        return;
    auto answer = [transfer, challenge] { transfer->answerChallenge(URLTransfer::Answer::withoutCredential, nullptr, challenge); };
    if (isOnRunLoopThread())
        answer();
    else
        runLoop->performInModes(modeList, answer);
}

void NSURLConnection::cancelAuthenticationChallenge(const std::shared_ptr<NSURLAuthenticationChallenge>& challenge)
{
    std::shared_ptr<URLTransfer> transfer;
    std::shared_ptr<NSRunLoop> runLoop;
    std::vector<NSRunLoopMode> modeList;
    {
        MutexLocker lock(m_mutex);
        transfer = m_transfer;
        runLoop = m_runLoop;
        modeList = modes();
    }
    if (!transfer)
        return;
    auto answer = [transfer, challenge] { transfer->answerChallenge(URLTransfer::Answer::cancel, nullptr, challenge); };
    if (isOnRunLoopThread())
        answer();
    else
        runLoop->performInModes(modeList, answer);
}
