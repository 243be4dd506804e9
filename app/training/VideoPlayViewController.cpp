#include "app/training/VideoPlayViewController.h"

#include "app/AppDelegate.h"
#include "app/screens/base/CustomNaviBarView.h"
#include "app/screens/base/ScreenImages.h"
#include "app/screens/base/UIColor_Addition.h"
#include "app/services/RequestFields.h"
#include "app/services/ServerUrlManger.h"
#include "app/services/ServiceReply.h"
#include "app/session/User.h"
#include "app/session/VideoStUser.h"
#include "app/theory/ReadingListLayout.h"
#include "app/training/VideoSeconds.h"
#include "library/json/JSONCodecSerializing.h"
#include "library/widgets/hud/STProgressHUD.h"
#include "library/widgets/player/VPMoviePlayerControls.h"
#include "platform/dispatch/dispatch.h"
#include "platform/foundation/DelayedPerform.h"
#include "platform/foundation/NSLog.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSNumber.h"
#include "platform/foundation/NSUserDefaults.h"
#include "platform/foundation/TypedValues.h"
#include "platform/text/UIFont.h"
#include "platform/uikit/UIDevice.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UITableViewCell.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr const char* kCellIdentifier = "msgCell";
constexpr NSInteger kBackgroundTag = 99;
constexpr NSInteger kNameTag = 100;
constexpr NSInteger kStateTag = 101;
constexpr NSInteger kCompletionAlert = 1;
constexpr NSInteger kSwitchAlert = 2;

long long integerOf(const std::shared_ptr<NSDictionary>& record, const char* key)
{
    return VideoSeconds::secondsForKey(record, key);
}

NSString videoIdOf(const std::shared_ptr<NSDictionary>& record)
{
    return ns::textOf(record ? record->objectForKey(NSString("videoid")) : nullptr);
}

std::shared_ptr<NSMutableDictionary> talkIdInto(const std::shared_ptr<NSMutableDictionary>& param)
{
    const NSString talkId = NSUserDefaults::standardUserDefaults()->stringForKey("SESSIONID");
    if (!talkId.isNil())
        param->setObject(talkId, NSString("TALKID"));
    auto fields = NSMutableDictionary::dictionary();
    fields->setObject(JSONCodecSerializing::JSONString(std::static_pointer_cast<NSDictionary>(param)), NSString("param"));
    return fields;
}

// A save on its way holds the application open (as a background task) until its answer or its
// failure has come, so a window closed meanwhile waits for it a little before the client ends.
class SaveInFlight {
public:
    SaveInFlight()
        : m_task(UIApplication::sharedApplication()->beginBackgroundTaskWithExpirationHandler(nullptr))
    {
    }
    ~SaveInFlight()
    {
        if (m_task != UIBackgroundTaskInvalid)
            UIApplication::sharedApplication()->endBackgroundTask(m_task);
    }
    SaveInFlight(const SaveInFlight&) = delete;
    SaveInFlight& operator=(const SaveInFlight&) = delete;

private:
    const UIBackgroundTaskIdentifier m_task;
};

} // namespace

VideoPlayViewController::~VideoPlayViewController()
{
    NSNotificationCenter::defaultCenter()->removeObserver(static_cast<const NSObject*>(this));
    DelayedPerform::cancelPreviousPerformRequestsWithTarget(static_cast<const NSObject*>(this));
    if (m_moviePlayer && m_moviePlayer->playbackState() == MPMoviePlaybackStatePlaying)
        m_moviePlayer->pause();
    if (m_timerUp)
        m_timerUp->invalidate();
}

long long VideoPlayViewController::uncreditedSeconds(const NSString& videoid) const
{
    auto found = m_uncredited.find(videoid.UTF8String());
    return found == m_uncredited.end() ? 0 : found->second;
}

// Seconds of the current video sent or counted that its record does not show yet: the end of the
// film must not be judged short because a save's answer is still on its way.
long long VideoPlayViewController::unansweredSeconds() const
{
    const NSString videoid = videoIdOf(m_videoDict);
    auto sent = m_inFlight.find(videoid.UTF8String());
    return uncreditedSeconds(videoid) + (sent == m_inFlight.end() ? 0 : sent->second);
}

