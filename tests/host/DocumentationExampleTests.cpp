// The screen example of docs/platform.md, kept compiling and true.

#include "platform/host/HeadlessHost.h"
#include "platform/uikit/UITapGestureRecognizer.h"

#include <gtest/gtest.h>

namespace {

class CounterViewController : public UIViewController {
    NS_OBJECT(CounterViewController, UIViewController)
public:
    void viewDidLoad() override
    {
        view()->setBackgroundColor(UIColor::whiteColor());
        m_badge = UIView::create(CGRectMake(110, 200, 100, 100));
        m_badge->setBackgroundColor(UIColor::colorWithRed(0, 0.65, 0.82, 1));
        view()->addSubview(m_badge);
        m_badge->addGestureRecognizer(UITapGestureRecognizer::create(self(), &CounterViewController::badgeTapped));
    }
    void badgeTapped(UITapGestureRecognizer&)
    {
        ++m_taps;
        UIView::animateWithDuration(0.3, [this] { m_badge->setAlpha(m_taps % 2 ? 0.5 : 1); });
    }
    int taps() const { return m_taps; }

private:
    std::shared_ptr<UIView> m_badge;
    int m_taps { 0 };
};

} // namespace

TEST(DocumentationExample, theCounterScreenCountsTapsAndFades)
{
    auto host = HeadlessHost::create();
    auto screen = CounterViewController::create();
    host->showRootViewController(screen);
    host->tap(CGPointMake(160, 250));
    host->runUntilIdle();
    EXPECT_EQ(screen->taps(), 1);
    EXPECT_EQ(host->pixelAt(CGPointMake(160, 250))[3], 255);
    // Half the badge's blue over white.
    EXPECT_NEAR(host->pixelAt(CGPointMake(160, 250))[0], 128, 2);
    host->tap(CGPointMake(20, 20));
    EXPECT_EQ(screen->taps(), 1);
    EXPECT_NE(host->viewTree().find("UIView {{110, 200}, {100, 100}}"), std::string::npos);
}
