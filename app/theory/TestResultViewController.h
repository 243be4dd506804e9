#pragma once
// The end of an exam: the grade picture, the examinee, the score and the time used, with the
// review of the wrong and unanswered questions and a retake of the same paper. Works only on the
// paper it is given; nothing is read or written elsewhere.

#include "app/screens/base/NoXibViewController.h"
#include "app/theory/QuestionManager.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UILabel.h"

class TestResultViewController : public NoXibViewController {
    NS_OBJECT(TestResultViewController, NoXibViewController)
public:
    void setQuestions(const std::shared_ptr<NSMutableArray>& questions) { m_questions = questions; }
    const std::shared_ptr<NSMutableArray>& questions() const { return m_questions; }
    void setTimes(NSInteger minutes) { m_times = minutes; }
    void setIsSimulation(bool simulation) { m_isSimulation = simulation; }
    void setErrQuestions(NSInteger count) { m_errQuestions = count; }
    void setDuration(NSInteger seconds) { m_duration = seconds; }
    std::shared_ptr<UIViewController> goBackViewController() const { return m_goBackViewController.lock(); }
    void setGoBackViewController(const std::shared_ptr<UIViewController>& controller) { m_goBackViewController = controller; }

    void loadView() override;
    void showEvent(UIControl&);
    void aginEvent(UIControl&);
    void leftBarButtonEvent(UIControl&);

    // As shown.
    NSString scoreText() const;
    NSString gradeImageName() const;
    NSString durationText() const;
    const std::shared_ptr<UIButton>& showErrBtn() const { return m_showErrBtn; }
    const std::shared_ptr<UIButton>& reAnswerBtn() const { return m_reAnswerBtn; }

private:
    NSInteger rightCount() const;
    NSInteger reviewCount() const;

    std::shared_ptr<NSMutableArray> m_questions;
    NSInteger m_times { 0 };
    bool m_isSimulation { false };
    NSInteger m_errQuestions { 0 };
    NSInteger m_duration { 0 };
    std::weak_ptr<UIViewController> m_goBackViewController;
    std::shared_ptr<UIButton> m_showErrBtn;
    std::shared_ptr<UIButton> m_reAnswerBtn;
};
