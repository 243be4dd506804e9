#pragma once
// The view that marks a place on a map: here only the picture it shows, drawn at its size.

#include "platform/uikit/UIImage.h"
#include "platform/uikit/UIView.h"

class MKAnnotationView : public UIView {
    NS_OBJECT(MKAnnotationView, UIView)
public:
    const UIImageRef& image() const { return m_image; }
    // The view takes the image's size, as the platform's annotation views do.
    void setImage(const UIImageRef& image);

protected:
    void init(CGRect frame) override { UIView::init(frame); }
    void drawRect(CGRect rect) override;

private:
    UIImageRef m_image;
};
