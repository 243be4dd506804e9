#include "app/screens/home/HomeScreen.h"

#include "app/screens/base/GridMenu.h"
#include "app/screens/base/ScreenImages.h"
#include "app/screens/base/UIColor_Addition.h"
#include "app/theory/BaoDianViewController.h"
#include "app/theory/WomenViewController.h"
#include "library/widgets/hud/UIView_Toast.h"
#include "platform/foundation/TypedValues.h"
#include "platform/text/UIFont.h"
#include "platform/uikit/UIImage.h"

#include <array>
#include <cmath>

using UIColor_Addition::colorWithHexString;

namespace {

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
        self(), &HomeScreen::aboutMe));
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
    m_hScrollView->setDelegate(std::static_pointer_cast<UIScrollViewDelegate>(self()));
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
    auto protectedSelf = self();
    for (NSInteger i = 0; i < numberOfCellsOfGridView(); ++i) {
        auto item = std::static_pointer_cast<GridMenu>(m_menuArray->objectAtIndex(NSUInteger(i)));
        auto cell = DesktopViewCell::create();
        cell->setTag(i);
        cell->addTarget(protectedSelf, &HomeScreen::menuEvent, UIControlEventTouchUpInside);
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
        button->addTarget(protectedSelf, item.action, UIControlEventTouchUpInside);
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

void HomeScreen::womenEvent(UIControl&)
{
    if (auto navigation = navigationController())
        navigation->pushViewController(WomenViewController::create(), true);
}

void HomeScreen::baoDianEvent(UIControl&) { openReadingList(baoDianList(), "驾车宝典"); }
void HomeScreen::faiGuiEvent(UIControl&) { openReadingList(faiGuiList(), "驾车法规"); }

void HomeScreen::openReadingList(const std::shared_ptr<NSMutableArray>& items, const NSString& title)
{
    auto list = BaoDianViewController::create();
    list->setItemArray(items);
    list->setTitle(title);
    if (auto navigation = navigationController())
        navigation->pushViewController(list, true);
}

void HomeScreen::sepcialEvent(UIControl&)
{
    Toast::makeToast(view(), "尚未开放，敬请期待~", 1.0, NSString("center"));
}
