#include "WidgetPictures.h"
#include "WidgetScreen.h"

#include "library/widgets/actionsheet/SHActionSheet.h"

namespace {

class SheetDelegate : public NSObject, public SHActionSheetDelegate {
    NS_OBJECT(SheetDelegate, NSObject)
public:
    void didClickOnButtonIndex(SHActionSheet&, NSInteger index) override { calls.push_back("index " + std::to_string(index)); }
    void didClickOnCancelButton(SHActionSheet&) override { calls.push_back("cancel"); }
    void didClickOnDestructiveButton(SHActionSheet&) override { calls.push_back("destructive"); }
    std::vector<std::string> calls;
};

class ActionSheetTest : public WidgetScreenTest {
protected:
    // The sheet shows in the application delegate's window.
    class AppDelegate : public NSObject, public UIApplicationDelegate {
        NS_OBJECT(AppDelegate, NSObject)
    public:
        std::shared_ptr<UIWindow> window() const override { return m_window; }
        void setWindow(const std::shared_ptr<UIWindow>& window) { m_window = window; }

    private:
        std::shared_ptr<UIWindow> m_window;
    };

    void SetUp() override
    {
        host = HeadlessHost::create();
        appDelegate = AppDelegate::create();
        host->launch(appDelegate);
        root = UIViewController::create();
        appDelegate->setWindow(host->showRootViewController(root));
        root->view()->setBackgroundColor(UIColor::whiteColor());
    }
    std::shared_ptr<SHActionSheet> show(const NSString& title, const NSString& cancel, const NSString& destructive,
        const std::vector<NSString>& others)
    {
        auto sheet = SHActionSheet::create(title, delegate, cancel, destructive, others);
        sheet->showInView(nullptr);
        host->advance(0.3);
        return sheet;
    }
    CGFloat buttonY(const SHActionSheet& sheet, NSInteger tag)
    {
        for (const auto& view : sheet.backGroundView()->subviews())
            if (std::dynamic_pointer_cast<UIButton>(view) && view->tag() == tag)
                return view->frame().origin.y;
        return -1;
    }

    std::shared_ptr<AppDelegate> appDelegate;
    std::shared_ptr<SheetDelegate> delegate { SheetDelegate::create() };
};

TEST_F(ActionSheetTest, oneButtonTitleAndCancel)
{
    auto sheet = show("确定退出登录吗？", "取消", nullptr, {});
    writeWidgetPicture(*host, "action-sheet-one-button");
    EXPECT_EQ(sheet->superview(), root->view());
    EXPECT_DOUBLE_EQ(sheet->SHActionSheetHeight(), 125);
    EXPECT_DOUBLE_EQ(buttonY(*sheet, 0), 65);
    EXPECT_DOUBLE_EQ(sheet->backGroundView()->frame().origin.y, 568 - 125);
    ASSERT_TRUE(host->findViewWithText("确定退出登录吗？"));
    EXPECT_DOUBLE_EQ(host->findViewWithText("确定退出登录吗？")->frame().origin.y, 15);
}

TEST_F(ActionSheetTest, twoButtonsAloneKeepTwentyPointsBelow)
{
    auto sheet = show(nullptr, nullptr, "删除记录", {});
    auto other = show(nullptr, "取消", "删除记录", {});
    writeWidgetPicture(*host, "action-sheet-two-buttons");
    EXPECT_DOUBLE_EQ(sheet->SHActionSheetHeight(), 80);
    EXPECT_DOUBLE_EQ(buttonY(*other, 0), 20);
    EXPECT_DOUBLE_EQ(buttonY(*other, 1), 80);
    EXPECT_DOUBLE_EQ(other->SHActionSheetHeight(), 140);
}

TEST_F(ActionSheetTest, threeOtherButtonsOnly)
{
    auto sheet = show(nullptr, nullptr, nullptr, { "拍照", "从相册选择", "查看大图" });
    writeWidgetPicture(*host, "action-sheet-three-buttons");
    EXPECT_DOUBLE_EQ(buttonY(*sheet, 0), 20);
    EXPECT_DOUBLE_EQ(buttonY(*sheet, 1), 70);
    EXPECT_DOUBLE_EQ(buttonY(*sheet, 2), 120);
    EXPECT_DOUBLE_EQ(sheet->SHActionSheetHeight(), 180);
    host->tap(host->findViewWithText("从相册选择"));
    EXPECT_EQ(delegate->calls, std::vector<std::string> { "index 1" });
    host->advance(0.3);
    EXPECT_FALSE(sheet->superview());
}

TEST_F(ActionSheetTest, destructiveOthersAndCancelAreTaggedInOrderAndReportedBoth)
{
    auto sheet = show(nullptr, "取消", "删除", { "收藏", "分享" });
    writeWidgetPicture(*host, "action-sheet-four-buttons");
    EXPECT_DOUBLE_EQ(buttonY(*sheet, 0), 20);
    EXPECT_DOUBLE_EQ(buttonY(*sheet, 1), 70);
    EXPECT_DOUBLE_EQ(buttonY(*sheet, 2), 120);
    EXPECT_DOUBLE_EQ(buttonY(*sheet, 3), 180);
    EXPECT_DOUBLE_EQ(sheet->SHActionSheetHeight(), 240);
    host->tap(host->findViewWithText("取消"));
    const std::vector<std::string> cancel { "cancel", "index 3" };
    EXPECT_EQ(delegate->calls, cancel);

    delegate->calls.clear();
    auto again = show(nullptr, "取消", "删除", { "收藏" });
    host->tap(host->findViewWithText("删除"));
    const std::vector<std::string> destructive { "destructive", "index 0" };
    EXPECT_EQ(delegate->calls, destructive);
}

TEST_F(ActionSheetTest, thePanelIgnoresTapsAndTheDimmedAreaDismissesSilently)
{
    auto sheet = show("分享到", "取消", nullptr, { "微信", "短信" });
    const CGRect panel = sheet->backGroundView()->frame();
    host->tap(CGPointMake(10, panel.origin.y + 5));
    host->advance(0.3);
    EXPECT_TRUE(sheet->superview());
    host->tap(CGPointMake(160, 100));
    host->advance(0.3);
    EXPECT_FALSE(sheet->superview());
    EXPECT_TRUE(delegate->calls.empty());
}

} // namespace

TEST_F(ActionSheetTest, escapeIsTheCancelButtonAndASheetWithoutOneStays)
{
    auto sheet = show("分享到", "取消", nullptr, { "微信" });
    EXPECT_TRUE(host->pressKey(UIKeyboardKey::Escape));
    host->advance(0.5);
    EXPECT_EQ(delegate->calls, (std::vector<std::string> { "cancel", "index 1" }));
    EXPECT_FALSE(sheet->superview());

    delegate->calls.clear();
    auto bare = show(nullptr, nullptr, nullptr, { "微信" });
    EXPECT_TRUE(host->pressKey(UIKeyboardKey::Escape));
    host->advance(0.5);
    EXPECT_TRUE(delegate->calls.empty());
    EXPECT_TRUE(bare->superview());
}
