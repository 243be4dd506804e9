#include "app/training/VideoStudentViewController.h"

#include "app/AppDelegate.h"
#include "app/screens/base/ScreenImages.h"
#include "app/screens/base/UIColor_Addition.h"
#include "app/services/ServerUrlManger.h"
#include "app/services/ServiceReply.h"
#include "app/session/Constant.h"
#include "app/session/User.h"
#include "app/session/VideoStUser.h"
#include "app/theory/ReadingListLayout.h"
#include "app/training/VideoPlayViewController.h"
#include "app/training/VideoSeconds.h"
#include "library/json/JSONCodecSerializing.h"
#include "library/widgets/hud/STProgressHUD.h"
#include "library/widgets/hud/UIView_Toast.h"
#include "platform/foundation/DelayedPerform.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSDictionary.h"
#include "platform/foundation/NSNumber.h"
#include "platform/foundation/NSUserDefaults.h"
#include "platform/foundation/TypedValues.h"
#include "platform/text/UIFont.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UITableViewCell.h"

namespace {

constexpr const char* kCellIdentifier = "msgCell";
constexpr NSInteger kBadgeTag = 100;
constexpr NSInteger kNameTag = 101;
constexpr NSInteger kTimeTag = 102;

std::shared_ptr<User> currentUser()
{
    auto delegate = AppDelegate::shared();
    return delegate ? delegate->user() : nullptr;
}

std::shared_ptr<VideoStUser> currentVideoUser()
{
    auto delegate = AppDelegate::shared();
    return delegate ? delegate->videoStUser() : nullptr;
}

// A length not known (0) is never finished: its saves would otherwise stop for good.
bool isFinished(long long learned, long long total)
{
    return total > 0 && learned >= total;
}

} // namespace

VideoStudentViewController::~VideoStudentViewController()
{
    DelayedPerform::cancelPreviousPerformRequestsWithTarget(static_cast<const NSObject*>(this));
    NSNotificationCenter::defaultCenter()->removeObserver(static_cast<const NSObject*>(this));
}

NSString VideoStudentViewController::timeText(long long seconds)
{
    if (seconds < 0)
        seconds = 0;
    if (seconds >= 3600)
        return NSString::stringWithFormat("%lld:%02lld:%02lld", seconds / 3600, (seconds / 60) % 60, seconds % 60);
    return NSString::stringWithFormat("%02lld:%02lld", seconds / 60, seconds % 60);
}

void VideoStudentViewController::loadView()
{
    NoXibViewController::loadView();
    auto root = view();
    root->setBackgroundColor(UIColor_Addition::colorWithHexString("f6f6f6"));
    root->setClipsToBounds(true);
    setNaviBarRightBtn(nullptr);
    setNaviBarTitle("视频学习");
    const CGFloat W = root->bounds().size.width;
    const CGFloat H = root->bounds().size.height;
    const CGFloat top = getNaviBarRect().size.height;
    const CGFloat w = (W - 2) / 3;
    auto me = std::static_pointer_cast<VideoStudentViewController>(self());
    const char* titles[] = { "科目一", "科目二", "科目三" };
    for (int i = 0; i < 3; ++i) {
        auto tab = UIButton::buttonWithType(UIButtonTypeCustom);
        tab->setFrame(CGRectMake(i * (w + 1), H - 40, w, 40));
        tab->setBackgroundImage(stretchableImageNamed("tab", 10), UIControlStateNormal);
        tab->setBackgroundImage(stretchableImageNamed("tab_sel", 10), UIControlStateSelected);
        tab->setTitle(titles[i], UIControlStateNormal);
        tab->titleLabel()->setFont(UIFont::systemFontOfSize(15));
        tab->setTitleColor(UIColor::blackColor(), UIControlStateNormal);
        tab->setTitleColor(UIColor_Addition::colorWithHexString("006aff"), UIControlStateSelected);
        tab->setTag(i);
        tab->addTarget(me, &VideoStudentViewController::subjectEvent, UIControlEventTouchUpInside);
        root->addSubview(tab);
        m_tabs.push_back(tab);
    }
    m_tableView = PullTableView::create(CGRectMake(0, top, W, H - top - 40), UITableViewStyle::Plain);
    m_tableView->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    m_tableView->setDataSource(me);
    m_tableView->setDelegate(me);
    m_tableView->setPullDelegate(me);
    m_tableView->setHasLoadMore(true);
    m_tableView->setTableHeaderView(UIView::create(CGRectMake(0, 0, W, 0.01)));
    m_tableView->setSeparatorInset(UIEdgeInsetsZero);
    m_tableView->setLayoutMargins(UIEdgeInsetsZero);
    m_tableView->setSeparatorColor(UIColor_Addition::colorWithHexString("c0e1fa"));
    m_tableView->setBackgroundColor(UIColor::whiteColor());
    auto background = UIView::create();
    background->setBackgroundColor(UIColor::whiteColor());
    m_tableView->setBackgroundView(background);
    root->addSubview(m_tableView);
}