void VideoPlayViewController::loadView()
{
    NoXibViewController::loadView();
    auto root = view();
    root->setBackgroundColor(UIColor_Addition::colorWithHexString("f6f6f6"));
    root->setClipsToBounds(true);
    setNaviBarRightBtn(nullptr);
    setNaviBarTitle(title());
    setNaviBarLeftBtn(CustomNaviBarView::createImgNaviBarBtnByImgNormal("nav_arrow_d", "nav_arrow_b", me(), &VideoPlayViewController::btnBack));
    const CGFloat W = root->bounds().size.width;
    const CGFloat V = root->bounds().size.height;
    const CGFloat H = getNaviBarRect().size.height;

    m_defaultFrame = CGRectMake(0, H + 15, W, kPlayerHeight);
    m_moviePlayer = VPMoviePlayerController::create(m_defaultFrame);
    m_moviePlayer->view()->setAlpha(0);
    m_moviePlayer->setDelegate(me());
    auto controls = VPMoviePlayerControls::create(m_moviePlayer, VPMoviePlayerControlsStyleDefault);
    controls->setBarColor(UIColor::colorWithRed(195 / 255.0, 29 / 255.0, 29 / 255.0, 0.5));
    controls->setTimeRemainingDecrements(false);
    controls->setTimeTotal(true);
    controls->setBarHeight(60);
    m_moviePlayer->setControls(controls);
    root->addSubview(m_moviePlayer->view());
    std::weak_ptr<VideoPlayViewController> weakSelf = me();
    dispatch_after(dispatch_time(DISPATCH_TIME_NOW, static_cast<int64_t>(0.3 * NSEC_PER_SEC)), dispatch_get_main_queue(), [weakSelf] {
        auto protectedSelf = weakSelf.lock();
        if (!protectedSelf)
            return;
        protectedSelf->configureViewForOrientation(UIApplication::sharedApplication()->statusBarOrientation());
        UIView::animateWithDuration(0.3, [weakSelf] {
            if (auto screen = weakSelf.lock())
                screen->m_moviePlayer->view()->setAlpha(1);
        });
    });

    const CGFloat tabY = CGRectGetMaxY(m_defaultFrame) + 15;
    const CGFloat tabWidth = W * 0.5 - 0.5;
    auto makeTab = [&](const char* title, CGFloat x, void (VideoPlayViewController::*action)(UIControl&)) {
        auto tab = UIButton::buttonWithType(UIButtonTypeCustom);
        tab->setFrame(CGRectMake(x, tabY, tabWidth, 40));
        tab->setBackgroundImage(stretchableImageNamed("tab", 10), UIControlStateNormal);
        tab->setBackgroundImage(stretchableImageNamed("tab_sel", 10), UIControlStateSelected);
        tab->setTitle(title, UIControlStateNormal);
        tab->setTitleColor(UIColor::blackColor(), UIControlStateNormal);
        tab->setTitleColor(UIColor_Addition::colorWithHexString("006aff"), UIControlStateSelected);
        tab->titleLabel()->setFont(UIFont::systemFontOfSize(15));
        tab->addTarget(me(), action, UIControlEventTouchUpInside);
        root->addSubview(tab);
        return tab;
    };
    m_preBtn = makeTab("相关", 0, &VideoPlayViewController::relateEvent);
    m_preBtn->setSelected(true);
    m_tabLine = UIView::create(CGRectMake(tabWidth, tabY, 1, 40));
    m_tabLine->setBackgroundColor(UIColor::lightGrayColor());
    root->addSubview(m_tabLine);
    m_nextBtn = makeTab("要点", tabWidth + 1, &VideoPlayViewController::keyPoinTEvent);

    const CGFloat panelY = tabY + 40;
    m_vScrollView = UIScrollView::create(CGRectMake(0, panelY, W, V - panelY));
    m_vScrollView->setBackgroundColor(UIColor::whiteColor());
    m_vScrollView->setShowsVerticalScrollIndicator(false);
    m_vScrollView->setShowsHorizontalScrollIndicator(false);
    root->addSubview(m_vScrollView);

    m_tableContainer = UIView::create(CGRectMake(0, panelY + 1, W, V - panelY - 1));
    m_tableContainer->setBackgroundColor(UIColor_Addition::colorWithHexString("f6f6f6"));
    root->addSubview(m_tableContainer);
    m_tableView = UITableView::create(CGRectMake(10, 0, W - 20, m_tableContainer->bounds().size.height), UITableViewStyle::Plain);
    m_tableView->setDataSource(me());
    m_tableView->setDelegate(me());
    m_tableView->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    m_tableView->setTableHeaderView(UIView::create(CGRectMake(0, 0, W - 20, 0.01)));
    m_tableView->setSeparatorInset(UIEdgeInsetsZero);
    m_tableView->setLayoutMargins(UIEdgeInsetsZero);
    m_tableView->setSeparatorColor(UIColor::lightGrayColor());
    m_tableView->setBackgroundColor(UIColor::clearColor());
    m_tableView->setBackgroundView(UIView::create());
    m_tableContainer->addSubview(m_tableView);
}

void VideoPlayViewController::configureViewForOrientation(UIInterfaceOrientation)
{
    const bool pad = UIDevice::currentDevice()->userInterfaceIdiom() == UIUserInterfaceIdiom::Pad;
    const CGSize size = pad ? CGSizeMake(700, 535) : CGSizeMake(view()->bounds().size.width, kPlayerHeight);
    m_defaultFrame = CGRectMake(0, getNaviBarRect().size.height + 15, size.width, size.height);
    if (!m_moviePlayer->isFullscreen())
        m_moviePlayer->setFrame(m_defaultFrame);
    // The tabs and panels follow the player, so that a pad's larger player covers none of them.
    const CGFloat W = view()->bounds().size.width;
    const CGFloat V = view()->bounds().size.height;
    const CGFloat tabY = CGRectGetMaxY(m_defaultFrame) + 15;
    const CGFloat tabWidth = W * 0.5 - 0.5;
    m_preBtn->setFrame(CGRectMake(0, tabY, tabWidth, 40));
    m_tabLine->setFrame(CGRectMake(tabWidth, tabY, 1, 40));
    m_nextBtn->setFrame(CGRectMake(tabWidth + 1, tabY, tabWidth, 40));
    const CGFloat panelY = tabY + 40;
    m_vScrollView->setFrame(CGRectMake(0, panelY, W, std::max<CGFloat>(0, V - panelY)));
    m_tableContainer->setFrame(CGRectMake(0, panelY + 1, W, std::max<CGFloat>(0, V - panelY - 1)));
}

