#include "platform/host/StatusBarOverlay.h"

#include "platform/foundation/NSDate.h"
#include "platform/foundation/NSDateFormatter.h"
#include "platform/graphics/UIGraphics.h"
#include "platform/layers/CATransaction.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIScreen.h"

namespace {

std::shared_ptr<CATextLayer> text(CGRect frame, const char* alignment)
{
    auto layer = CATextLayer::layer();
    layer->setFrame(frame);
    layer->setFontSize(12);
    layer->setAlignmentMode(alignment);
    layer->setContentsScale(UIGraphicsGetMainScreenScale());
    return layer;
}

} // namespace

void StatusBarOverlay::init()
{
    const CGFloat width = UIScreen::mainScreen()->bounds().size.width;
    m_layer = CALayer::create();
    m_layer->setFrame(CGRectMake(0, 0, width, 20));
    // Above every window, whatever order they come in.
    m_layer->setZPosition(1e6);
    m_carrier = text(CGRectMake(6, 3, 120, 16), kCAAlignmentLeft);
    m_clock = text(CGRectMake(width / 2 - 40, 3, 80, 16), kCAAlignmentCenter);
    m_battery = text(CGRectMake(width - 126, 3, 120, 16), kCAAlignmentRight);
    m_battery->setString(NSString("100%"));
    m_layer->addSublayer(m_carrier);
    m_layer->addSublayer(m_clock);
    m_layer->addSublayer(m_battery);
    std::weak_ptr<StatusBarOverlay> weakSelf = self();
    m_minuteTimer = NSTimer::scheduledTimerWithTimeInterval(15, [weakSelf](const auto&) {
        if (auto strongSelf = weakSelf.lock())
            strongSelf->update();
    }, true);
    update();
}

StatusBarOverlay::~StatusBarOverlay()
{
    if (m_minuteTimer)
        m_minuteTimer->invalidate();
    m_layer->removeFromSuperlayer();
}

void StatusBarOverlay::update()
{
    auto application = UIApplication::sharedApplication();
    CATransaction::begin();
    CATransaction::setDisableActions(true);
    m_layer->setHidden(application->isStatusBarHidden());
    const CGFloat shade = application->statusBarStyle() == UIStatusBarStyle::LightContent ? 1 : 0;
    for (const auto& layer : { m_carrier, m_clock, m_battery })
        layer->setForegroundColor(CGColorCreateGenericGray(shade, 1));
    m_carrier->setString(NSString(application->isNetworkActivityIndicatorVisible() ? "Corvane ⟳" : "Corvane"));
    static const auto formatter = [] {
        auto made = NSDateFormatter::create();
        made->setDateFormat("HH:mm");
        return made;
    }();
    m_clock->setString(formatter->stringFromDate(NSDate::date()));
    CATransaction::commit();
}