void VideoStudentViewController::viewDidLoad()
{
    NoXibViewController::viewDidLoad();
    m_itemArray = NSMutableArray::array();
    m_subjectArr = NSMutableArray::array();
    for (int id = 1; id <= 3; ++id) {
        auto tab = NSMutableDictionary::dictionary();
        tab->setObject(ns::number(id), NSString("id"));
        tab->setObject(Constant::getSubjectName(NSString::stringWithFormat("%d", id)), NSString("title"));
        m_subjectArr->addObject(tab);
    }
    m_httpService = HttpServiceVideoStud::create();
    // A save's answer may come after the list was shown again on return from the player.
    NSNotificationCenter::defaultCenter()->addObserver(self(), [weakSelf = std::weak_ptr(std::static_pointer_cast<VideoStudentViewController>(self()))](const std::shared_ptr<NSNotification>& notification) {
        if (auto protectedSelf = weakSelf.lock())
            protectedSelf->videoRowDidChange(notification->object());
    }, kVideoLearnedTimeDidChangeNotification, nullptr);
    auto user = currentUser();
    m_subject = user ? user->subject().intValue() : 0;
    selectTab(m_subject == 1 ? 0 : m_subject == 2 ? 1 : 2);
    startReload();
}

void VideoStudentViewController::viewWillAppear(bool animated)
{
    NoXibViewController::viewWillAppear(animated);
    ReadingListLayout::replaceHeader(*m_tableView);
    // Time credited in the player shows at once on return.
    m_tableView->reloadData();
}

void VideoStudentViewController::videoRowDidChange(const id& row)
{
    for (NSUInteger i = 0; row && i < m_itemArray->count(); ++i) {
        if (m_itemArray->objectAtIndex(i) == row) {
            m_tableView->reloadData();
            return;
        }
    }
}

void VideoStudentViewController::selectTab(NSInteger index)
{
    for (std::size_t i = 0; i < m_tabs.size(); ++i)
        m_tabs[i]->setSelected(static_cast<NSInteger>(i) == index);
    setNaviBarTitle(ns::stringForKey(ns::dictionaryValue(m_subjectArr->objectAtIndex(static_cast<NSUInteger>(index))), "title"));
}

void VideoStudentViewController::startReload()
{
    ++m_generation;
    m_isReload = true;
    m_loadingMore = false;
    loadData();
}

void VideoStudentViewController::requestFailed()
{
    m_isReload = false;
    m_loadingMore = false;
}

void VideoStudentViewController::loadData()
{
    if (!ServerUrlManger::networkIsValid()) {
        // Nothing went out: a later pull may try again.
        requestFailed();
        return;
    }
    const NSInteger page = m_isReload ? 1 : m_pageNum + 1;
    auto user = currentUser();
    auto param = NSMutableDictionary::dictionary();
    param->setObject(NSString::stringWithFormat("%d", int(m_subject)), NSString("selSubject"));
    param->setObject(currentVideoUser() && user ? ns::textOf(user->carType()) : NSString(""), NSString("examperdritype"));
    param->setObject(ns::number(kPageSize), NSString("rows"));
    param->setObject(ns::number(page), NSString("page"));
    const NSString talkId = NSUserDefaults::standardUserDefaults()->stringForKey("SESSIONID");
    if (!talkId.isNil())
        param->setObject(talkId, NSString("TALKID"));
    auto fields = NSMutableDictionary::dictionary();
    fields->setObject(JSONCodecSerializing::JSONString(std::static_pointer_cast<NSDictionary>(param)), NSString("param"));
    STProgressHUD::showInView(view());
    std::weak_ptr<VideoStudentViewController> weakSelf = std::static_pointer_cast<VideoStudentViewController>(self());
    const NSUInteger generation = m_generation;
    m_httpService->httpRequestDict(
        [weakSelf, generation, page](const id& reply) {
            if (auto protectedSelf = weakSelf.lock())
                protectedSelf->videoListReply(reply, generation, page);
        },
        [weakSelf, generation](const std::shared_ptr<RQHTTPRequestOperation>&, const std::shared_ptr<NSError>&) {
            auto protectedSelf = weakSelf.lock();
            if (!protectedSelf || generation != protectedSelf->m_generation)
                return;
            protectedSelf->requestFailed();
            STProgressHUD::dismissWithError("服务器数据异常，请稍候再试!", 1.0);
        },
        "app/initVideoList", nullptr, fields);
}

