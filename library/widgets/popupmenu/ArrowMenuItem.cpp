#include "library/widgets/popupmenu/ArrowMenuItem.h"

#include "platform/dispatch/dispatch.h"
#include "platform/foundation/NSThread.h"

void ArrowMenuItem::init(const NSString& title, const UIImageRef& image, const std::shared_ptr<NSObject>& target, Action action,
    NSInteger index)
{
    m_title = title;
    m_image = image;
    m_target = target;
    m_action = std::move(action);
    m_index = index;
}

bool ArrowMenuItem::enabled() const { return m_target.lock() && m_action; }

void ArrowMenuItem::performAction()
{
    auto target = m_target.lock();
    if (!target || !m_action)
        return;
    if (NSThread::isMainThread()) {
        m_action(*this);
        return;
    }
    auto protectedSelf = self();
    dispatch_sync(dispatch_get_main_queue(), [protectedSelf] { protectedSelf->m_action(*protectedSelf); });
}

NSString ArrowMenuItem::description() const
{
    return NSString::stringWithFormat("<%s #%p %@>", className(), static_cast<const void*>(this), m_title.isNil() ? NSString("") : m_title);
}
