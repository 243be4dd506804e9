#pragma once
// A challenge the loading system puts to a connection's delegate, answered once through its
// sender: with a credential, without one, or by cancelling the load.

#include "platform/net/NSURLCredential.h"
#include "platform/net/NSURLProtectionSpace.h"

class NSError;
class NSURLAuthenticationChallenge;
class NSURLResponse;

class NSURLAuthenticationChallengeSender {
public:
    virtual ~NSURLAuthenticationChallengeSender() = default;
    virtual void useCredential(const std::shared_ptr<NSURLCredential>& credential,
        const std::shared_ptr<NSURLAuthenticationChallenge>& challenge) = 0;
    virtual void continueWithoutCredentialForAuthenticationChallenge(const std::shared_ptr<NSURLAuthenticationChallenge>& challenge) = 0;
    virtual void cancelAuthenticationChallenge(const std::shared_ptr<NSURLAuthenticationChallenge>& challenge) = 0;
};

class NSURLAuthenticationChallenge final : public NSObject {
    NS_OBJECT(NSURLAuthenticationChallenge, NSObject)
public:
    const std::shared_ptr<NSURLProtectionSpace>& protectionSpace() const { return m_protectionSpace; }
    const std::shared_ptr<NSURLCredential>& proposedCredential() const { return m_proposedCredential; }
    NSInteger previousFailureCount() const { return m_previousFailureCount; }
    const std::shared_ptr<NSURLResponse>& failureResponse() const { return m_failureResponse; }
    const std::shared_ptr<NSError>& error() const { return m_error; }
    // Nil once the challenge's load has ended.
    std::shared_ptr<NSURLAuthenticationChallengeSender> sender() const { return m_sender.lock(); }

protected:
    void init(const std::shared_ptr<NSURLProtectionSpace>& protectionSpace, const std::shared_ptr<NSURLCredential>& proposedCredential,
        NSInteger previousFailureCount, const std::shared_ptr<NSURLResponse>& failureResponse,
        const std::shared_ptr<NSURLAuthenticationChallengeSender>& sender)
    {
        m_protectionSpace = protectionSpace;
        m_proposedCredential = proposedCredential;
        m_previousFailureCount = previousFailureCount;
        m_failureResponse = failureResponse;
        m_sender = sender;
    }

private:
    std::shared_ptr<NSURLProtectionSpace> m_protectionSpace;
    std::shared_ptr<NSURLCredential> m_proposedCredential;
    NSInteger m_previousFailureCount { 0 };
    std::shared_ptr<NSURLResponse> m_failureResponse;
    std::shared_ptr<NSError> m_error;
    std::weak_ptr<NSURLAuthenticationChallengeSender> m_sender;
};
