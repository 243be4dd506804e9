#pragma once
// One object inside the flow of a rich label's text: a picture (UIImage) or a whole view, with
// the empty margin around it, its vertical place in the line (0 top, 1 centre, 2 bottom) and a
// size limit that shrinks it, keeping its proportions (a zero side means no limit). The label
// copies its font's ascent and descent in, so the line reserves exactly the attachment's box.

#include "platform/text/CTRunDelegate.h"
#include "platform/uikit/UIGeometry.h"

class RAAttributedLabelAttachment : public NSObject {
    NS_OBJECT(RAAttributedLabelAttachment, NSObject)
public:
    // attachmentWith:margin:alignment:maxSize:
    static std::shared_ptr<RAAttributedLabelAttachment> attachmentWith(const id& content, UIEdgeInsets margin, std::int32_t alignment,
        CGSize maxSize)
    {
        return create(content, margin, alignment, maxSize);
    }

    const id& content() const { return m_content; }
    void setContent(const id& content) { m_content = content; }
    UIEdgeInsets margin() const { return m_margin; }
    void setMargin(UIEdgeInsets margin) { m_margin = margin; }
    std::int32_t alignment() const { return m_alignment; }
    void setAlignment(std::int32_t alignment) { m_alignment = alignment; }
    CGFloat fontAscent() const { return m_fontAscent; }
    void setFontAscent(CGFloat ascent) { m_fontAscent = ascent; }
    CGFloat fontDescent() const { return m_fontDescent; }
    void setFontDescent(CGFloat descent) { m_fontDescent = descent; }
    CGSize maxSize() const { return m_maxSize; }
    void setMaxSize(CGSize size) { m_maxSize = size; }

    // The content's own size: an image's size, a view's bounds, zero for anything else.
    CGSize attachmentSize() const;
    // The content fitted into maxSize; never enlarged.
    CGSize calculateContentSize() const;
    // The room taken in the line, margins included.
    CGSize boxSize() const;
    CGFloat runAscent() const;
    CGFloat runDescent() const;

    // The run-delegate callbacks; the reference constant is the attachment, which the label's
    // attachment list keeps alive.
    static const CTRunDelegateCallbacks& runDelegateCallbacks();

protected:
    void init(const id& content, UIEdgeInsets margin, std::int32_t alignment, CGSize maxSize);

private:
    id m_content;
    UIEdgeInsets m_margin { 0, 0, 0, 0 };
    std::int32_t m_alignment { 0 };
    CGFloat m_fontAscent { 0 };
    CGFloat m_fontDescent { 0 };
    CGSize m_maxSize { 0, 0 };
};

using RAAttributedLabelAttachmentRef = std::shared_ptr<RAAttributedLabelAttachment>;

void RARunDelegateDeallocCallback(void* refCon);
CGFloat RARunDelegateAscentCallback(void* refCon);
CGFloat RARunDelegateDescentCallback(void* refCon);
CGFloat RARunDelegateWidthCallback(void* refCon);
