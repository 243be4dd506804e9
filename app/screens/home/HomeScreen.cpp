#include "app/screens/HomeViewControllers.h"

#include "app/HttpServiceVideoStud.h"
#include "app/ServerUrlManger.h"
#include "app/ServiceReply.h"
#include "app/UIColor_Addition.h"
#include "app/screens/AppDelegate.h"
#include "app/screens/SettingsViewControllers.h"
#include "library/json/JSONCodecSerializing.h"
#include "library/widgets/hud/STProgressHUD.h"
#include "library/widgets/hud/UIView_Toast.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSUserDefaults.h"
#include "platform/foundation/TypedValues.h"
#include "platform/text/UIFont.h"
#include "platform/uikit/UIImage.h"

#include <cmath>

using UIColor_Addition::colorWithHexString;

namespace {

constexpr const char* kDistribute = "sysbl/ctop/dt/interface/distri/distribute";
constexpr const char* kFirstCaption = "扫一扫 轻松过驾考!";
constexpr const char* kSecondCaption = "移动互联 服务民众";

std::shared_ptr<NSMutableArray> readingList(std::initializer_list<std::array<const char*, 3>> rows)
{
    auto list = NSMutableArray::array();
    for (const auto& row : rows)
        list->addObject(ns::mutableDictionary({ { "title", NSString(row[0]) }, { "color", colorWithHexString(row[1]) },
            { "url", NSString(row[2]) } }));
    return list;
}

} // namespace

// MARK: The banner, grid and strips both home screens share

void HomeScreen::loadView()
{
    NoXibViewController::loadView();
    auto view = this->view();
    view->setBackgroundColor(colorWithHexString("f6f6f6"));
    view->setClipsToBounds(true);
    const CGFloat y0 = getNaviBarRect().size.height;
    const CGFloat width = view->bounds().size.width;
    auto bar = m_viewNaviBar();
    bar->setLeftBtn(nullptr);
    bar->setRightBtn(CustomNaviBarView::createImgNaviBarBtnByImgNormal("top_rig", "top_rig",
        std::static_pointer_cast<HomeScreen>(self()), &HomeScreen::aboutMe));
    bar->setTitle("Corvane");

    auto banner = UIImage::imageNamed("ic_photo1");
    const CGFloat bannerHeight = banner ? banner->size().height : 150;
    m_hScrollView = UIScrollView::create(CGRectMake(0, y0, width, bannerHeight));
    m_hScrollView->setBackgroundColor(UIColor::clearColor());
    m_hScrollView->setShowsVerticalScrollIndicator(false);
    m_hScrollView->setShowsHorizontalScrollIndicator(false);
    m_hScrollView->setAlwaysBounceVertical(false);
    m_hScrollView->setAlwaysBounceHorizontal(true);
    m_hScrollView->setPagingEnabled(true);
    m_hScrollView->setDelegate(std::static_pointer_cast<UIScrollViewDelegate>(std::static_pointer_cast<HomeScreen>(self())));
    view->addSubview(m_hScrollView);
    auto page1 = UIImageView::create(m_hScrollView->bounds());
    page1->setImage(imageNamedForSize("ic_photo1", page1->frame().size));
    m_hScrollView->addSubview(page1);
    auto page2 = UIImageView::create(CGRectMake(width, 0, width, bannerHeight));
    page2->setImage(imageNamedForSize("ic_photo2", page2->frame().size));
    m_hScrollView->addSubview(page2);
    m_hScrollView->setContentSize(CGSizeMake(2 * width, bannerHeight));

    const CGFloat bannerBottom = CGRectGetMaxY(m_hScrollView->frame());
    auto strip = UIView::create(CGRectMake(0, bannerBottom - 21, width, 21));
    strip->setBackgroundColor(UIColor::colorWithWhite(0, 0.7));
    view->addSubview(strip);
    m_photoMemoView = UILabel::create(CGRectMake(0, strip->frame().origin.y + 21 / 2.0 - 10, width, 21));
    m_photoMemoView->setBackgroundColor(UIColor::clearColor());
    m_photoMemoView->setTextColor(UIColor::whiteColor());
    m_photoMemoView->setTextAlignment(NSTextAlignmentCenter);
    m_photoMemoView->setText(kFirstCaption);
    m_photoMemoView->setFont(UIFont::systemFontOfSize(13));
    view->addSubview(m_photoMemoView);
    m_pageControl = UIPageControl::create(CGRectZero);
    m_pageControl->setNumberOfPages(2);
    m_pageControl->setCurrentPage(0);
    m_pageControl->setFrame(CGRectMake(width / 2, strip->frame().origin.y - 5, 0, 0));
    m_pageControl->setCurrentPageIndicatorTintColor(UIColor::blueColor());
    m_pageControl->setPageIndicatorTintColor(UIColor::whiteColor());
    view->addSubview(m_pageControl);

    m_vScrollView = UIScrollView::create(CGRectMake(0, bannerBottom, width, view->bounds().size.height - bannerBottom));
    m_vScrollView->setBackgroundColor(UIColor::clearColor());
    m_vScrollView->setShowsVerticalScrollIndicator(false);
    m_vScrollView->setShowsHorizontalScrollIndicator(false);
    m_vScrollView->setPagingEnabled(false);
    view->addSubview(m_vScrollView);
    menuViews();
}

