#include "platform/graphics/CGDataProvider.h"
#include "platform/graphics/UIGraphics.h"
#include "platform/uikit/UIImage.h"
#include "platform/uikit/UIRectFill.h"
#include "platform/uikit/UIStateRestoring.h"

#include <gtest/gtest.h>

namespace {

class Keeper : public UIStateRestoring {
public:
    void encodeRestorableStateWithCoder(NSCoder& coder) override
    {
        UIStateRestoration::encodeViewController(coder, child, "child");
        UIStateRestoration::encodeViewController(coder, anonymous, "anonymous");
        coder.encodeInteger(page, "page");
    }
    void decodeRestorableStateWithCoder(NSCoder& coder) override
    {
        child = UIStateRestoration::decodeViewController(coder, "child");
        anonymous = UIStateRestoration::decodeViewController(coder, "anonymous");
        page = coder.decodeIntegerForKey("page");
    }
    UIViewControllerRef child, anonymous;
    NSInteger page { 0 };
};

TEST(StateRestoration, controllersComeBackByTheirIdentifierAndOthersStayAbsent)
{
    auto child = UIViewController::create();
    UIStateRestoration::setRestorationIdentifier(child, "settings");
    EXPECT_EQ(UIStateRestoration::restorationIdentifier(*child), NSString("settings"));
    Keeper keeper;
    keeper.child = child;
    keeper.anonymous = UIViewController::create();
    keeper.page = 3;
    auto data = UIStateRestoration::archiveRestorableState(keeper);

    Keeper restored;
    ASSERT_TRUE(UIStateRestoration::restoreState(restored, data));
    EXPECT_EQ(restored.child, child);
    EXPECT_FALSE(restored.anonymous);
    EXPECT_EQ(restored.page, 3);

    // A controller that went is not found again; damaged data changes nothing.
    child = nullptr;
    keeper.child = nullptr;
    restored.child = nullptr;
    Keeper later;
    later.page = 7;
    EXPECT_TRUE(UIStateRestoration::restoreState(later, data));
    EXPECT_FALSE(later.child);
    later.page = 7;
    EXPECT_FALSE(UIStateRestoration::restoreState(later, NSData::dataWithBytes("damaged", 7)));
    EXPECT_FALSE(UIStateRestoration::restoreState(later, nullptr));
    EXPECT_EQ(later.page, 7);
}

TEST(RectFill, replacesThePixelsWithTheFillColourAlphaIncluded)
{
    UIGraphicsBeginImageContextWithOptions(CGSizeMake(4, 4), false, 1);
    auto context = UIGraphicsGetCurrentContext();
    CGContextSetRGBFillColor(context, 1, 0, 0, 1);
    UIRectFill(CGRectMake(0, 0, 4, 4));
    CGContextSetRGBFillColor(context, 0, 0, 0, 0);
    UIRectFill(CGRectMake(0, 0, 2, 4));
    auto image = UIGraphicsGetImageFromCurrentImageContext();
    UIGraphicsEndImageContext();
    ASSERT_TRUE(image);
    const auto bytes = CGDataProviderCopyData(CGImageGetDataProvider(image->CGImage()));
    auto sum = [&](std::size_t x) { return bytes[x * 4] + bytes[x * 4 + 1] + bytes[x * 4 + 2] + bytes[x * 4 + 3]; };
    EXPECT_EQ(sum(0), 0);  // cleared, not painted over
    EXPECT_EQ(sum(3), 2 * 255);
    UIRectFill(CGRectMake(0, 0, 1, 1));  // without a context: nothing happens
}

} // namespace
