#include "platform/text/CTRunDelegate.h"

#include <cmath>

namespace {

CGFloat answer(CGFloat (*callback)(void*), void* refCon)
{
    if (!callback)
        return 0;
    const CGFloat value = callback(refCon);
    // A bad answer must not break the line it sits in.
    return std::isfinite(value) && value > 0 ? value : 0;
}

} // namespace

bool CTRunDelegate::init(const CTRunDelegateCallbacks& callbacks, void* refCon)
{
    if (callbacks.version != kCTRunDelegateVersion1)
        return false;
    m_callbacks = callbacks;
    m_refCon = refCon;
    return true;
}

CTRunDelegate::~CTRunDelegate()
{
    if (m_callbacks.dealloc)
        m_callbacks.dealloc(m_refCon);
}

CGFloat CTRunDelegate::ascent() const { return answer(m_callbacks.getAscent, m_refCon); }
CGFloat CTRunDelegate::descent() const { return answer(m_callbacks.getDescent, m_refCon); }
CGFloat CTRunDelegate::width() const { return answer(m_callbacks.getWidth, m_refCon); }

CTRunDelegateRef CTRunDelegateCreate(const CTRunDelegateCallbacks* callbacks, void* refCon)
{
    if (!callbacks)
        return nullptr;
    return CTRunDelegate::create(*callbacks, refCon);
}

void* CTRunDelegateGetRefCon(const CTRunDelegateRef& runDelegate)
{
    return runDelegate ? runDelegate->refCon() : nullptr;
}
