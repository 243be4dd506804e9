#include "platform/graphics/CGBitmapContext.h"
#include "platform/layers/CALayer.h"
#include "platform/layers/CALayerDelegate.h"

#include <gtest/gtest.h>

namespace {

// Holds the only reference to its layer and lets go of it inside each call, as a view that
// takes itself out of its window would.
class LetsGoOfItsLayer : public CALayerDelegate {
public:
    bool displayLayer(CALayer& layer) override
    {
        letGo(layer);
        return true;
    }
    void drawLayer(CALayer& layer, const CGContextRef&) override { letGo(layer); }
    bool didDrawLayer(CALayer& layer) override
    {
        EXPECT_EQ(&layer, sender);
        return true;
    }
    void layoutSublayersOfLayer(CALayer& layer) override { letGo(layer); }
    id actionForLayer(CALayer& layer, const NSString&) override
    {
        letGo(layer);
        return nullptr;
    }

    // Gives the layer to this delegate alone; answers it for the call to make.
    CALayer& adopt(const std::shared_ptr<LetsGoOfItsLayer>& self)
    {
        held = CALayer::layer();
        held->setBounds(CGRectMake(0, 0, 30, 20));
        held->setDelegate(self);
        sender = held.get();
        watched = held;
        return *held;
    }

    std::shared_ptr<CALayer> held;
    std::weak_ptr<CALayer> watched;
    const CALayer* sender { nullptr };
    int calls { 0 };
    CGRect boundsAfterLettingGo { CGRectNull };
    bool aliveAfterLettingGo { false };

private:
    void letGo(CALayer& layer)
    {
        ++calls;
        EXPECT_EQ(&layer, sender) << "the sender is the layer that asks";
        held = nullptr;
        aliveAfterLettingGo = !watched.expired();
        boundsAfterLettingGo = layer.bounds();
    }
};

class CALayerDelegateTest : public testing::Test {
protected:
    void expectKeptThroughTheCall()
    {
        EXPECT_EQ(delegate->calls, 1);
        EXPECT_TRUE(delegate->aliveAfterLettingGo) << "the layer lives until its delegate's call returns";
        EXPECT_EQ(delegate->boundsAfterLettingGo, CGRectMake(0, 0, 30, 20));
        EXPECT_TRUE(delegate->watched.expired()) << "and no longer once it is done";
    }

    std::shared_ptr<LetsGoOfItsLayer> delegate { std::make_shared<LetsGoOfItsLayer>() };
};

} // namespace

TEST_F(CALayerDelegateTest, displayKeepsTheLayerItsDelegateLetsGoOf)
{
    delegate->adopt(delegate).display();
    expectKeptThroughTheCall();
}

TEST_F(CALayerDelegateTest, drawingKeepsTheLayerItsDelegateLetsGoOf)
{
    const auto context = CGBitmapContext::createImageContext(CGSizeMake(30, 20), false, 1);
    ASSERT_TRUE(context);
    delegate->adopt(delegate).drawInContext(context);
    expectKeptThroughTheCall();
}

TEST_F(CALayerDelegateTest, layoutKeepsTheLayerItsDelegateLetsGoOf)
{
    delegate->adopt(delegate).layoutSublayers();
    expectKeptThroughTheCall();
}

TEST_F(CALayerDelegateTest, askingForAnActionKeepsTheLayerItsDelegateLetsGoOf)
{
    delegate->adopt(delegate).actionForKey(NSString("opacity"));
    expectKeptThroughTheCall();
}
