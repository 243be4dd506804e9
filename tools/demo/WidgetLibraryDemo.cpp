#include "tools/demo/WidgetLibraryDemo.h"

#include "library/widgets/drawer/DWDrawerBarButtonItem.h"
#include "library/widgets/drawer/DWDrawerVisualState.h"
#include "library/widgets/drawer/UIViewController_DWDrawerController.h"
#include "library/widgets/pagedmenu/PGPlasticPopupMenu.h"
#include "library/widgets/popupmenu/ArrowMenu.h"
#include "library/widgets/progresshud/PRProgressHUD.h"
#include "library/widgets/textview/KMTextView.h"
#include "platform/foundation/NSTimer.h"
#include "platform/uikit/UINavigationController.h"
#include "platform/uikit/UINavigationItem.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UITextField.h"
#include "tools/demo/DemoButtonList.h"
#include "tools/demo/LinkLabelDemo.h"

#include <algorithm>

void WidgetLibraryViewController::loadView()
{
    setTitle("Widgets");
    setEdgesForExtendedLayout(UIRectEdgeNone);
    setView(makeDemoButtonList<WidgetLibraryViewController>(self(), {
        { "弹出菜单", &WidgetLibraryViewController::showArrowMenu },
        { "分页菜单", &WidgetLibraryViewController::showPagedMenu },
        { "进度指示", &WidgetLibraryViewController::showProgressHUD },
        { "操作表", &WidgetLibraryViewController::showActionSheet },
        { "文本输入", &WidgetLibraryViewController::showTextView },
        { "侧边抽屉", &WidgetLibraryViewController::showDrawer },
        { "链接标签", &WidgetLibraryViewController::showLinkLabel },
    }, m_buttons, m_resultLabel));
}

void WidgetLibraryViewController::showArrowMenu()
{
    auto controller = self();
    std::vector<ArrowMenuItemRef> items {
        ArrowMenuItem::menuItem("收藏题目", nullptr, controller, &WidgetLibraryViewController::itemChosen, 0),
        ArrowMenuItem::menuItem("错题重做", nullptr, controller, &WidgetLibraryViewController::itemChosen, 1),
        ArrowMenuItem::menuItem("分享给好友", nullptr, controller, &WidgetLibraryViewController::itemChosen, 2),
    };
    ArrowMenu::showMenuInView(view(), m_buttons[0]->frame(), items, nullptr);
}

void WidgetLibraryViewController::itemChosen(ArrowMenuItem& item) { m_resultLabel->setText(item.title()); }

void WidgetLibraryViewController::showPagedMenu()
{
    if (!m_pagedMenu) {
        auto controller = self();
        std::vector<PGPopupMenuItemRef> items;
        for (const char* title : { "复制", "分享", "收藏", "删除", "标记", "举报", "翻译", "朗读", "详情" })
            items.push_back(PGPopupMenuItem::itemWithTitle(NSString(title), controller, &WidgetLibraryViewController::pagedItemChosen));
        m_pagedMenu = PGPlasticPopupMenu::popupMenuWithItems(items);
    }
    m_pagedMenu->showInView(view(), m_buttons[1]->frame(), true);
}

void WidgetLibraryViewController::pagedItemChosen() { m_resultLabel->setText("已选择分页菜单项"); }

void WidgetLibraryViewController::showProgressHUD()
{
    auto hud = PRProgressHUD::showHUDAddedTo(view(), true);
    hud->setMode(PRProgressHUDModeAnnularDeterminate);
    hud->setLabelText("正在下载题库");
    hud->setRemoveFromSuperViewOnHide(true);
    std::weak_ptr<PRProgressHUD> weakHUD = hud;
    NSTimer::scheduledTimerWithTimeInterval(0.1, [weakHUD](const std::shared_ptr<NSTimer>& timer) {
        auto strongHUD = weakHUD.lock();
        if (!strongHUD) {
            timer->invalidate();
            return;
        }
        strongHUD->setProgress(std::min(1.0f, strongHUD->progress() + 0.05f));
        if (strongHUD->progress() >= 1.0f) {
            timer->invalidate();
            strongHUD->setMode(PRProgressHUDModeText);
            strongHUD->setLabelText("下载完成");
            strongHUD->hide(true, 1.0);
        }
    }, true);
}

void WidgetLibraryViewController::showActionSheet()
{
    auto sheet = SHActionSheet::create("选择头像", std::static_pointer_cast<SHActionSheetDelegate>(
        self()), "取消", "删除头像", std::vector<NSString> { "拍照", "从相册选择" });
    sheet->showInView(view());
}

