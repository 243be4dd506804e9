#pragma once
// One course video for the learner, played in the embedded player with its control bar, with two
// tabs below: "相关", the course's related videos with the current one highlighted, and "要点", its
// key points. Playback resumes where the credited time ends. A 1 s timer counts the seconds
// actually played; every preIntervalTime seconds, and when the learner leaves, switches or reaches
// the end, the seconds go to the video-learning service as theory training time, which credits them
// under a daily cap of four hours. Only seconds in which the film moved count: a stall pauses the
// count, and the film plays on by itself when its data comes again. Nothing counted is lost on
// the way: a save that fails keeps its seconds for the next one, quitting the client sends what
// was watched, a reply is applied only to the video it was sent for and never over newer totals,
// and the local times change only on the service's answer.

#include "app/screens/base/NoXibViewController.h"
#include "app/services/HttpServiceVideoStud.h"
#include "library/widgets/player/VPMoviePlayerController.h"
#include "library/widgets/richlabel/RAAttributedLabel.h"
#include "platform/foundation/NSArray.h"
#include "platform/foundation/NSDictionary.h"
#include "platform/foundation/NSTimer.h"
#include "platform/uikit/UIAlertView.h"
#include "platform/uikit/UIScrollView.h"
#include "platform/uikit/UITableView.h"

#include <map>
#include <set>

// Posted when a save's answer has changed a row of the course list (object: the row).
inline constexpr const char* kVideoLearnedTimeDidChangeNotification = "Corvane_videoLearnedTimeDidChange";