void VideoPlayViewController::willAnimateRotationToInterfaceOrientation(UIInterfaceOrientation orientation, NSTimeInterval duration)
{
    NoXibViewController::willAnimateRotationToInterfaceOrientation(orientation, duration);
    configureViewForOrientation(orientation);
}

void VideoPlayViewController::viewDidLoad()
{
    NoXibViewController::viewDidLoad();
    m_httpService = HttpServiceVideoStud::create();
    NSNotificationCenter::defaultCenter()->addObserver(me(), &VideoPlayViewController::applicationWillTerminate,
        UIApplicationWillTerminateNotification, nullptr);
    m_preIntervalTime = 1;
    loadData();
    isStudFinished();
}

void VideoPlayViewController::viewWillAppear(bool animated)
{
    NoXibViewController::viewWillAppear(animated);
    ReadingListLayout::replaceHeader(*m_tableView);
}

// Quitting is leaving: the closing save goes out, and the host waits for it a little.
void VideoPlayViewController::applicationWillTerminate(const std::shared_ptr<NSNotification>&)
{
    if (m_moviePlayer && m_moviePlayer->playbackState() == MPMoviePlaybackStatePlaying)
        m_moviePlayer->pause();
    stopTimer();
    if (!isCurrentFinished())
        closingSave();
}

void VideoPlayViewController::viewWillDisappear(bool animated)
{
    NoXibViewController::viewWillDisappear(animated);
    if (m_moviePlayer && m_moviePlayer->playbackState() == MPMoviePlaybackStatePlaying)
        m_moviePlayer->pause();
    stopTimer();
}

bool VideoPlayViewController::isCurrentFinished() const
{
    return ns::boolValue(m_videoDict ? m_videoDict->objectForKey(NSString("is_finish")) : nullptr);
}

void VideoPlayViewController::isStudFinished()
{
    if (isCurrentFinished())
        showAlert("提示", "该视频累计学时已满，您可以继续其他视频的学习", 0, false);
}

std::shared_ptr<UIAlertView> VideoPlayViewController::showAlert(const NSString& title, const NSString& message, NSInteger tag, bool withDelegate,
    bool withCancel)
{
    std::shared_ptr<UIAlertViewDelegate> delegate;
    if (withDelegate)
        delegate = me();
    auto alert = withCancel ? UIAlertView::create(title, message, delegate, NSString("取消"), std::vector<NSString> { "确定" })
                            : UIAlertView::create(title, message, delegate, NSString("确定"), std::vector<NSString> {});
    alert->setTag(tag);
    alert->show();
    return alert;
}

void VideoPlayViewController::loadData()
{
    if (!ServerUrlManger::networkIsValid() || !m_videoDict)
        return;
    // A lesson the list gave no video id is not asked for: the start says it cannot play.
    RequestFields fields;
    fields.ifPresent("teachid", m_videoDict->objectForKey(NSString("teachid"))).required("videoid", m_videoDict->objectForKey(NSString("videoid")));
    STProgressHUD::showInView(view());
    if (!fields.complete()) {
        STProgressHUD::dismissWithError("服务器数据异常，请稍候再试!", 1.0);
        return;
    }
    auto param = fields.dictionary();
    param->setObject(ns::number(static_cast<NSInteger>(m_subject)), NSString("selSubject"));
    m_isPassFourHour = false;
    std::weak_ptr<VideoPlayViewController> weakSelf = me();
    m_httpService->httpRequestDict(
        [weakSelf](const id& reply) {
            if (auto protectedSelf = weakSelf.lock())
                protectedSelf->initPlayCompletion(reply);
        },
        [](const std::shared_ptr<RQHTTPRequestOperation>&, const std::shared_ptr<NSError>&) {
            STProgressHUD::dismissWithError("服务器数据异常，请稍候再试!", 1.0);
        },
        "app/initPlay", nullptr, talkIdInto(param));
}

