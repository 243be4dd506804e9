#include "app/screens/base/UnderlayNavigationBar.h"

#include "platform/uikit/UIColor.h"

const std::shared_ptr<UIView>& UnderlayNavigationBar::underlayView()
{
    if (!m_underlayView) {
        const CGSize size = bounds().size;
        m_underlayView = UIView::create(CGRectMake(0, -20, size.width, size.height + 20));
        m_underlayView->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
        m_underlayView->setBackgroundColor(UIColor::colorWithRed(0, 0.34, 0.62, 1));
        m_underlayView->setAlpha(0.36);
        m_underlayView->setUserInteractionEnabled(false);
    }
    return m_underlayView;
}

void UnderlayNavigationBar::didAddSubview(const std::shared_ptr<UIView>& subview)
{
    UINavigationBar::didAddSubview(subview);
    if (subview == underlayView())
        return;
    // Removing and inserting the underlay adds a subview again: this call then returns above.
    auto underlay = underlayView();
    underlay->removeFromSuperview();
    insertSubview(underlay, 1);
}
