#include "library/widgets/richlabel/RAAttributedLabelAttachment.h"

#include "platform/uikit/UIImage.h"
#include "platform/uikit/UIView.h"

void RAAttributedLabelAttachment::init(const id& content, UIEdgeInsets margin, std::int32_t alignment, CGSize maxSize)
{
    setContent(content);
    setMargin(margin);
    setAlignment(alignment);
    setMaxSize(maxSize);
}

CGSize RAAttributedLabelAttachment::attachmentSize() const
{
    if (auto image = ns::cast<UIImage>(m_content))
        return image->size();
    if (auto view = ns::cast<UIView>(m_content))
        return view->bounds().size;
    return CGSizeZero;
}

CGSize RAAttributedLabelAttachment::calculateContentSize() const
{
    const CGSize size = attachmentSize();
    const CGFloat w = size.width, h = size.height, W = m_maxSize.width, H = m_maxSize.height;
    if (w <= W && h <= H)
        return size;
    if (w / h > W / H)
        return CGSizeMake(W, h * W / w);
    return CGSizeMake(w * H / h, H);
}

CGSize RAAttributedLabelAttachment::boxSize() const
{
    CGSize size = attachmentSize();
    if (m_maxSize.width > 0 && m_maxSize.height > 0 && size.width > 0 && size.height > 0)
        size = calculateContentSize();
    return CGSizeMake(size.width + m_margin.left + m_margin.right, size.height + m_margin.top + m_margin.bottom);
}

CGFloat RAAttributedLabelAttachment::runAscent() const
{
    const CGFloat b = boxSize().height;
    switch (m_alignment) {
    case 0:
        return m_fontAscent;
    case 1:
        return b / 2 + ((m_fontAscent + m_fontDescent) / 2 - m_fontDescent);
    case 2:
        return b - m_fontDescent;
    default:
        return 0;
    }
}

CGFloat RAAttributedLabelAttachment::runDescent() const
{
    const CGFloat b = boxSize().height;
    switch (m_alignment) {
    case 0:
        return b - m_fontAscent;
    case 1:
        return b / 2 - ((m_fontAscent + m_fontDescent) / 2 - m_fontDescent);
    case 2:
        return m_fontDescent;
    default:
        return 0;
    }
}

const CTRunDelegateCallbacks& RAAttributedLabelAttachment::runDelegateCallbacks()
{
    static const CTRunDelegateCallbacks callbacks = [] {
        CTRunDelegateCallbacks table;
        table.version = kCTRunDelegateVersion1;
        table.dealloc = RARunDelegateDeallocCallback;
        table.getAscent = RARunDelegateAscentCallback;
        table.getDescent = RARunDelegateDescentCallback;
        table.getWidth = RARunDelegateWidthCallback;
        return table;
    }();
    return callbacks;
}

void RARunDelegateDeallocCallback(void*) { }

CGFloat RARunDelegateAscentCallback(void* refCon)
{
    return static_cast<const RAAttributedLabelAttachment*>(refCon)->runAscent();
}

CGFloat RARunDelegateDescentCallback(void* refCon)
{
    return static_cast<const RAAttributedLabelAttachment*>(refCon)->runDescent();
}

CGFloat RARunDelegateWidthCallback(void* refCon)
{
    return static_cast<const RAAttributedLabelAttachment*>(refCon)->boxSize().width;
}