void HomeScreen::viewDidLoad()
{
    NoXibViewController::viewDidLoad();
    m_httpService = HttpService::create();
}

void HomeScreen::viewWillAppear(bool animated)
{
    NoXibViewController::viewWillAppear(animated);
    setAutomaticallyAdjustsScrollViewInsets(false);
}

CGFloat HomeScreen::widthForRow() const
{
    auto view = viewIfLoaded();
    return ((view ? view->bounds().size.width : 0) - 20) / 4.0;
}

CGFloat HomeScreen::heightForRow() const
{
    auto icon = UIImage::imageNamed("ico01");
    return (icon ? icon->size().height : 60) + 10 + 5 + 21;
}

void HomeScreen::menuViews()
{
    m_menuArray = NSMutableArray::array();
    for (const auto& [title, icon] : gridItems())
        m_menuArray->addObject(GridMenu::create(NSString(title), NSString(icon)));
    const CGFloat w = widthForRow(), h = heightForRow();
    auto panel = UIView::create(CGRectZero);
    panel->setBackgroundColor(UIColor::whiteColor());
    CGFloat x = 10, y = 10;
    auto me = std::static_pointer_cast<HomeScreen>(self());
    for (NSInteger i = 0; i < numberOfCellsOfGridView(); ++i) {
        auto item = std::static_pointer_cast<GridMenu>(m_menuArray->objectAtIndex(NSUInteger(i)));
        auto cell = DesktopViewCell::create();
        cell->setTag(i);
        cell->addTarget(me, &HomeScreen::menuEvent, UIControlEventTouchUpInside);
        panel->addSubview(cell);
        if (i != 0 && i % numberOfColumnsOfGridView() == 0) {
            y += h;
            x = 10;
        }
        cell->initUI(CGRectMake(x, y, w, h));
        x += w;
        cell->setName(item->title());
        cell->setIcon(item->icon());
        m_tiles.push_back(cell);
    }
    const CGFloat width = m_vScrollView->frame().size.width;
    panel->setFrame(CGRectMake(0, 0, width, y + h + 10));
    m_vScrollView->addSubview(panel);

    CGFloat top = CGRectGetMaxY(panel->frame()) + 10;
    const auto strips = stripItems();
    for (const auto& item : strips) {
        auto button = UIButton::buttonWithType(UIButtonTypeCustom);
        button->setFrame(CGRectMake(0, top, view()->bounds().size.width, 50));
        button->setBackgroundImage(UIImage::imageNamed("unchick_bg"), UIControlStateNormal);
        button->setBackgroundImage(UIImage::imageNamed("click_bg"), UIControlStateHighlighted);
        button->addTarget(me, item.action, UIControlEventTouchUpInside);
        m_vScrollView->addSubview(button);
        auto icon = UIImage::imageNamed(item.icon);
        const CGSize iconSize = icon ? icon->size() : CGSizeMake(30, 30);
        auto iconView = UIImageView::create(CGRectMake(10, (50 - iconSize.height) / 2, iconSize.width, iconSize.height));
        iconView->setImage(icon);
        button->addSubview(iconView);
        auto label = UILabel::create(CGRectMake(CGRectGetMaxX(iconView->frame()) + 15, 14.5, button->frame().size.width / 2, 21));
        label->setBackgroundColor(UIColor::clearColor());
        label->setFont(UIFont::systemFontOfSize(15));
        label->setText(item.text);
        button->addSubview(label);
        auto arrow = UIImage::imageNamed("ico_rig");
        const CGSize arrowSize = arrow ? arrow->size() : CGSizeMake(10, 16);
        auto arrowView = UIImageView::create(CGRectMake(button->frame().size.width - 10 - arrowSize.width,
            (50 - arrowSize.height) / 2, arrowSize.width, arrowSize.height));
        arrowView->setImage(arrow);
        button->addSubview(arrowView);
        auto separator = UIView::create(CGRectMake(0, CGRectGetMaxY(button->frame()), button->frame().size.width, 0.5));
        separator->setBackgroundColor(colorWithHexString("c0e1fa"));
        m_vScrollView->addSubview(separator);
        top = CGRectGetMaxY(separator->frame());
        m_strips.push_back(button);
    }
    const CGFloat count = CGFloat(strips.size());
    m_vScrollView->setContentSize(CGSizeMake(view()->bounds().size.width, panel->frame().size.height + 10 + 50 * count + count * 0.5 + 5));
}