void VideoPlayViewController::initPlayCompletion(const id& reply)
{
    const auto code = ServiceReply::topLevelCode(reply);
    auto data = ns::dictionaryForKey(ns::dictionaryValue(reply), "data");
    if (!code || *code != 0 || !data) {
        STProgressHUD::dismissWithError("服务器数据异常，请稍候再试!", 1.0);
        return;
    }
    m_videoData = data->mutableCopyDictionary();
    std::string keyPointText;
    auto keyPoints = NSMutableArray::array();
    if (auto points = ns::arrayForKey(data, "keyPoint")) {
        for (NSUInteger i = 0; i < points->count(); ++i) {
            auto point = ns::dictionaryValue(points->objectAtIndex(i));
            if (!point)
                continue;
            keyPoints->addObject(point->mutableCopyDictionary());
            keyPointText += ns::stringForKey(point, "content").UTF8String();
            keyPointText += "\n";
        }
    }
    m_videoData->setObject(keyPoints, NSString("keyPoint"));

    if (m_keyPointLabel)
        m_keyPointLabel->removeFromSuperview();
    const CGFloat width = m_vScrollView->bounds().size.width - 20;
    m_keyPointLabel = RAAttributedLabel::create(CGRectMake(10, 5, width, 0));
    m_keyPointLabel->setLineSpacing(2);
    m_keyPointLabel->setParagraphSpacing(10);
    m_keyPointLabel->setNumberOfLines(0);
    m_keyPointLabel->setFont(UIFont::systemFontOfSize(15));
    m_keyPointLabel->setLineBreakMode(NSLineBreakByWordWrapping);
    m_keyPointLabel->setBackgroundColor(UIColor::clearColor());
    m_keyPointLabel->setTextColor(UIColor::blackColor());
    m_keyPointLabel->setText(NSString(keyPointText));
    const CGSize size = m_keyPointLabel->sizeThatFits(CGSizeMake(width, CGFLOAT_MAX));
    m_keyPointLabel->setFrame(CGRectMake(10, 5, size.width, size.height));
    m_vScrollView->addSubview(m_keyPointLabel);
    m_vScrollView->setContentSize(CGSizeMake(m_vScrollView->bounds().size.width, size.height + 10));

    auto related = NSMutableArray::array();
    if (auto records = ns::arrayForKey(data, "relateVideo")) {
        for (NSUInteger i = 0; i < records->count(); ++i)
            if (auto record = ns::dictionaryValue(records->objectAtIndex(i)))
                related->addObject(record->mutableCopyDictionary());
    }
    m_videoData->setObject(related, NSString("relateVideo"));
    m_preIntervalTime = ns::longLongValue(m_videoData->objectForKey(NSString("preIntervalTime")));

    m_tableView->reloadData();
    const CGFloat wanted = kRelatedRowHeight * static_cast<CGFloat>(related->count());
    CGRect frame = m_tableView->frame();
    if (wanted < frame.size.height) {
        frame.size.height = wanted;
        m_tableView->setFrame(frame);
    }
    readyPlayer();
    passFourHour(m_videoData->objectForKey(NSString("todayTime")));
    STProgressHUD::dismiss();
    std::weak_ptr<VideoPlayViewController> weakSelf = me();
    DelayedPerform::performSelector(self(), "scrollToCell", nullptr, 1.0, [weakSelf] {
        if (auto protectedSelf = weakSelf.lock())
            protectedSelf->scrollToCell();
    });
}

void VideoPlayViewController::observePlayer()
{
    auto center = NSNotificationCenter::defaultCenter();
    center->addObserver(me(), &VideoPlayViewController::moviePlayBackDidFinish, MPMoviePlayerPlaybackDidFinishNotification, m_moviePlayer);
    center->addObserver(me(), &VideoPlayViewController::moviePlayBackStateDidChange, MPMoviePlayerPlaybackStateDidChangeNotification, m_moviePlayer);
}

void VideoPlayViewController::stopObservingPlayer()
{
    auto center = NSNotificationCenter::defaultCenter();
    center->removeObserver(static_cast<const NSObject*>(this), MPMoviePlayerPlaybackDidFinishNotification, m_moviePlayer);
    center->removeObserver(static_cast<const NSObject*>(this), MPMoviePlayerPlaybackStateDidChangeNotification, m_moviePlayer);
}

void VideoPlayViewController::readyPlayer()
{
    stopObservingPlayer();
    stopTimer();
    m_moviePlayer->stop();
    setTitle(ns::stringForKey(m_videoDict, "name"));
    setNaviBarTitle(title());
    m_isFirstPreplay = true;
    observePlayer();
    auto url = NSURL::URLWithString(ns::stringForKey(m_videoDict, "url"));
    if (!url)
        return;
    m_moviePlayer->setContentURL(url);
    m_moviePlayer->prepareToPlay();
    auto center = NSNotificationCenter::defaultCenter();
    center->removeObserver(static_cast<const NSObject*>(this), MPMoviePlayerLoadStateDidChangeNotification, nullptr);
    center->addObserver(me(), &VideoPlayViewController::moviePlayerLoadStateChanged, MPMoviePlayerLoadStateDidChangeNotification, m_moviePlayer);
}

void VideoPlayViewController::startCounting()
{
    const long long learned = integerOf(m_videoDict, "learnedTime");
    const long long total = integerOf(m_videoDict, "videoTime");
    if (learned < total)
        m_moviePlayer->setCurrentPlaybackTime(std::floor(static_cast<double>(learned)));
    m_secondCountUp = 0;
    m_countedPosition = m_moviePlayer->currentPlaybackTime();
    m_tickRemaining = 1.0;
    m_moviePlayer->play();
    stopTimer();
    std::weak_ptr<VideoPlayViewController> weakSelf = me();
    m_timerUp = NSTimer::scheduledTimerWithTimeInterval(1.0, [weakSelf](const std::shared_ptr<NSTimer>&) {
        if (auto protectedSelf = weakSelf.lock())
            protectedSelf->timerCountUp();
    }, true);
}

void VideoPlayViewController::pauseTimer()
{
    if (!m_timerUp || !m_timerUp->isValid())
        return;
    const NSTimeInterval left = m_timerUp->fireDate()->timeIntervalSinceNow();
    if (left <= 1.0)
        m_tickRemaining = std::max(0.0, left);
    m_timerUp->setFireDate(NSDate::distantFuture());
}