void WidgetLibraryViewController::didClickOnButtonIndex(SHActionSheet&, NSInteger buttonIndex)
{
    m_resultLabel->setText(NSString::stringWithFormat("操作表按钮 %ld", static_cast<long>(buttonIndex)));
}

void WidgetLibraryViewController::showTextView()
{
    if (auto navigation = navigationController())
        navigation->pushViewController(WidgetTextFormViewController::create(), true);
}

void WidgetLibraryViewController::showDrawer()
{
    auto centre = UINavigationController::create(WidgetDrawerCentreViewController::create());
    // A dark bar, as the client's own: the menu icon is drawn white.
    centre->navigationBar()->setBarStyle(UIBarStyleBlack);
    centre->navigationBar()->setBarTintColor(UIColor::colorWithRed(0.1, 0.36, 0.62, 1));
    auto menu = UIViewController::create();
    menu->view()->setBackgroundColor(UIColor::colorWithRed(0.16, 0.2, 0.26, 1));
    auto heading = UILabel::create(CGRectMake(20, 80, 240, 30));
    heading->setText("菜单");
    heading->setTextColor(UIColor::whiteColor());
    heading->setFont(UIFont::boldSystemFontOfSize(20));
    menu->view()->addSubview(heading);
    auto drawer = DWDrawerController::create(centre, menu, nullptr);
    drawer->setOpenDrawerGestureModeMask(DWOpenDrawerGestureModeBezelPanningCenterView);
    drawer->setCloseDrawerGestureModeMask(DWCloseDrawerGestureModePanningCenterView | DWCloseDrawerGestureModeTapCenterView);
    drawer->setDrawerVisualStateBlock(DWDrawerVisualState::slideAndScaleVisualStateBlock());
    presentViewController(drawer, true);
}

void WidgetTextFormViewController::loadView()
{
    setTitle("文本输入");
    setEdgesForExtendedLayout(UIRectEdgeNone);
    auto view = UIView::create(UIScreen::mainScreen()->bounds());
    view->setBackgroundColor(UIColor::whiteColor());
    const char* placeholders[] = { "姓名", "手机号" };
    for (int i = 0; i < 2; ++i) {
        auto field = UITextField::create(CGRectMake(20, 20 + 50 * i, 280, 36));
        field->setBorderStyle(UITextBorderStyle::RoundedRect);
        field->setPlaceholder(placeholders[i]);
        view->addSubview(field);
    }
    auto textView = KMTextView::create(CGRectMake(20, 120, 280, 120));
    textView->setFont(UIFont::systemFontOfSize(15));
    textView->layer()->setBorderWidth(1);
    textView->layer()->setBorderColor(UIColor::lightGrayColor()->CGColor());
    textView->layer()->setCornerRadius(6);
    textView->setPlaceholder("请输入申诉理由（不超过100字）");
    view->addSubview(textView);
    setView(view);
    m_returnKeyHandler = KMKeyboardReturnKeyHandler::create(self());
    m_returnKeyHandler->setLastTextFieldReturnKeyType(UIReturnKeyType::Done);
}

void WidgetDrawerCentreViewController::loadView()
{
    setTitle("侧边抽屉");
    auto view = UIView::create(UIScreen::mainScreen()->bounds());
    view->setBackgroundColor(UIColor::whiteColor());
    auto close = makeDemoButton("Close", CGRectMake(60, 300, 200, 44));
    close->addTarget(self(), &WidgetDrawerCentreViewController::closeEvent,
        UIControlEventTouchUpInside);
    view->addSubview(close);
    setView(view);
    navigationItem()->setLeftBarButtonItem(DWDrawerBarButtonItem::create(
        self(), &WidgetDrawerCentreViewController::menuEvent));
}

void WidgetDrawerCentreViewController::menuEvent()
{
    if (auto drawer = DWDrawerController_Category::dw_drawerController(*this))
        drawer->toggleDrawerSide(DWDrawerSideLeft, true, nullptr);
}

void WidgetDrawerCentreViewController::closeEvent()
{
    if (auto drawer = DWDrawerController_Category::dw_drawerController(*this))
        drawer->dismissViewControllerAnimated(true);
}

void WidgetLibraryViewController::showLinkLabel()
{
    if (auto navigation = navigationController())
        navigation->pushViewController(LinkLabelDemoViewController::create(), true);
}
