#include "platform/host/HeadlessHost.h"
#include "platform/uikit/UIActionSheet.h"
#include "platform/uikit/UIButton.h"

#include <gtest/gtest.h>

namespace {

class SheetRecorder : public UIActionSheetDelegate {
public:
    void actionSheetClickedButtonAtIndex(UIActionSheet& sheet, NSInteger index) override
    {
        log.push_back("clicked " + std::to_string(index) + " tag " + std::to_string(sheet.tag()));
    }
    void willPresentActionSheet(UIActionSheet&) override { log.push_back("willPresent"); }
    void didPresentActionSheet(UIActionSheet&) override { log.push_back("didPresent"); }
    void actionSheetWillDismissWithButtonIndex(UIActionSheet&, NSInteger index) override
    {
        log.push_back("willDismiss " + std::to_string(index));
    }
    void actionSheetDidDismissWithButtonIndex(UIActionSheet&, NSInteger index) override
    {
        log.push_back("didDismiss " + std::to_string(index));
    }
    std::vector<std::string> log;
};

class SheetScreen : public testing::Test {
protected:
    void SetUp() override
    {
        host = HeadlessHost::create();
        root = UIViewController::create();
        host->showRootViewController(root);
        root->view()->setBackgroundColor(UIColor::whiteColor());
        auto below = UIButton::buttonWithType(UIButtonTypeCustom);
        below->setFrame(root->view()->bounds());
        below->addTarget(nullptr, UIControl::Action([this](UIControl&, const UIEventRef&) { ++screenTaps; }),
            UIControlEventTouchUpInside);
        root->view()->addSubview(below);
        recorder = std::make_shared<SheetRecorder>();
    }

    std::shared_ptr<HeadlessHost> host;
    std::shared_ptr<UIViewController> root;
    std::shared_ptr<SheetRecorder> recorder;
    int screenTaps { 0 };
};

} // namespace

TEST_F(SheetScreen, reportsTheTappedButtonsIndexAndSlidesAway)
{
    auto sheet = UIActionSheet::create(NSString("分享到"), recorder, NSString("取消"), NSString("删除"),
        std::vector<NSString> { "微信", "短信" });
    sheet->setTag(4);
    EXPECT_EQ(sheet->destructiveButtonIndex(), 0);
    EXPECT_EQ(sheet->firstOtherButtonIndex(), 1);
    EXPECT_EQ(sheet->cancelButtonIndex(), 3);
    EXPECT_EQ(sheet->buttonTitleAtIndex(2), NSString("短信"));
    sheet->showInView(root->view());
    std::weak_ptr<UIActionSheet> weakSheet = sheet;
    sheet.reset(); // a shown sheet outlives its maker's reference
    host->runUntilIdle();
    ASSERT_TRUE(weakSheet.lock());
    EXPECT_TRUE(weakSheet.lock()->isVisible());
    EXPECT_NEAR(CGRectGetMaxY(weakSheet.lock()->frame()), 568, 0.01) << "resting at the bottom of the window";
    bool inWindow = false;
    for (const auto& view : host->keyWindow()->subviews())
        inWindow = inWindow || std::dynamic_pointer_cast<UIActionSheet>(view);
    EXPECT_TRUE(inWindow) << "the sheet sits in the window of the view";

    host->tap(CGPointMake(160, 100));
    EXPECT_EQ(screenTaps, 0) << "the dimmed screen takes no touches";
    ASSERT_TRUE(host->tap(host->findViewWithText("短信")));
    host->tap(host->findViewWithText("微信")); // the sheet is already going
    host->runUntilIdle();
    EXPECT_EQ(recorder->log, (std::vector<std::string> { "willPresent", "didPresent", "clicked 2 tag 4", "willDismiss 2",
                                 "didDismiss 2" }));
    EXPECT_FALSE(weakSheet.lock());
    host->tap(CGPointMake(160, 100));
    EXPECT_EQ(screenTaps, 1);
}

TEST_F(SheetScreen, theCancelButtonSitsApartAtTheBottom)
{
    auto sheet = UIActionSheet::create(NSString(), recorder, NSString("取消"), NSString(), std::vector<NSString> { "拍照" });
    EXPECT_EQ(sheet->destructiveButtonIndex(), -1);
    EXPECT_EQ(sheet->addButtonWithTitle("相册"), 2);
    sheet->showInView(root->view());
    host->runUntilIdle();
    const auto cancel = sheet->buttonAtIndex(sheet->cancelButtonIndex());
    const CGRect cancelFrame = cancel->convertRectToView(cancel->bounds(), nullptr);
    const auto other = sheet->buttonAtIndex(2);
    const CGRect otherFrame = other->convertRectToView(other->bounds(), nullptr);
    EXPECT_GT(cancelFrame.origin.y, CGRectGetMaxY(otherFrame)) << "below the others, with a gap";
    EXPECT_FALSE(sheet->buttonAtIndex(3));
    EXPECT_TRUE(sheet->buttonTitleAtIndex(-1).isNil());

    sheet->dismissWithClickedButtonIndex(sheet->cancelButtonIndex(), false);
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_FALSE(sheet->superview());
    EXPECT_EQ(sheet->cancelButtonIndex(), 1) << "made before the button added later";
    EXPECT_EQ(recorder->log.back(), "didDismiss 1");
    sheet->showInView(nullptr);
    EXPECT_FALSE(sheet->isVisible()) << "no window, no sheet";
    sheet->setCancelButtonIndex(7);
    sheet->setDestructiveButtonIndex(1);
    EXPECT_EQ(sheet->cancelButtonIndex(), -1);
    EXPECT_EQ(sheet->firstOtherButtonIndex(), 0);
}
