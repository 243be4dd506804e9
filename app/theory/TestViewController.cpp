#include "app/theory/TestViewController.h"

#include "app/screens/base/CustomNaviBarView.h"
#include "app/screens/base/UIColor_Addition.h"
#include "app/theory/TestResultViewController.h"
#include "library/widgets/hud/UIView_Toast.h"
#include "platform/foundation/DelayedPerform.h"
#include "platform/foundation/NSNumber.h"
#include "platform/foundation/TypedValues.h"
#include "platform/uikit/UINavigationController.h"

namespace {

constexpr const char* kAutoNext = "autoNextQuestion";

enum AlertTag : NSInteger { kSubmitAlert = 1, kExitAlert = 2, kTooManyWrongAlert = 3, kTimeUpAlert = 4 };

} // namespace

TestViewController::~TestViewController()
{
    if (m_timerDown)
        m_timerDown->invalidate();
    DelayedPerform::cancelPreviousPerformRequestsWithTarget(static_cast<const NSObject*>(this));
}

void TestViewController::loadView()
{
    QuestionCardViewController::loadView();
    setNaviBarLeftBtn(CustomNaviBarView::createImgNaviBarBtnByImgNormal("nav_arrow_d", "nav_arrow_b",
        self(), &TestViewController::leftBarButtonEvent));
}

void TestViewController::buildToolbar(UIView& bar, CGFloat c)
{
    auto me = self();
    auto frame = [c](int i) { return CGRectMake(CGFloat(i) * (c + 0.5), 0, c, 44); };
    m_previousBtn = makeBarButton(frame(0), "pag_f_07", "pag_f_01h", UIControlStateHighlighted, "上一题");
    m_previousBtn->addTarget(me, &TestViewController::previousEvent, UIControlEventTouchUpInside);
    m_choiceBtn = makeBarButton(frame(1), "pag_f_04", "pag_f_04h", UIControlStateHighlighted, "1/100");
    m_choiceBtn->addTarget(std::shared_ptr<QuestionCardViewController>(me), &QuestionCardViewController::choiseEvent, UIControlEventTouchUpInside);
    m_timeLabel = UILabel::create(frame(2));
    m_timeLabel->setBackgroundColor(UIColor::clearColor());
    m_timeLabel->setTextColor(UIColor_Addition::colorWithHexString("50a7d4"));
    m_timeLabel->setTextAlignment(NSTextAlignmentCenter);
    m_timeLabel->setFont(UIFont::systemFontOfSize(13));
    m_submitBtn = makeBarButton(frame(3), "pag_f_02", "pag_f_02h", UIControlStateHighlighted, "交卷");
    m_submitBtn->addTarget(me, &TestViewController::submitEvent, UIControlEventTouchUpInside);
    m_nextBtn = makeBarButton(frame(4), "pag_f_01", "pag_f_07h", UIControlStateHighlighted, "下一题");
    m_nextBtn->addTarget(me, &TestViewController::nextEvent, UIControlEventTouchUpInside);
    bar.addSubview(m_previousBtn);
    bar.addSubview(m_choiceBtn);
    bar.addSubview(m_timeLabel);
    bar.addSubview(m_submitBtn);
    bar.addSubview(m_nextBtn);
}

void TestViewController::viewDidLoad()
{
    m_secondCountDown = std::max<NSInteger>(m_times, 0) * 60;
    m_ended = false;
    // The real time left shows from the first frame.
    showClock();
    QuestionCardViewController::viewDidLoad();
    startTimer();
}

// The only way out of a running exam is the back button, which asks first: the navigation's edge
// pan would leave without a word.
void TestViewController::viewWillAppear(bool animated)
{
    QuestionCardViewController::viewWillAppear(animated);
    auto navigation = navigationController();
    auto pan = navigation ? navigation->interactivePopGestureRecognizer() : nullptr;
    if (!pan || m_edgePan.lock())
        return;
    m_edgePan = pan;
    m_edgePanWasEnabled = pan->isEnabled();
    pan->setEnabled(false);
}