void VideoStudentViewController::videoListReply(const id& reply, NSUInteger generation, NSInteger page)
{
    if (generation != m_generation)
        return;
    const auto code = ServiceReply::topLevelCode(reply);
    if (!code || *code != 0) {
        requestFailed();
        STProgressHUD::dismissWithError("服务器数据异常，请稍候再试!", 1.0);
        return;
    }
    m_loadingMore = false;
    auto rows = ns::arrayForKey(ns::dictionaryValue(reply), "data");
    // A reload replaces the list even when its first page is empty: rows of another subject must
    // not stay under this one's tab.
    if (m_isReload) {
        m_itemArray->removeAllObjects();
        m_isReload = false;
        m_pageNum = 0;
        m_listedSubject = m_subject;
    }
    if (rows && rows->count() > 0) {
        for (NSUInteger i = 0; i < rows->count(); ++i)
            if (auto row = ns::dictionaryValue(rows->objectAtIndex(i)))
                m_itemArray->addObject(row->mutableCopyDictionary());
        m_pageNum = page;
    }
    for (NSUInteger i = 0; i < m_itemArray->count(); ++i) {
        auto row = std::dynamic_pointer_cast<NSMutableDictionary>(m_itemArray->objectAtIndex(i));
        if (row)
            row->setObject(ns::boolean(isFinished(VideoSeconds::secondsForKey(row, "learnedTime"), VideoSeconds::secondsForKey(row, "videoTime"))), NSString("is_finish"));
    }
    STProgressHUD::dismiss();
    m_tableView->reloadData();
}

void VideoStudentViewController::subjectEvent(UIControl& sender)
{
    const NSInteger tag = sender.tag();
    auto user = currentUser();
    if (!user) {
        if (auto navigation = navigationController())
            navigation->popToRootViewControllerAnimated(false);
        return;
    }
    auto videoUser = currentVideoUser();
    NSString allowed = user->subject();
    if (videoUser && videoUser->isPower().intValue() == 1) {
        allowed = "001";
        if (videoUser->theoryHours().doubleValue() >= videoUser->value0().doubleValue())
            allowed = "002";
        if (videoUser->theoryHours2().doubleValue() >= videoUser->value1().doubleValue())
            allowed = "003";
    }
    NSInteger level = user->subject().intValue();
    if (allowed == NSString("001"))
        level = 1;
    else if (allowed == NSString("002"))
        level = 2;
    else if (allowed == NSString("003"))
        level = 3;
    auto tab = ns::dictionaryValue(m_subjectArr->objectAtIndex(static_cast<NSUInteger>(tag)));
    const NSInteger id = ns::integerForKey(tab, "id");
    if (level < id) {
        Toast::makeToast(view(), "对不起，您还未通过当前科目的视频学习，不能选择下一科目", 1.0, NSString("center"));
        return;
    }
    m_subject = id;
    selectTab(tag);
    startReload();
}

NSInteger VideoStudentViewController::numberOfRowsInSection(UITableView&, NSInteger)
{
    return m_itemArray ? static_cast<NSInteger>(m_itemArray->count()) : 0;
}