class VideoPlayViewController : public NoXibViewController, public VPMoviePlayerControllerDelegate, public UITableViewDataSource,
                                public UITableViewDelegate, public UIAlertViewDelegate {
    NS_OBJECT(VideoPlayViewController, NoXibViewController)
public:
    static constexpr long long kDailyCap = 14400;
    static constexpr CGFloat kPlayerHeight = 246;
    static constexpr CGFloat kRelatedRowHeight = 50;

    ~VideoPlayViewController() override;

    long long subject() const { return m_subject; }
    void setSubject(long long subject) { m_subject = subject; }
    const std::shared_ptr<NSMutableDictionary>& videoDict() const { return m_videoDict; }
    void setVideoDict(const std::shared_ptr<NSMutableDictionary>& record) { m_videoDict = record; }
    const std::shared_ptr<NSMutableArray>& videoList() const { return m_videoList; }
    void setVideoList(const std::shared_ptr<NSMutableArray>& list) { m_videoList = list; }

    void loadView() override;
    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;
    void viewWillDisappear(bool animated) override;
    void willAnimateRotationToInterfaceOrientation(UIInterfaceOrientation orientation, NSTimeInterval duration) override;

    void loadData();
    void readyPlayer();
    void isStudFinished();
    void scrollToCell();
    void relateEvent(UIControl&);
    void keyPoinTEvent(UIControl&);
    void btnBack(UIControl&);
    // The player's size: 700 x 535 on a pad, else the view's width and 246; on a pad the tabs and
    // panels move below it. The orientation is not consulted.
    void configureViewForOrientation(UIInterfaceOrientation orientation);
    void applicationWillTerminate(const std::shared_ptr<NSNotification>& notification);

    void timerCountUp();
    // The watched position of the current video, in whole seconds.
    int judgePlayTime() const;
    // Sends one save for the current video; nothing while the cap is reached or below a second.
    // Answers whether a save went out.
    bool saveTime(long long interval, bool isEnd);
    void passFourHour(const id& todayTime);

    void moviePlayerLoadStateChanged(const std::shared_ptr<NSNotification>& notification);
    void moviePlayBackStateDidChange(const std::shared_ptr<NSNotification>& notification);
    void moviePlayBackDidFinish(const std::shared_ptr<NSNotification>& notification);
    void moviePlayerWillMoveFromWindow() override;
    void movieTimedOut() override;

    NSInteger numberOfRowsInSection(UITableView&, NSInteger section) override;
    std::optional<NSInteger> numberOfSectionsInTableView(UITableView&) override { return 1; }
    std::shared_ptr<UITableViewCell> cellForRowAtIndexPath(UITableView& table, const std::shared_ptr<NSIndexPath>& indexPath) override;
    std::optional<CGFloat> heightForRowAtIndexPath(UITableView&, const std::shared_ptr<NSIndexPath>&) override { return kRelatedRowHeight; }
    void willDisplayCell(UITableView&, const std::shared_ptr<UITableViewCell>& cell, const std::shared_ptr<NSIndexPath>& indexPath) override;
    void didSelectRowAtIndexPath(UITableView& table, const std::shared_ptr<NSIndexPath>& indexPath) override;
    void alertViewClickedButtonAtIndex(UIAlertView& alert, NSInteger buttonIndex) override;

    const std::shared_ptr<VPMoviePlayerController>& moviePlayer() const { return m_moviePlayer; }
    const std::shared_ptr<NSMutableDictionary>& videoData() const { return m_videoData; }
    const std::shared_ptr<UITableView>& mTableView() const { return m_tableView; }
    const std::shared_ptr<UIScrollView>& vScrollView() const { return m_vScrollView; }
    const std::shared_ptr<RAAttributedLabel>& keyPointLabel() const { return m_keyPointLabel; }
    long long preIntervalTime() const { return m_preIntervalTime; }
    int secondCountUp() const { return m_secondCountUp; }
    bool isPassFourHour() const { return m_isPassFourHour; }
    bool isAfterLoadData() const { return m_isAfterLoadData; }
    const std::shared_ptr<NSTimer>& timerUp() const { return m_timerUp; }
    // Seconds counted for a video whose save failed, waiting for its next save.
    long long uncreditedSeconds(const NSString& videoid) const;

private:
    std::shared_ptr<VideoPlayViewController> me() { return std::static_pointer_cast<VideoPlayViewController>(self()); }
    void initPlayCompletion(const id& reply);
    void saveTimeCompletion(const id& reply, const std::shared_ptr<NSMutableDictionary>& record, long long interval, bool isEnd,
        unsigned long long sequence, bool showedHUD);
    void saveTimeFailure(const std::shared_ptr<NSMutableDictionary>& record, long long interval, bool showedHUD);
    // A save's answer or failure has come: its seconds are no longer on their way.
    void answered(const std::shared_ptr<NSDictionary>& record, long long interval, bool isEnd);
    // The switch that waited for a save: the chosen related video becomes current.
    void completePendingSwitch();
    // Sends what the learner watched of the current video since the last save; answers whether a
    // save went out.
    bool closingSave();
    void startCounting();
    void pauseTimer();
    void resumeTimer();
    void stopTimer();
    void observePlayer();
    void stopObservingPlayer();
    bool isCurrentFinished() const;
    long long unansweredSeconds() const;
    std::shared_ptr<NSMutableDictionary> relatedRecord(NSInteger row) const;
    std::shared_ptr<UIAlertView> showAlert(const NSString& title, const NSString& message, NSInteger tag, bool withDelegate,
        bool withCancel = false);
    void showCompletionAlert();

    long long m_subject { 0 };
    std::shared_ptr<NSMutableDictionary> m_videoDict;
    std::shared_ptr<NSMutableArray> m_videoList;

    std::shared_ptr<HttpServiceVideoStud> m_httpService;
    std::shared_ptr<NSMutableDictionary> m_videoData;
    std::shared_ptr<UITableView> m_tableView;
    std::shared_ptr<UIView> m_tableContainer;
    std::shared_ptr<RAAttributedLabel> m_keyPointLabel;
    std::shared_ptr<UIScrollView> m_vScrollView;
    std::shared_ptr<UIButton> m_preBtn;
    std::shared_ptr<UIButton> m_nextBtn;
    std::shared_ptr<UIView> m_tabLine;
    std::shared_ptr<NSTimer> m_timerUp;
    std::shared_ptr<VPMoviePlayerController> m_moviePlayer;
    CGRect m_defaultFrame {};
    long long m_preIntervalTime { 1 };
    int m_secondCountUp { 0 };
    // The film's position at the last tick: a tick counts only when it moved.
    NSTimeInterval m_countedPosition { 0 };
    // How much of the current second was still to play when the timer was paused.
    NSTimeInterval m_tickRemaining { 1.0 };
    bool m_isFirstPreplay { false };
    bool m_isPassFourHour { false };
    bool m_isAfterLoadData { false };
    NSInteger m_pendingRow { -1 };
    // The switch question while it is up or waiting in line.
    std::weak_ptr<UIAlertView> m_switchAlert;
    // The film ended under the switch question: its notice waits for the answer.
    bool m_completionAlertHeld { false };
    // Each save is numbered; a reply older than the last one applied changes no totals.
    unsigned long long m_saveSequence { 0 };
    unsigned long long m_appliedSequence { 0 };
    std::map<std::string, unsigned long long> m_appliedForVideo;
    std::map<std::string, long long> m_uncredited;
    // Seconds of saves sent and not answered yet, by video.
    std::map<std::string, long long> m_inFlight;
    // Videos whose end was sent and not answered yet: the end covers everything, so nothing
    // sends it again meanwhile.
    std::set<std::string> m_endsInFlight;
};
