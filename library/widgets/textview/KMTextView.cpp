#include "library/widgets/textview/KMTextView.h"

#include "platform/foundation/NSNotificationCenter.h"

#include <algorithm>

void KMTextView::init(CGRect frame)
{
    UITextView::init(frame);
    // Edits reach the placeholder through the change notification, not only through the
    // delegate reads that happen to come with them.
    NSNotificationCenter::defaultCenter()->addObserver(self(), &KMTextView::textDidChange, UITextViewTextDidChangeNotification, self());
}

KMTextView::~KMTextView() { NSNotificationCenter::defaultCenter()->removeObserver(this); }

void KMTextView::setPlaceholder(const NSString& placeholder)
{
    m_placeholder = placeholder;
    if (!m_placeHolderLabel) {
        m_placeHolderLabel = UILabel::create(CGRectInset(bounds(), 8, 8));
        m_placeHolderLabel->setAutoresizingMask(UIViewAutoresizingFlexibleWidth);
        m_placeHolderLabel->setLineBreakMode(NSLineBreakByWordWrapping);
        m_placeHolderLabel->setNumberOfLines(0);
        m_placeHolderLabel->setFont(font());
        m_placeHolderLabel->setBackgroundColor(UIColor::clearColor());
        m_placeHolderLabel->setTextColor(UIColor::colorWithWhite(0.7, 1.0));
        m_placeHolderLabel->setAlpha(0);
        addSubview(m_placeHolderLabel);
    }
    m_placeHolderLabel->setText(m_placeholder);
    // The label is as high as its text, so the placeholder starts where typed text starts
    // instead of floating in the middle of a tall view.
    const CGRect room = CGRectInset(bounds(), 8, 8);
    const CGSize fitting = m_placeHolderLabel->sizeThatFits(CGSizeMake(room.size.width, room.size.height));
    m_placeHolderLabel->setFrame(CGRectMake(room.origin.x, room.origin.y, room.size.width, std::min(fitting.height, room.size.height)));
    refreshPlaceholder();
}

void KMTextView::refreshPlaceholder() const
{
    if (m_placeHolderLabel)
        m_placeHolderLabel->setAlpha(text().length() ? 0 : 1);
}

void KMTextView::setText(const NSString& text)
{
    UITextView::setText(text);
    refreshPlaceholder();
}

void KMTextView::setFont(const UIFontRef& font)
{
    UITextView::setFont(font);
    if (m_placeHolderLabel) {
        m_placeHolderLabel->setFont(this->font());
        setPlaceholder(m_placeholder);
    }
}

std::shared_ptr<UITextViewDelegate> KMTextView::delegate() const
{
    refreshPlaceholder();
    return UITextView::delegate();
}

void KMTextView::textDidChange() { refreshPlaceholder(); }