std::shared_ptr<UITableViewCell> VideoStudentViewController::cellForRowAtIndexPath(UITableView& table, const std::shared_ptr<NSIndexPath>& indexPath)
{
    auto cell = table.dequeueReusableCellWithIdentifier(kCellIdentifier);
    if (!cell) {
        cell = UITableViewCell::create(UITableViewCellStyle::Subtitle, kCellIdentifier);
        const CGFloat h = kRowHeight;
        auto badge = UILabel::create(CGRectMake(10, (h - 30) / 2, 60, 30));
        badge->setTag(kBadgeTag);
        badge->setBackgroundColor(UIColor_Addition::colorWithHexString("a2c159"));
        badge->setText("未开始");
        badge->setFont(UIFont::systemFontOfSize(13));
        badge->setTextColor(UIColor::whiteColor());
        badge->setTextAlignment(NSTextAlignmentCenter);
        badge->layer()->setCornerRadius(15);
        badge->setClipsToBounds(true);
        cell->contentView()->addSubview(badge);
        // Within the row's right edge, so that a cut title's ellipsis shows.
        const CGFloat width = table.bounds().size.width - 90;
        auto name = UILabel::create(CGRectMake(80, (h - 42) / 2, width, 21));
        name->setTag(kNameTag);
        name->setBackgroundColor(UIColor::clearColor());
        name->setTextColor(UIColor::blackColor());
        name->setFont(UIFont::systemFontOfSize(15));
        cell->contentView()->addSubview(name);
        auto time = UILabel::create(CGRectMake(80, (h - 42) / 2 + 21, width, 21));
        time->setTag(kTimeTag);
        time->setBackgroundColor(UIColor::clearColor());
        time->setTextColor(UIColor::grayColor());
        time->setFont(UIFont::systemFontOfSize(15));
        cell->contentView()->addSubview(time);
        cell->setSelectionStyle(UITableViewCellSelectionStyle::Gray);
    }
    auto row = ns::dictionaryValue(m_itemArray->objectAtIndex(static_cast<NSUInteger>(indexPath->row())));
    auto badge = std::static_pointer_cast<UILabel>(cell->contentView()->viewWithTag(kBadgeTag));
    auto name = std::static_pointer_cast<UILabel>(cell->contentView()->viewWithTag(kNameTag));
    auto time = std::static_pointer_cast<UILabel>(cell->contentView()->viewWithTag(kTimeTag));
    name->setText(ns::stringForKey(row, "name"));
    const long long learned = VideoSeconds::secondsForKey(row, "learnedTime");
    const long long total = VideoSeconds::secondsForKey(row, "videoTime");
    if (learned == 0) {
        badge->setText("未开始");
        badge->setBackgroundColor(UIColor_Addition::colorWithHexString("e33535"));
    } else if (learned >= total) {
        badge->setText("已完成");
        badge->setBackgroundColor(UIColor_Addition::colorWithHexString("2ac31e"));
    } else {
        badge->setText("进行中");
        badge->setBackgroundColor(UIColor_Addition::colorWithHexString("e2c12a"));
    }
    time->setText(NSString::stringWithFormat("%@/%@", timeText(learned), timeText(total)));
    return cell;
}

void VideoStudentViewController::willDisplayCell(UITableView&, const std::shared_ptr<UITableViewCell>& cell, const std::shared_ptr<NSIndexPath>&)
{
    cell->setSeparatorInset(UIEdgeInsetsZero);
    cell->setLayoutMargins(UIEdgeInsetsZero);
}

void VideoStudentViewController::didSelectRowAtIndexPath(UITableView& table, const std::shared_ptr<NSIndexPath>& indexPath)
{
    table.deselectRowAtIndexPath(indexPath, true);
    auto row = std::dynamic_pointer_cast<NSMutableDictionary>(m_itemArray->objectAtIndex(static_cast<NSUInteger>(indexPath->row())));
    if (!row)
        return;
    auto player = VideoPlayViewController::create();
    player->setSubject(m_subject);
    player->setTitle(ns::stringForKey(row, "name"));
    player->setVideoDict(row);
    player->setVideoList(m_itemArray);
    if (auto navigation = navigationController())
        navigation->pushViewController(player, true);
}

void VideoStudentViewController::pullTableViewDidTriggerRefresh(PullTableView&)
{
    std::weak_ptr<VideoStudentViewController> weakSelf = std::static_pointer_cast<VideoStudentViewController>(self());
    DelayedPerform::performSelector(self(), "refreshTable", nullptr, 0.3, [weakSelf] {
        if (auto protectedSelf = weakSelf.lock())
            protectedSelf->refreshTable();
    });
}

void VideoStudentViewController::pullTableViewDidTriggerLoadMore(PullTableView&)
{
    std::weak_ptr<VideoStudentViewController> weakSelf = std::static_pointer_cast<VideoStudentViewController>(self());
    DelayedPerform::performSelector(self(), "loadMoreDataToTable", nullptr, 0.3, [weakSelf] {
        if (auto protectedSelf = weakSelf.lock())
            protectedSelf->loadMoreDataToTable();
    });
}

void VideoStudentViewController::refreshTable()
{
    startReload();
    m_tableView->setPullLastRefreshDate(NSDate::date());
    m_tableView->setPullTableIsRefreshing(false);
}

void VideoStudentViewController::loadMoreDataToTable()
{
    // One page at a time, and only after the list it extends. A list left from another subject,
    // whose change failed, is not extended: the subject's first page replaces it.
    if (!m_loadingMore && !m_isReload) {
        if (m_listedSubject != m_subject) {
            startReload();
        } else {
            m_loadingMore = true;
            loadData();
        }
    }
    m_tableView->setPullTableIsLoadingMore(false);
}