// The next tick comes once a whole second has been played since the last one: a pause or a
// stall neither earns a second nor loses the part of one played before it.
void VideoPlayViewController::resumeTimer()
{
    if (m_timerUp && m_timerUp->isValid() && m_timerUp->fireDate()->timeIntervalSinceNow() > 1.0)
        m_timerUp->setFireDate(NSDate::dateWithTimeIntervalSinceNow(m_tickRemaining));
}

void VideoPlayViewController::stopTimer()
{
    if (m_timerUp)
        m_timerUp->invalidate();
    m_timerUp = nullptr;
}

// The load state is a set of bits: playable and playthrough-OK usually come together, and a
// stall comes as playable and stalled while the film still counts as playing.
void VideoPlayViewController::moviePlayerLoadStateChanged(const std::shared_ptr<NSNotification>&)
{
    const MPMovieLoadState state = m_moviePlayer->loadState();
    if (state & MPMovieLoadStateStalled) {
        pauseTimer();
        return;
    }
    if (!(state & (MPMovieLoadStatePlayable | MPMovieLoadStatePlaythroughOK)) || !m_moviePlayer->isPreparedToPlay())
        return;
    if (m_isFirstPreplay) {
        m_isFirstPreplay = false;
        startCounting();
        return;
    }
    // A film the learner (or this screen) paused, or one that has ended, stays as it is.
    const MPMoviePlaybackState playback = m_moviePlayer->playbackState();
    if (playback == MPMoviePlaybackStatePaused || playback == MPMoviePlaybackStateStopped)
        return;
    m_moviePlayer->play();
    resumeTimer();
}

void VideoPlayViewController::moviePlayBackStateDidChange(const std::shared_ptr<NSNotification>&)
{
    switch (m_moviePlayer->playbackState()) {
    case MPMoviePlaybackStateStopped:
        stopTimer();
        break;
    case MPMoviePlaybackStatePlaying:
        resumeTimer();
        break;
    case MPMoviePlaybackStatePaused:
    case MPMoviePlaybackStateInterrupted:
        pauseTimer();
        break;
    default:
        break;
    }
}

void VideoPlayViewController::moviePlayBackDidFinish(const std::shared_ptr<NSNotification>& notification)
{
    auto userInfo = notification ? notification->userInfo() : nullptr;
    auto reason = userInfo ? ns::numberValue(userInfo->objectForKey(NSString(MPMoviePlayerPlaybackDidFinishReasonUserInfoKey))) : nullptr;
    const bool ended = reason && reason->integerValue() == MPMovieFinishReasonPlaybackEnded;
    // A stream's playable part rarely equals its duration to the last fraction of a second.
    const bool whole = std::fabs(m_moviePlayer->duration() - m_moviePlayer->playableDuration()) <= 1.0;
    if (!ended && !whole)
        return;
    pauseTimer();
    if (m_moviePlayer->isFullscreen()) {
        m_moviePlayer->controls()->fullscreen(nullptr);
        m_moviePlayer->pause();
    }
    if (!isCurrentFinished()) {
        const long long learned = integerOf(m_videoDict, "learnedTime");
        const long long total = integerOf(m_videoDict, "videoTime");
        const long long watched = m_secondCountUp + unansweredSeconds();
        // The film has ended when it played up to its length: under the daily cap nothing is
        // credited, so the counted seconds cannot tell. The controls rewind a finished film before
        // this is told: it stood at the stream's end when it played through, else where the last
        // tick saw it. Within a second of the length is the end.
        const NSTimeInterval position = ended ? m_moviePlayer->duration() : m_countedPosition;
        const bool reachedLength = total > 0 && position + 1 >= static_cast<NSTimeInterval>(total);
        // The notice shows under the daily cap too: only the save is what the cap stops. While
        // the switch question is up it waits for the answer, so that it never stands over the
        // next film.
        if (reachedLength) {
            if (m_switchAlert.lock())
                m_completionAlertHeld = true;
            else
                showCompletionAlert();
        }
        // What is credited is still what was watched: a film skipped to its end is not whole.
        if (total > 0 && learned + watched + 1 >= total) {
            if (saveTime(total - learned, true))
                m_secondCountUp = 0;
        } else {
            closingSave();
        }
    }
    m_tableView->reloadData();
}

void VideoPlayViewController::showCompletionAlert()
{
    UIApplication::sharedApplication()->setStatusBarStyle(UIStatusBarStyle::Default, false);
    showAlert("提示", "该视频播放完成，您可以继续其他视频的学习", kCompletionAlert, true);
}

int VideoPlayViewController::judgePlayTime() const
{
    const long long learned = integerOf(m_videoDict, "learnedTime");
    const long long total = integerOf(m_videoDict, "videoTime");
    if (learned >= total || m_secondCountUp < 1)
        return static_cast<int>(learned);
    return static_cast<int>(std::min(learned + m_secondCountUp, total));
}

bool VideoPlayViewController::closingSave()
{
    const long long learned = integerOf(m_videoDict, "learnedTime");
    const long long total = integerOf(m_videoDict, "videoTime");
    const long long watched = m_secondCountUp + unansweredSeconds();
    bool sent = false;
    if (total > 0 && learned + watched >= total)
        sent = saveTime(total - learned, true);
    else if (watched > 0)
        sent = saveTime(m_secondCountUp, false);
    // What was sent is no longer counted: a later closing save must not send it again.
    if (sent)
        m_secondCountUp = 0;
    return sent;
}