void HomeScreen::scrollViewDidScroll(UIScrollView& scrollView)
{
    if (&scrollView != m_hScrollView.get())
        return;
    const CGFloat pageWidth = scrollView.frame().size.width;
    if (pageWidth <= 0)
        return;
    const auto page = NSInteger(std::floor((scrollView.contentOffset().x - pageWidth / 2) / pageWidth) + 1);
    m_pageControl->setCurrentPage(page);
    m_photoMemoView->setText(m_pageControl->currentPage() == 0 ? kFirstCaption : kSecondCaption);
}

std::shared_ptr<NSMutableArray> HomeScreen::baoDianList()
{
    return readingList({ { "新手上路最容易犯的错", "e2c22b", "xinshou" }, { "开车十大注意事项", "35caba", "kaiche" },
        { "车辆基本操作", "28c01d", "cheliang" }, { "完美刹车的八个技巧", "3f9fed", "wanmei" },
        { "行车出现故障如何处理", "f29e4c", "xingche" }, { "特殊路况行车要领", "ec4695", "teshu" },
        { "如何正确停车", "e2c22b", "ruhe" }, { "发生事故如何处理", "e2c22b", "fasheng" } });
}

std::shared_ptr<NSMutableArray> HomeScreen::faiGuiList()
{
    return readingList({ { "新交规扣分标准", "e2c22b", "2014" }, { "交规巧记忆", "35caba", "jiaogui" },
        { "八种交警手势信号口决", "28c01d", "shoushixinghao" }, { "驾照年审/年检", "3f9fed", "nianshen" },
        { "驾照换证", "f29e4c", "huanzheng" }, { "驾照遗失", "ec4695", "yishi" }, { "驾照挂失", "e2c22b", "guashi" } });
}

// FIXME: the women drivers' list and the article list screen come with the theory-study screens;
// these strips open them once they exist.
void HomeScreen::womenEvent(UIControl&) { }
void HomeScreen::baoDianEvent(UIControl&) { (void)baoDianList(); }
void HomeScreen::faiGuiEvent(UIControl&) { (void)faiGuiList(); }

void HomeScreen::sepcialEvent(UIControl&)
{
    Toast::makeToast(view(), "尚未开放，敬请期待~", 1.0, NSString("center"));
}

// MARK: The learner's home

std::vector<std::pair<const char*, const char*>> MainViewController::gridItems() const
{
    return { { "查学时", "ico01" }, { "查考试", "ico02" }, { "理论学习", "ico20" }, { "驾校评价", "ico04" },
        { "教练评价", "ico03" }, { "预约学车", "ico25" }, { "视频学习", "ico34" }, { "运管信箱", "ico06" } };
}

std::vector<HomeScreen::Strip> MainViewController::stripItems() const
{
    return { { "m_ico04", "女士学车", &HomeScreen::womenEvent }, { "m_ico02", "驾车宝典", &HomeScreen::baoDianEvent },
        { "m_ico01", "驾车法规", &HomeScreen::faiGuiEvent } };
}

void MainViewController::viewDidLoad()
{
    HomeScreen::viewDidLoad();
    NSNotificationCenter::defaultCenter()->addObserver(std::static_pointer_cast<MainViewController>(self()),
        &MainViewController::evaluateSuccess, NSString("SCHOOL_EVALUATE_SUCCESS"), nullptr);
}

void MainViewController::aboutMe(UIControl&)
{
    if (auto navigation = navigationController())
        navigation->pushViewController(SetupViewController::create(), true);
}

void MainViewController::menuEvent(UIControl& sender)
{
    switch (sender.tag()) {
    case 3:
        return isSchoolEvaluate();
    case 6:
        return videoStudLogin(true);
    default:
        // FIXME: the hours, exam, theory-study, coach evaluation, booking and mail screens come
        // with their own issues; their tiles push them once they exist.
        return;
    }
}

void MainViewController::isSchoolEvaluate()
{
    if (!ServerUrlManger::networkIsValid())
        return;
    auto fields = ns::mutableDictionary({ { "METHOD", NSString("enEvaluateMethod") } });
    STProgressHUD::show();
    auto me = std::static_pointer_cast<MainViewController>(self());
    m_httpService->httpRequestDict([me](const id& reply) { me->schoolEvaluateReply(reply); },
        [](const std::shared_ptr<RQHTTPRequestOperation>&, const std::shared_ptr<NSError>&) {
            STProgressHUD::dismissWithError("服器忙，请稍候再试！", 1.0);
        },
        kDistribute, nullptr, fields);
}