void TestViewController::viewWillDisappear(bool animated)
{
    if (auto pan = m_edgePan.lock())
        pan->setEnabled(m_edgePanWasEnabled);
    m_edgePan.reset();
    QuestionCardViewController::viewWillDisappear(animated);
}

// MARK: Clock

void TestViewController::showClock()
{
    if (m_timeLabel)
        m_timeLabel->setText(NSString::stringWithFormat("%02d:%02d", int(m_secondCountDown / 60), int(m_secondCountDown % 60)));
}

void TestViewController::startTimer()
{
    if (m_timerDown || m_ended)
        return;
    std::weak_ptr<TestViewController> weakSelf = self();
    m_timerDown = NSTimer::scheduledTimerWithTimeInterval(1.0, [weakSelf](const auto&) {
        if (auto strongSelf = weakSelf.lock())
            strongSelf->timerFireEvent();
    }, true);
}

void TestViewController::stopTimer()
{
    if (m_timerDown) {
        m_timerDown->invalidate();
        m_timerDown.reset();
    }
}

void TestViewController::timerFireEvent()
{
    if (m_ended)
        return stopTimer();
    --m_secondCountDown;
    if (m_secondCountDown > 0)
        return showClock();
    m_secondCountDown = 0;
    showClock();
    stopTimer();
    m_ended = true;
    cancelAutoNext();
    auto alert = UIAlertView::create(NSString("温馨提示"), NSString("对不起，时间到！系统自动交卷~"),
        self(), NSString("确定"), std::vector<NSString> {});
    alert->setTag(kTimeUpAlert);
    alert->show();
}

// MARK: Answers and moves

NSInteger TestViewController::answeredCount() const
{
    NSInteger answered = 0;
    for (NSUInteger i = 0; m_questions && i < m_questions->count(); ++i) {
        if (auto record = ns::cast<NSDictionary>(m_questions->objectAtIndex(i)); record && ns::integerForKey(record, "type") != 0)
            ++answered;
    }
    return answered;
}

void TestViewController::answerRecorded()
{
    if (m_isSimulation) {
        NSInteger wrong = 0;
        for (NSUInteger i = 0; m_questions && i < m_questions->count(); ++i) {
            if (auto record = ns::cast<NSDictionary>(m_questions->objectAtIndex(i)); record && ns::integerForKey(record, "type") == 2)
                ++wrong;
        }
        if (wrong >= m_errQuestions) {
            stopTimer();
            m_ended = true;
            cancelAutoNext();
            auto alert = UIAlertView::create(NSString("温馨提示"), NSString::stringWithFormat("错题达到%d题，系统会自动交卷~", int(m_errQuestions)),
                self(), NSString("确定"), std::vector<NSString> {});
            alert->setTag(kTooManyWrongAlert);
            alert->show();
            return;
        }
    }
    autoNextQuestion();
}

void TestViewController::autoNextQuestion()
{
    if (m_index < m_total - 1) {
        cancelAutoNext();
        std::weak_ptr<TestViewController> weakSelf = self();
        DelayedPerform::performSelector(self(), kAutoNext, nullptr, 0.5, [weakSelf] {
            auto strongSelf = weakSelf.lock();
            if (strongSelf && !strongSelf->m_ended && strongSelf->m_index < strongSelf->m_total - 1)
                strongSelf->moveTo(strongSelf->m_index + 1);
        });
        return;
    }
    if (answeredCount() == m_total)
        Toast::makeToast(view(), "恭喜您，此次所有题目做完了！", 1.0, NSString("bottom"));
}

void TestViewController::cancelAutoNext()
{
    DelayedPerform::cancelPreviousPerformRequestsWithTarget(self(), kAutoNext, nullptr);
}