void VideoPlayViewController::timerCountUp()
{
    // Only a second in which the film moved on was watched: a stall the player has not reported
    // yet, or a film stopped at its end, earns nothing.
    const NSTimeInterval position = m_moviePlayer ? m_moviePlayer->currentPlaybackTime() : 0;
    const bool moved = std::fabs(position - m_countedPosition) > 1e-3;
    m_countedPosition = position;
    if (!moved)
        return;
    ++m_secondCountUp;
    if (m_preIntervalTime >= 1 && m_secondCountUp >= m_preIntervalTime) {
        const long long interval = m_secondCountUp;
        m_secondCountUp = 0;
        if (!isCurrentFinished())
            saveTime(interval, false);
    }
}

void VideoPlayViewController::passFourHour(const id& todayTime)
{
    if (ns::intValue(todayTime) >= kDailyCap) {
        showAlert("", "当天理论培训时间已超过4个小时,接下来的学习时间将不计入有效学时！", 0, false);
        m_isPassFourHour = true;
    }
}

bool VideoPlayViewController::saveTime(long long interval, bool isEnd)
{
    if (m_isPassFourHour || !m_videoDict)
        return false;
    RequestFields fields;
    fields.ifPresent("recordid", m_videoData ? m_videoData->objectForKey(NSString("recordid")) : nullptr)
        .required("videoid", m_videoDict->objectForKey(NSString("videoid")))
        .ifPresent("subIsComplete", m_videoData ? m_videoData->objectForKey(NSString("subIsComplete")) : nullptr);
    if (!fields.complete())
        return false;
    const std::string videoid = videoIdOf(m_videoDict).UTF8String();
    // Seconds of an earlier save that failed ride on this one; a save to the end already covers them.
    long long carried = 0;
    if (auto found = m_uncredited.find(videoid); found != m_uncredited.end())
        carried = found->second;
    const long long total = isEnd ? interval : interval + carried;
    if (total < 1 || (isEnd && m_endsInFlight.contains(videoid)))
        return false;
    m_uncredited.erase(videoid);
    m_inFlight[videoid] += total;
    if (isEnd)
        m_endsInFlight.insert(videoid);
    auto delegate = AppDelegate::shared();
    auto user = delegate ? delegate->user() : nullptr;
    auto param = fields.dictionary();
    param->setObject(ns::number(static_cast<NSInteger>(total)), NSString("intervalTime"));
    param->setObject(ns::number(static_cast<NSInteger>(m_subject)), NSString("selSubject"));
    if (user)
        param->setObject(ns::textOf(user->carType()), NSString("examperdritype"));
    param->setObject(ns::number(isEnd ? 1 : 0), NSString("isEnd"));
    bool showedHUD = false;
    if (m_isAfterLoadData) {
        pauseTimer();
        STProgressHUD::show();
        showedHUD = true;
    }
    const unsigned long long sequence = ++m_saveSequence;
    auto record = m_videoDict;
    auto protectedSelf = me();
    auto inFlight = std::make_shared<SaveInFlight>();
    m_httpService->httpRequestDict(
        [protectedSelf, record, total, isEnd, sequence, showedHUD, inFlight](const id& reply) {
            protectedSelf->answered(record, total, isEnd);
            protectedSelf->saveTimeCompletion(reply, record, total, isEnd, sequence, showedHUD);
        },
        [protectedSelf, record, total, isEnd, showedHUD, inFlight](const std::shared_ptr<RQHTTPRequestOperation>&, const std::shared_ptr<NSError>&) {
            protectedSelf->answered(record, total, isEnd);
            protectedSelf->saveTimeFailure(record, total, showedHUD);
        },
        "app/saveTime", nullptr, talkIdInto(param));
    return true;
}

void VideoPlayViewController::answered(const std::shared_ptr<NSDictionary>& record, long long interval, bool isEnd)
{
    const std::string videoid = videoIdOf(record).UTF8String();
    m_inFlight[videoid] -= interval;
    if (isEnd)
        m_endsInFlight.erase(videoid);
}