void MainViewController::schoolEvaluateReply(const id& reply)
{
    if (ServiceReply::mainServiceCode(reply) == 0 && ServiceReply::rows(reply, "array0")->count() > 0)
        return STProgressHUD::dismissWithSuccess("驾校已评价!", 1.0);
    STProgressHUD::dismiss();
    // FIXME: the school evaluation form (with the array1 rows as its items) is pushed here once it exists.
}

void MainViewController::videoStudLogin(bool)
{
    auto delegate = appDelegate<AppDelegate>();
    auto user = delegate ? delegate->user() : nullptr;
    auto service = HttpServiceVideoStud::create();
    if (!ServerUrlManger::networkIsValid())
        return;
    auto inner = NSMutableDictionary::dictionary();
    if (user && !user->userCode().isNil())
        inner->setObject(user->userCode(), NSString("USERCODE"));
    if (user && !user->subject().isNil())
        inner->setObject(user->subject(), NSString("SUBJECT"));
    const NSString talkId = NSUserDefaults::standardUserDefaults()->stringForKey("SESSIONID");
    if (!talkId.isNil())
        inner->setObject(talkId, NSString("TALKID"));
    auto fields = ns::mutableDictionary({ { "param", JSONCodecSerializing::JSONString(std::static_pointer_cast<NSDictionary>(inner)) } });
    STProgressHUD::showInView(view());
    auto me = std::static_pointer_cast<MainViewController>(self());
    service->httpRequestDict([me, service](const id& reply) { me->videoReply(reply); },
        [service](const std::shared_ptr<RQHTTPRequestOperation>&, const std::shared_ptr<NSError>&) {
            STProgressHUD::dismissWithError("服务器忙，请稍候再试!", 1.0);
        },
        "app/loginCheck", nullptr, fields);
}

void MainViewController::videoReply(const id& reply)
{
    auto envelope = ns::dictionaryValue(reply);
    const auto code = ServiceReply::topLevelCode(reply);
    if (!envelope || !code || *code != 0)
        return STProgressHUD::dismissWithError(ns::stringForKey(envelope, "message"), 1.0);
    auto account = VideoStUser::videoStUserFromLoginCheckReply(reply);
    if (!account)
        return STProgressHUD::dismissWithError("服务器忙，请稍候再试!", 1.0);
    STProgressHUD::dismiss();
    if (auto delegate = appDelegate<AppDelegate>())
        delegate->setVideoStUser(account);
    if (account->isOpenOrbipay().isEqualToString("1")) {
        UIAlertView::create(NSString("提示"), NSString("该地区未开通在线支付功能"), nullptr, NSString("确定"), std::vector<NSString> {})->show();
        return;
    }
    if (account->distanceEduation().isEqualToString("1")) {
        // FIXME: the video list is pushed here once the video screens exist.
        return;
    }
    UIAlertView::create(NSString("提示"), NSString("您还没有开通网上学习功能，是否前往开通?"),
        std::static_pointer_cast<UIAlertViewDelegate>(std::static_pointer_cast<MainViewController>(self())), NSString("取消"),
        std::vector<NSString> { "立即前往" })
        ->show();
}

void MainViewController::alertViewClickedButtonAtIndex(UIAlertView&, NSInteger buttonIndex)
{
    // FIXME: "立即前往" opens the goods details screen once the order screens exist.
    (void)buttonIndex;
}

void MainViewController::evaluateSuccess(const std::shared_ptr<NSNotification>&)
{
    Toast::makeToast(view(), "评价成功！", 1.0, NSString("bottom"));
}

// MARK: The officer's home

std::vector<std::pair<const char*, const char*>> AdminHomeViewController::gridItems() const
{
    return { { "教练分析", "ico12" }, { "学员分析", "ico13" } };
}

std::vector<HomeScreen::Strip> AdminHomeViewController::stripItems() const
{
    return { { "m_ico04", "女士学车", &HomeScreen::womenEvent }, { "m_ico02", "讨论专区", &HomeScreen::sepcialEvent },
        { "m_ico02", "驾车宝典", &HomeScreen::baoDianEvent }, { "m_ico01", "驾车法规", &HomeScreen::faiGuiEvent } };
}

void AdminHomeViewController::aboutMe(UIControl&)
{
    if (auto navigation = navigationController())
        navigation->pushViewController(AdminSetupViewController::create(), true);
}

void AdminHomeViewController::menuEvent(UIControl&)
{
    // FIXME: the coach and learner statistics screens come with the chart issue; the two tiles
    // push them once they exist.
}
