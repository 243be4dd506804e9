#include "platform/mapkit/MKAnnotationView.h"

#include "platform/foundation/NSAssertMainThread.h"

void MKAnnotationView::setImage(const UIImageRef& image)
{
    NSAssertMainThread();
    m_image = image;
    CGRect bounds = this->bounds();
    bounds.size = image ? image->size() : CGSizeZero;
    setBounds(bounds);
    setNeedsDisplay();
}

void MKAnnotationView::drawRect(CGRect rect)
{
    if (m_image)
        m_image->drawInRect(bounds());
    else
        UIView::drawRect(rect);
}