void VideoPlayViewController::saveTimeCompletion(const id& reply, const std::shared_ptr<NSMutableDictionary>& record, long long interval,
    bool isEnd, unsigned long long sequence, bool showedHUD)
{
    const auto code = ServiceReply::topLevelCode(reply);
    auto data = ns::dictionaryForKey(ns::dictionaryValue(reply), "data");
    if (!code || *code != 0 || !data)
        return saveTimeFailure(record, interval, showedHUD);
    NSLog("保存学时成功!");
    const NSString videoid = videoIdOf(record);
    // Totals of the learner: only a newer answer replaces them, and only the members it carries.
    if (sequence > m_appliedSequence) {
        m_appliedSequence = sequence;
        auto delegate = AppDelegate::shared();
        auto account = delegate ? delegate->videoStUser() : nullptr;
        const char* members[] = { "sub1Time", "sub2Time", "sub3Time", "todayTime" };
        for (const char* member : members) {
            auto value = data->objectForKey(NSString(member));
            if (!value || ns::isNilOrNull(value))
                continue;
            if (m_videoData)
                m_videoData->setObject(value, NSString(member));
            if (!account)
                continue;
            const NSInteger seconds = ns::integerValue(value);
            if (member == members[0])
                account->setSub1time(seconds);
            else if (member == members[1])
                account->setSub2time(seconds);
            else if (member == members[2])
                account->setSub3time(seconds);
        }
        if (auto today = data->objectForKey(NSString("todayTime")); today && !ns::isNilOrNull(today))
            passFourHour(today);
    }
    // The video's own time: only on the record and the list row of the video saved.
    auto learnedValue = data->objectForKey(NSString("learnedTime"));
    auto& applied = m_appliedForVideo[videoid.UTF8String()];
    if (learnedValue && !ns::isNilOrNull(learnedValue) && sequence > applied) {
        applied = sequence;
        auto update = [&](const std::shared_ptr<NSMutableDictionary>& row) {
            if (!row)
                return;
            const long long total = integerOf(row, "videoTime");
            long long learned = VideoSeconds::secondsOf(learnedValue);
            if (total > 0 && learned > total)
                learned = total;
            row->setObject(NSNumber::numberWithLongLong(learned), NSString("learnedTime"));
            row->setObject(ns::boolean(total > 0 && learned >= total), NSString("is_finish"));
        };
        update(record);
        std::shared_ptr<NSMutableDictionary> listRow;
        for (NSUInteger i = 0; m_videoList && i < m_videoList->count() && !listRow; ++i) {
            auto row = std::dynamic_pointer_cast<NSMutableDictionary>(m_videoList->objectAtIndex(i));
            if (row && videoIdOf(row) == videoid)
                listRow = row;
        }
        if (listRow && listRow != record)
            update(listRow);
        // The list may be on screen again already, drawn before this answer came.
        if (listRow)
            NSNotificationCenter::defaultCenter()->postNotificationName(kVideoLearnedTimeDidChangeNotification, listRow);
    }
    (void)isEnd;
    if (m_tableView)
        m_tableView->reloadData();
    if (showedHUD) {
        if (m_isAfterLoadData)
            completePendingSwitch();
        else
            STProgressHUD::dismiss();
    }
}

void VideoPlayViewController::saveTimeFailure(const std::shared_ptr<NSMutableDictionary>& record, long long interval, bool showedHUD)
{
    NSLog("保存学时失败!");
    m_uncredited[videoIdOf(record).UTF8String()] += interval;
    if (showedHUD) {
        if (m_isAfterLoadData)
            completePendingSwitch();
        else
            STProgressHUD::dismiss();
    }
}

void VideoPlayViewController::completePendingSwitch()
{
    m_isAfterLoadData = false;
    if (auto chosen = relatedRecord(m_pendingRow))
        m_videoDict = chosen;
    m_tableView->reloadData();
    loadData();
}

std::shared_ptr<NSMutableDictionary> VideoPlayViewController::relatedRecord(NSInteger row) const
{
    auto related = m_videoData ? ns::arrayValue(m_videoData->objectForKey(NSString("relateVideo"))) : nullptr;
    if (!related || row < 0 || static_cast<NSUInteger>(row) >= related->count())
        return nullptr;
    return std::dynamic_pointer_cast<NSMutableDictionary>(related->objectAtIndex(static_cast<NSUInteger>(row)));
}

void VideoPlayViewController::moviePlayerWillMoveFromWindow()
{
    if (m_moviePlayer->view()->superview() != view())
        view()->addSubview(m_moviePlayer->view());
    m_moviePlayer->setFrame(m_defaultFrame);
}

void VideoPlayViewController::movieTimedOut()
{
    NSLog("MOVIE TIMED OUT");
    showAlert("", "加载视频失败", 0, false);
}

void VideoPlayViewController::relateEvent(UIControl&)
{
    m_preBtn->setSelected(true);
    m_nextBtn->setSelected(false);
    m_vScrollView->setHidden(true);
    m_tableContainer->setHidden(false);
}

void VideoPlayViewController::keyPoinTEvent(UIControl&)
{
    m_nextBtn->setSelected(true);
    m_preBtn->setSelected(false);
    m_vScrollView->setHidden(false);
    m_tableContainer->setHidden(true);
}

void VideoPlayViewController::scrollToCell()
{
    auto related = m_videoData ? ns::arrayValue(m_videoData->objectForKey(NSString("relateVideo"))) : nullptr;
    if (!related)
        return;
    const NSString current = videoIdOf(m_videoDict);
    for (NSUInteger i = 0; i < related->count(); ++i) {
        if (videoIdOf(ns::dictionaryValue(related->objectAtIndex(i))) == current) {
            m_tableView->scrollToRowAtIndexPath(NSIndexPath::indexPathForRow(static_cast<NSInteger>(i), 0), UITableViewScrollPosition::Top, false);
            return;
        }
    }
}

NSInteger VideoPlayViewController::numberOfRowsInSection(UITableView&, NSInteger)
{
    auto related = m_videoData ? ns::arrayValue(m_videoData->objectForKey(NSString("relateVideo"))) : nullptr;
    return related ? static_cast<NSInteger>(related->count()) : 0;
}