void TestViewController::previousEvent(UIControl& sender)
{
    // A move of the learner's own replaces the one that was about to follow the answer.
    cancelAutoNext();
    QuestionCardViewController::previousEvent(sender);
}

void TestViewController::nextEvent(UIControl& sender)
{
    cancelAutoNext();
    QuestionCardViewController::nextEvent(sender);
}

void TestViewController::clickAtIndex(NSInteger index)
{
    cancelAutoNext();
    QuestionCardViewController::clickAtIndex(index);
}

// MARK: Ending

void TestViewController::askToEnd(NSInteger tag, const char* format)
{
    if (m_ended)
        return;
    // The clock waits while the learner decides.
    stopTimer();
    const NSInteger answered = answeredCount();
    auto alert = UIAlertView::create(NSString("温馨提示"), NSString::stringWithFormat(format, int(answered), int(m_total - answered)),
        self(), NSString("取消"), std::vector<NSString> { "确定" });
    alert->setTag(tag);
    alert->show();
}

void TestViewController::submitEvent(UIControl&)
{
    askToEnd(kSubmitAlert, "您已经回答了：%d题，还有%d题未答，是否交卷？");
}

void TestViewController::leftBarButtonEvent(UIControl&)
{
    if (m_ended)
        return leave();
    askToEnd(kExitAlert, "您已经回答了：%d题，还有%d题未答，是否退出？");
}

void TestViewController::alertViewClickedButtonAtIndex(UIAlertView& alert, NSInteger buttonIndex)
{
    switch (alert.tag()) {
    case kSubmitAlert:
    case kExitAlert:
        if (buttonIndex != 1 || m_ended) {
            startTimer();
            return;
        }
        m_ended = true;
        return alert.tag() == kSubmitAlert ? endWithResult() : leave();
    case kTooManyWrongAlert:
    case kTimeUpAlert:
        if (buttonIndex == 0)
            endWithResult();
        return;
    default:
        return;
    }
}

void TestViewController::endWithResult()
{
    stopTimer();
    cancelAutoNext();
    stopPlayer();
    auto navigation = navigationController();
    if (!navigation || navigation->topViewController() != self())
        return;
    auto result = TestResultViewController::create();
    result->setTitle(title());
    result->setQuestions(m_questions);
    result->setTimes(m_times);
    result->setIsSimulation(m_isSimulation);
    result->setErrQuestions(m_errQuestions);
    result->setGoBackViewController(goBackViewController());
    result->setDuration(m_times * 60 - m_secondCountDown);
    navigation->pushViewController(result, true);
}

void TestViewController::leave()
{
    stopTimer();
    cancelAutoNext();
    stopPlayer();
    goBack(*this, goBackViewController());
}

void TestViewController::goBack(UIViewController& from, const std::shared_ptr<UIViewController>& home)
{
    auto navigation = from.navigationController();
    if (!navigation)
        return;
    if (home) {
        const auto stack = navigation->viewControllers();
        if (std::find(stack.begin(), stack.end(), home) != stack.end()) {
            navigation->popToViewController(home, true);
            return;
        }
    }
    navigation->popViewControllerAnimated(true);
}

std::shared_ptr<TestViewController> TestViewController::retake(const NSString& title, const std::shared_ptr<NSMutableArray>& questions,
    const std::shared_ptr<UIViewController>& home, NSInteger times, bool isSimulation, NSInteger errQuestions)
{
    for (NSUInteger i = 0; questions && i < questions->count(); ++i) {
        if (auto record = ns::cast<QuestionRecord>(questions->objectAtIndex(i)))
            record->setObject(NSNumber::numberWithInteger(0), NSString("type"));
    }
    auto exam = create();
    exam->setTitle(title);
    exam->setQuestions(questions);
    exam->setGoBackViewController(home);
    exam->setTimes(times);
    exam->setIsSimulation(isSimulation);
    exam->setErrQuestions(errQuestions);
    return exam;
}
