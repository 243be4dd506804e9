#include "platform/uikit/UIScreen.h"

#include "platform/graphics/UIGraphics.h"
#include "platform/uikit/UIApplication.h"

const std::shared_ptr<UIScreen>& UIScreen::mainScreen()
{
    static const auto screen = create();
    return screen;
}

void UIScreen::init()
{
    UIGraphicsSetMainScreenScale(scale());
}

const CALayerRef& UIScreen::layer() const
{
    // Made on first use: decoders on other threads read the scale of a screen whose layer,
    // a main-thread object, they never touch.
    if (!m_layer) {
        m_layer = CALayer::create();
        m_layer->setBounds(bounds());
        m_layer->setAnchorPoint({ 0, 0 });
        m_layer->setPosition({ 0, 0 });
        m_layer->setContentsScale(scale());
    }
    return m_layer;
}

CGRect UIScreen::applicationFrame() const
{
    const CGFloat bar = UIApplication::sharedApplication()->statusBarFrame().size.height;
    CGRect frame = bounds();
    frame.origin.y += bar;
    frame.size.height -= bar;
    return frame;
}
