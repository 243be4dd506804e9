#pragma once
// One exam on a paper: questions without verdicts, a countdown clock, every answer recorded at
// once, a move to the next question after each answer, and one ending: submitted, timed out or,
// in "仿真考试", stopped at too many wrong answers. The clock stands still while the learner is
// asked whether to submit or leave, so the first ending is the only one.

#include "app/theory/QuestionCardViewController.h"
#include "platform/foundation/NSTimer.h"
#include "platform/uikit/UIAlertView.h"
#include "platform/uikit/UILabel.h"

class TestViewController : public QuestionCardViewController, public UIAlertViewDelegate {
    NS_OBJECT(TestViewController, QuestionCardViewController)
public:
    ~TestViewController() override;

    NSInteger times() const { return m_times; }
    void setTimes(NSInteger minutes) { m_times = minutes; }
    bool isSimulation() const { return m_isSimulation; }
    void setIsSimulation(bool simulation) { m_isSimulation = simulation; }
    NSInteger errQuestions() const { return m_errQuestions; }
    void setErrQuestions(NSInteger count) { m_errQuestions = count; }
    std::shared_ptr<UIViewController> goBackViewController() const { return m_goBackViewController.lock(); }
    void setGoBackViewController(const std::shared_ptr<UIViewController>& controller) { m_goBackViewController = controller; }

    // Every question of a finished sitting back to unanswered, in a new sitting of the same exam.
    static std::shared_ptr<TestViewController> retake(const NSString& title, const std::shared_ptr<NSMutableArray>& questions,
        const std::shared_ptr<UIViewController>& home, NSInteger times, bool isSimulation, NSInteger errQuestions);
    // Back to home while it is still on the stack, else one screen back.
    static void goBack(UIViewController& from, const std::shared_ptr<UIViewController>& home);

    void loadView() override;
    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;
    void viewWillDisappear(bool animated) override;
    void timerFireEvent();
    void autoNextQuestion();
    void submitEvent(UIControl&);
    void leftBarButtonEvent(UIControl&);
    void alertViewClickedButtonAtIndex(UIAlertView& alert, NSInteger buttonIndex) override;
    void clickAtIndex(NSInteger index) override;
    void previousEvent(UIControl&);
    void nextEvent(UIControl&);

    NSInteger secondCountDown() const { return m_secondCountDown; }
    const std::shared_ptr<UILabel>& timeLabel() const { return m_timeLabel; }
    bool isRunning() const { return m_timerDown != nullptr; }
    NSInteger answeredCount() const;

protected:
    void buildToolbar(UIView& bar, CGFloat cellWidth) override;
    bool answerLocked() const override { return m_ended || (m_isSimulation && isAnswer()); }
    void answerRecorded() override;
    bool showsVerdict() const override { return false; }
    bool greysAnsweredConfirm() const override { return m_isSimulation; }
    bool gridIsTest() const override { return m_isSimulation; }

private:
    void startTimer();
    void stopTimer();
    void showClock();
    void cancelAutoNext();
    void askToEnd(NSInteger tag, const char* format);
    void endWithResult();
    void leave();

    std::shared_ptr<UILabel> m_timeLabel;
    std::shared_ptr<UIButton> m_submitBtn;
    NSInteger m_times { 45 };
    NSInteger m_secondCountDown { 0 };
    std::shared_ptr<NSTimer> m_timerDown;
    bool m_isSimulation { false };
    NSInteger m_errQuestions { 11 };
    std::weak_ptr<UIViewController> m_goBackViewController;
    // Set by the first ending; every later one is ignored.
    bool m_ended { false };
    // The navigation's edge pan, off while this screen shows, and whether it was on before.
    std::weak_ptr<UIGestureRecognizer> m_edgePan;
    bool m_edgePanWasEnabled { false };
};
