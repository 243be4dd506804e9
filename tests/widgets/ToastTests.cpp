#include "WidgetScreen.h"

#include "library/widgets/hud/UIView_Toast.h"
#include "platform/layers/NSValueGeometry.h"
#include "platform/uikit/UILabel.h"

namespace {

class ToastMessages : public WidgetScreenTest {
protected:
    // The newest toast panel on the screen.
    UIViewRef lastToast()
    {
        const auto& views = screen()->subviews();
        return views.empty() ? nullptr : views.back();
    }
};

TEST_F(ToastMessages, centerAndBottomToastsLieWhereTheyShouldAndStayTheirDuration)
{
    Toast::makeToast(screen(), "请选择答案", 1.0, NSString("center"));
    auto center = lastToast();
    ASSERT_NE(center, nullptr);
    EXPECT_EQ(center->center(), CGPointMake(160, 284));

    Toast::makeToast(screen(), "尚未开放，敬请期待", 1.0, NSString("bottom"));
    auto bottom = lastToast();
    EXPECT_EQ(bottom->center().x, 160);
    EXPECT_EQ(bottom->frame().origin.y + bottom->frame().size.height, 568 - 10);

    host->advance(0.2); // faded in; the duration counts from here
    EXPECT_EQ(center->alpha(), 1);
    host->advance(0.95);
    EXPECT_EQ(center->superview(), screen());
    host->advance(0.1);
    host->advance(0.25);
    EXPECT_EQ(center->superview(), nullptr);
    EXPECT_EQ(bottom->superview(), nullptr);
}

TEST_F(ToastMessages, aTapHidesTheToastEarlyAndRunsItsBlockOnce)
{
    int taps = 0;
    auto toast = Toast::viewForMessage(screen(), "评价成功！", NSString(), nullptr);
    Toast::showToast(screen(), toast, 3.0, NSString("CENTER"), [&] { ++taps; });
    EXPECT_EQ(toast->center(), CGPointMake(160, 284));
    host->advance(0.3);
    host->tap(toast);
    host->advance(0.3);
    EXPECT_EQ(taps, 1);
    EXPECT_EQ(toast->superview(), nullptr);
    host->advance(4);
    EXPECT_EQ(taps, 1);
}

TEST_F(ToastMessages, positionsOfEveryKind)
{
    auto toast = UIView::create(CGRectMake(0, 0, 100, 40));
    EXPECT_EQ(Toast::centerPointForPosition(screen(), NSString("Top"), toast), CGPointMake(160, 30));
    EXPECT_EQ(Toast::centerPointForPosition(screen(), NSString("cEnTeR"), toast), CGPointMake(160, 284));
    EXPECT_EQ(Toast::centerPointForPosition(screen(), NSString(""), toast), CGPointMake(160, 538));
    EXPECT_EQ(Toast::centerPointForPosition(screen(), nullptr, toast), CGPointMake(160, 538));
    EXPECT_EQ(Toast::centerPointForPosition(screen(), NSValueGeometry::valueWithCGPoint(CGPointMake(100, 200)), toast),
        CGPointMake(100, 200));
}

TEST_F(ToastMessages, sizesWrapAtFourFifthsOfTheViewAndMakeRoomForTheImage)
{
    const NSString longText = "这是一条很长的提示信息，用来检查提示框在三百二十点宽的屏幕上如何换行，以及它最宽可以有多宽。";
    auto messageOnly = Toast::viewForMessage(screen(), longText, NSString(), nullptr);
    EXPECT_LE(messageOnly->bounds().size.width, 276);
    EXPECT_GT(messageOnly->bounds().size.height, 40);

    auto image = UIImage::imageNamed("STProgressHUD.bundle/success.png");
    ASSERT_NE(image, nullptr);
    auto imageOnly = Toast::viewForMessage(screen(), NSString(), NSString(), image);
    EXPECT_EQ(imageOnly->bounds().size, CGSizeMake(100, 100));

    auto withImage = Toast::viewForMessage(screen(), "好", NSString(), image);
    ASSERT_EQ(withImage->subviews().size(), 2u);
    EXPECT_EQ(withImage->subviews()[0]->frame().origin.x, 100);
    EXPECT_GE(withImage->bounds().size.height, 100);

    auto titled = Toast::viewForMessage(screen(), NSString(), "标题", nullptr);
    const auto titleFrame = titled->subviews()[0]->frame();
    EXPECT_EQ(titled->bounds().size.height, titleFrame.origin.y + titleFrame.size.height + 10);

    auto both = Toast::viewForMessage(screen(), "内容", "标题", nullptr);
    EXPECT_EQ(both->subviews()[1]->frame().origin.y, 10 + titleFrame.size.height + 10);
    EXPECT_EQ(Toast::viewForMessage(screen(), NSString(), NSString(), nullptr), nullptr);
    Toast::makeToast(screen(), NSString(), 1.0, nullptr);
    EXPECT_TRUE(screen()->subviews().empty());
}

TEST_F(ToastMessages, oneActivitySquarePerViewUntilItHasFaded)
{
    Toast::makeToastActivity(screen());
    Toast::makeToastActivity(screen());
    ASSERT_EQ(screen()->subviews().size(), 1u);
    auto square = lastToast();
    EXPECT_EQ(square->bounds().size, CGSizeMake(100, 100));
    EXPECT_EQ(square->center(), CGPointMake(160, 284));
    Toast::hideToastActivity(screen());
    host->advance(0.1);
    Toast::makeToastActivity(screen()); // still stored while it fades
    EXPECT_EQ(screen()->subviews().size(), 1u);
    host->advance(0.2);
    EXPECT_TRUE(screen()->subviews().empty());
    Toast::makeToastActivity(screen());
    EXPECT_EQ(screen()->subviews().size(), 1u);
    Toast::hideToastActivity(UIView::create(CGRectZero)); // a view without one: nothing
}

} // namespace