std::shared_ptr<UITableViewCell> VideoPlayViewController::cellForRowAtIndexPath(UITableView& table, const std::shared_ptr<NSIndexPath>& indexPath)
{
    auto cell = table.dequeueReusableCellWithIdentifier(kCellIdentifier);
    if (!cell) {
        cell = UITableViewCell::create(UITableViewCellStyle::Subtitle, kCellIdentifier);
        cell->setSelectionStyle(UITableViewCellSelectionStyle::None);
        const CGFloat width = table.bounds().size.width;
        auto background = UIView::create(CGRectMake(0, 0, width, kRelatedRowHeight));
        background->setTag(kBackgroundTag);
        background->setBackgroundColor(UIColor::clearColor());
        cell->contentView()->addSubview(background);
        auto state = UILabel::create();
        state->setTag(kStateTag);
        state->setFont(UIFont::systemFontOfSize(15));
        state->setText("未完成");
        state->sizeToFit();
        const CGFloat stateWidth = state->bounds().size.width;
        state->setFrame(CGRectMake(width - stateWidth - 10, (kRelatedRowHeight - 21) / 2, stateWidth, 21));
        cell->contentView()->addSubview(state);
        auto name = UILabel::create(CGRectMake(10, (kRelatedRowHeight - 21) / 2, width - stateWidth - 10 - 20, 21));
        name->setTag(kNameTag);
        name->setFont(UIFont::systemFontOfSize(15));
        cell->contentView()->addSubview(name);
    }
    auto record = relatedRecord(indexPath->row());
    std::static_pointer_cast<UILabel>(cell->contentView()->viewWithTag(kNameTag))->setText(ns::stringForKey(record, "name"));
    const bool done = integerOf(record, "learnedTime") >= integerOf(record, "videoTime");
    std::static_pointer_cast<UILabel>(cell->contentView()->viewWithTag(kStateTag))->setText(done ? "已完成" : "未完成");
    return cell;
}

void VideoPlayViewController::willDisplayCell(UITableView&, const std::shared_ptr<UITableViewCell>& cell, const std::shared_ptr<NSIndexPath>& indexPath)
{
    cell->setSeparatorInset(UIEdgeInsetsZero);
    cell->setLayoutMargins(UIEdgeInsetsZero);
    const bool current = videoIdOf(relatedRecord(indexPath->row())) == videoIdOf(m_videoDict);
    auto colour = current ? UIColor::whiteColor() : UIColor::blackColor();
    std::static_pointer_cast<UILabel>(cell->contentView()->viewWithTag(kNameTag))->setTextColor(colour);
    std::static_pointer_cast<UILabel>(cell->contentView()->viewWithTag(kStateTag))->setTextColor(colour);
    cell->contentView()->viewWithTag(kBackgroundTag)->setBackgroundColor(current ? UIColor_Addition::colorWithHexString("1e90ff") : UIColor::clearColor());
}

void VideoPlayViewController::didSelectRowAtIndexPath(UITableView& table, const std::shared_ptr<NSIndexPath>& indexPath)
{
    table.deselectRowAtIndexPath(indexPath, true);
    if (integerOf(m_videoDict, "learnedTime") >= integerOf(m_videoDict, "videoTime")) {
        if (auto chosen = relatedRecord(indexPath->row())) {
            m_videoDict = chosen;
            m_tableView->reloadData();
            loadData();
        }
        return;
    }
    m_pendingRow = indexPath->row();
    m_tableView->setTag(m_pendingRow);
    m_switchAlert = showAlert("提示", "该视频未播放完，是否要播放其他视频？", kSwitchAlert, true, true);
}

void VideoPlayViewController::alertViewClickedButtonAtIndex(UIAlertView& alert, NSInteger buttonIndex)
{
    if (alert.tag() == kCompletionAlert && buttonIndex == 0) {
        if (auto navigation = navigationController())
            navigation->popViewControllerAnimated(true);
        return;
    }
    if (alert.tag() != kSwitchAlert)
        return;
    m_switchAlert.reset();
    // The film ended while the question was up: its end was saved then. Staying, the learner sees
    // that it is finished; switching, that notice belongs to no film on screen any more.
    const bool endedMeanwhile = std::exchange(m_completionAlertHeld, false);
    if (buttonIndex != 1) {
        if (endedMeanwhile)
            showCompletionAlert();
        return;
    }
    if (m_moviePlayer->playbackState() == MPMoviePlaybackStatePlaying)
        m_moviePlayer->pause();
    if (isCurrentFinished()) {
        if (auto chosen = relatedRecord(m_pendingRow))
            m_videoDict = chosen;
        pauseTimer();
        loadData();
        return;
    }
    m_isAfterLoadData = true;
    // With nothing to save the learner's choice is carried out at once.
    if (!closingSave())
        completePendingSwitch();
}

void VideoPlayViewController::btnBack(UIControl&)
{
    if (m_moviePlayer->playbackState() == MPMoviePlaybackStatePlaying)
        m_moviePlayer->pause();
    NSNotificationCenter::defaultCenter()->removeObserver(static_cast<const NSObject*>(this));
    if (!isCurrentFinished())
        closingSave();
    stopTimer();
    if (auto navigation = navigationController())
        navigation->popViewControllerAnimated(true);
}
