#include "library/network/request/RQNetworkActivityIndicatorManager.h"

#include "library/network/request/RQURLConnectionOperation.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/foundation/NeverDestroyed.h"
#include "platform/uikit/UIApplication.h"

std::shared_ptr<RQNetworkActivityIndicatorManager> RQNetworkActivityIndicatorManager::sharedManager()
{
    static const NeverDestroyed<std::shared_ptr<RQNetworkActivityIndicatorManager>> instance(RQNetworkActivityIndicatorManager::create());
    return instance.get();
}

void RQNetworkActivityIndicatorManager::init()
{
    auto center = NSNotificationCenter::defaultCenter();
    auto self = std::static_pointer_cast<RQNetworkActivityIndicatorManager>(NSObject::self());
    center->addObserver(self, &RQNetworkActivityIndicatorManager::networkingOperationDidStart, RQNetworkingOperationDidStartNotification, nullptr);
    center->addObserver(self, &RQNetworkActivityIndicatorManager::networkingOperationDidFinish, RQNetworkingOperationDidFinishNotification, nullptr);
}

RQNetworkActivityIndicatorManager::~RQNetworkActivityIndicatorManager()
{
    if (m_activityIndicatorVisibilityTimer)
        m_activityIndicatorVisibilityTimer->invalidate();
}

NSInteger RQNetworkActivityIndicatorManager::activityCount() const
{
    MutexLocker lock(m_mutex);
    return m_activityCount;
}

void RQNetworkActivityIndicatorManager::setActivityCount(NSInteger count)
{
    changeActivityCount([count](NSInteger) { return count; });
}

void RQNetworkActivityIndicatorManager::incrementActivityCount()
{
    changeActivityCount([](NSInteger count) { return count + 1; });
}

void RQNetworkActivityIndicatorManager::decrementActivityCount()
{
    changeActivityCount([](NSInteger count) { return std::max<NSInteger>(count - 1, 0); });
}

void RQNetworkActivityIndicatorManager::changeActivityCount(const std::function<NSInteger(NSInteger)>& change)
{
    {
        // Read and written under one hold: operations finish on several threads at once.
        MutexLocker lock(m_mutex);
        m_activityCount = change(m_activityCount);
    }
    m_keyObservers.announce("activityCount");
    m_keyObservers.announce("isNetworkActivityIndicatorVisible");
    std::weak_ptr<RQNetworkActivityIndicatorManager> weakSelf = std::static_pointer_cast<RQNetworkActivityIndicatorManager>(self());
    dispatch_async(dispatch_get_main_queue(), [weakSelf] {
        if (auto strong = weakSelf.lock())
            strong->updateNetworkActivityIndicatorVisibilityDelayed();
    });
}

void RQNetworkActivityIndicatorManager::updateNetworkActivityIndicatorVisibilityDelayed()
{
    if (!m_enabled)
        return;
    if (isNetworkActivityIndicatorVisible()) {
        updateNetworkActivityIndicatorVisibility();
        return;
    }
    if (m_activityIndicatorVisibilityTimer)
        m_activityIndicatorVisibilityTimer->invalidate();
    std::weak_ptr<RQNetworkActivityIndicatorManager> weakSelf = std::static_pointer_cast<RQNetworkActivityIndicatorManager>(self());
    m_activityIndicatorVisibilityTimer = NSTimer::timerWithTimeInterval(0.17, [weakSelf](const std::shared_ptr<NSTimer>&) {
        if (auto strong = weakSelf.lock())
            strong->updateNetworkActivityIndicatorVisibility();
    }, false);
    NSRunLoop::mainRunLoop()->addTimer(m_activityIndicatorVisibilityTimer, NSRunLoopCommonModes);
}

void RQNetworkActivityIndicatorManager::updateNetworkActivityIndicatorVisibility()
{
    if (auto application = UIApplication::sharedApplication())
        application->setNetworkActivityIndicatorVisible(isNetworkActivityIndicatorVisible());
}

void RQNetworkActivityIndicatorManager::networkingOperationDidStart(const std::shared_ptr<NSNotification>& notification)
{
    auto operation = std::dynamic_pointer_cast<RQURLConnectionOperation>(notification->object());
    if (operation && operation->request() && operation->request()->URL())
        incrementActivityCount();
}

void RQNetworkActivityIndicatorManager::networkingOperationDidFinish(const std::shared_ptr<NSNotification>& notification)
{
    auto operation = std::dynamic_pointer_cast<RQURLConnectionOperation>(notification->object());
    if (operation && operation->request() && operation->request()->URL())
        decrementActivityCount();
}

NSUInteger RQNetworkActivityIndicatorManager::addObserverForKeyPath(const NSString& keyPath, KeyObserver observer)
{
    return m_keyObservers.add(keyPath, std::move(observer));
}

void RQNetworkActivityIndicatorManager::removeObserverForKeyPath(NSUInteger token)
{
    m_keyObservers.remove(token);
}
