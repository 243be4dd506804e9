#include "app/theory/KaoInfoViewController.h"

#include "app/screens/base/UIColor_Addition.h"
#include "app/services/ServerUrlManger.h"
#include "app/services/ServiceReply.h"
#include "library/widgets/hud/STProgressHUD.h"
#include "platform/foundation/NSLog.h"
#include "platform/foundation/TypedValues.h"
#include "platform/uikit/UIButton.h"
#include "platform/uikit/UILabel.h"

namespace {

constexpr const char* kDistribute = "sysbl/ctop/dt/interface/distri/distribute";

bool isEmptyText(const id& value)
{
    const NSString text = ns::stringValue(value);
    return text.isNil() || text.length() == 0;
}

} // namespace

void KaoInfoViewController::loadView()
{
    NoXibViewController::loadView();
    auto root = view();
    root->setBackgroundColor(UIColor_Addition::colorWithHexString("f6f6f6"));
    root->setClipsToBounds(true);
    setNaviBarRightBtn(nullptr);
    setNaviBarTitle("考试信息");
    const CGFloat W = root->bounds().size.width;
    const CGFloat h = getNaviBarRect().size.height;
    const CGFloat H = root->bounds().size.height - h;

    m_vScrollView = UIScrollView::create(CGRectMake(0, h, W, H));
    m_vScrollView->setBackgroundColor(UIColor::clearColor());
    m_vScrollView->setShowsVerticalScrollIndicator(false);
    m_vScrollView->setShowsHorizontalScrollIndicator(false);
    m_vScrollView->setPagingEnabled(false);
    root->addSubview(m_vScrollView);

    // The empty view lives in the scroll view, which already starts below the bar: it fills it from
    // its own top.
    m_nothingView = UIView::create(CGRectMake(0, 0, W, H));
    m_nothingView->setBackgroundColor(UIColor_Addition::colorWithHexString("f6f6f6"));
    auto refreshImage = UIImage::imageNamed("ico_refresh");
    const CGSize imageSize = refreshImage ? refreshImage->size() : CGSizeMake(60, 60);
    m_refreshButton = UIButton::buttonWithType(UIButtonTypeCustom);
    m_refreshButton->setBackgroundImage(refreshImage, UIControlStateNormal);
    m_refreshButton->setFrame(CGRectMake((W - imageSize.width) / 2, H / 2 - imageSize.height / 2, imageSize.width, imageSize.height));
    m_refreshButton->addTarget(self(), &KaoInfoViewController::refreshEvent, UIControlEventTouchUpInside);
    m_nothingView->addSubview(m_refreshButton);
    auto sorry = UILabel::create(CGRectMake(0, m_refreshButton->frame().origin.y - 41, W, 21));
    sorry->setBackgroundColor(UIColor::clearColor());
    sorry->setFont(UIFont::systemFontOfSize(14));
    sorry->setTextColor(UIColor::grayColor());
    sorry->setTextAlignment(NSTextAlignmentCenter);
    sorry->setText("Sorry,暂无数据,点击刷新");
    m_nothingView->addSubview(sorry);
    m_nothingView->setHidden(true);
    m_vScrollView->addSubview(m_nothingView);
    m_vScrollView->setContentSize(CGSizeMake(W, H));
}

void KaoInfoViewController::viewDidLoad()
{
    NoXibViewController::viewDidLoad();
    m_httpService = HttpService::create();
    loadData();
}

void KaoInfoViewController::viewWillAppear(bool animated)
{
    NoXibViewController::viewWillAppear(animated);
    setAutomaticallyAdjustsScrollViewInsets(false);
}

void KaoInfoViewController::loadData()
{
    if (m_loading)
        return;
    if (!ServerUrlManger::networkIsValid())
        return showNothing();
    m_loading = true;
    STProgressHUD::showInView(view());
    auto fields = ns::mutableDictionary({ { "METHOD", NSString("checkExamMethod") } });
    std::weak_ptr<KaoInfoViewController> weakSelf = self();
    m_httpService->httpRequestDict(
        [weakSelf](const id& reply) {
            if (auto protectedSelf = weakSelf.lock())
                protectedSelf->examInfoCompletion(reply);
        },
        [weakSelf](const std::shared_ptr<RQHTTPRequestOperation>&, const std::shared_ptr<NSError>&) {
            if (auto protectedSelf = weakSelf.lock())
                protectedSelf->examInfoFailure();
        },
        kDistribute, nullptr, fields);
}

void KaoInfoViewController::refreshEvent(UIControl&) { loadData(); }

void KaoInfoViewController::showNothing()
{
    m_nothingView->setHidden(false);
}

void KaoInfoViewController::examInfoFailure()
{
    m_loading = false;
    STProgressHUD::dismiss();
    showNothing();
}

void KaoInfoViewController::examInfoCompletion(const id& reply)
{
    m_loading = false;
    const auto code = ServiceReply::mainServiceCode(reply);
    if (!code || *code != 0) {
        STProgressHUD::dismiss();
        return showNothing();
    }
    STProgressHUD::dismiss();
    auto rows = ServiceReply::rows(reply, "array0");
    if (!rows || rows->count() == 0)
        return showNothing();
    m_nothingView->setHidden(true);
    initViews(rows);
}

void KaoInfoViewController::initViews(const std::shared_ptr<NSArray>& rows)
{
    auto schedule = NSMutableArray::array();
    auto history = NSMutableArray::array();
    NSUInteger leftOut = 0;
    for (NSUInteger i = 0; rows && i < rows->count(); ++i) {
        auto row = ns::dictionaryValue(rows->objectAtIndex(i));
        if (!row)
            continue;
        const bool ahead = isEmptyText(row->objectForKey(NSString("EXAMRESULT")))
            || ns::textOf(row->objectForKey(NSString("EXAMSTATE"))).isEqualToString("0");
        const auto& group = ahead ? schedule : history;
        if (group->count() < kMaxRows)
            group->addObject(row);
        else
            ++leftOut;
    }
    if (leftOut)
        NSLog("考试信息：%lu条记录超出显示上限，未显示", static_cast<unsigned long>(leftOut));
    const CGFloat W = view()->bounds().size.width;
    CGFloat y = 10;
    const auto stack = [&](const std::shared_ptr<NSMutableArray>& group, const char* title, NSInteger sts) {
        if (group->count() == 0)
            return;
        auto card = KaoInfoItemView::create(CGRectMake(0, y, W, 100), group, NSString(title), sts);
        CGRect frame = card->frame();
        frame.size.height = card->getHeight();
        card->setFrame(frame);
        m_vScrollView->addSubview(card);
        m_cards.push_back(card);
        y += card->getHeight() + 10;
    };
    stack(schedule, "考试安排", 0);
    stack(history, "考试历史", 1);
    if (y > m_vScrollView->contentSize().height)
        m_vScrollView->setContentSize(CGSizeMake(m_vScrollView->bounds().size.width, y));
}
