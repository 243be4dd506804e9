#pragma once
// The review of a finished exam: its wrong and unanswered questions one at a time, each with the
// learner's marks, the right answer and the explanation, and "重考" to sit the same paper again.
// An empty list shows an empty page.

#include "app/theory/QuestionCardViewController.h"
#include "platform/uikit/UILabel.h"

class ShowErrViewController : public QuestionCardViewController {
    NS_OBJECT(ShowErrViewController, QuestionCardViewController)
public:
    const std::shared_ptr<NSMutableArray>& answerErrs() const { return m_answerErrs; }
    void setAnswerErrs(const std::shared_ptr<NSMutableArray>& records) { m_answerErrs = records; }
    void setTimes(NSInteger minutes) { m_times = minutes; }
    void setIsSimulation(bool simulation) { m_isSimulation = simulation; }
    void setErrQuestions(NSInteger count) { m_errQuestions = count; }
    std::shared_ptr<UIViewController> goBackViewController() const { return m_goBackViewController.lock(); }
    void setGoBackViewController(const std::shared_ptr<UIViewController>& controller) { m_goBackViewController = controller; }

    void loadView() override;
    void viewDidLoad() override;
    bool isAnswer() const override;
    void aginEvent(UIControl&);
    void leftBarButtonEvent(UIControl&);

    const UIViewRef& emptyView() const { return m_emptyView; }

protected:
    std::shared_ptr<NSMutableArray> cardList() const override { return m_answerErrs; }
    void buildToolbar(UIView& bar, CGFloat cellWidth) override;
    void answerRecorded() override;
    bool greysAnsweredConfirm() const override { return false; }
    bool gridIsTest() const override { return m_isSimulation; }
    NSString wrongVerdict(const NSString& rightAnswer) const override { return NSString("正确答案是:") + rightAnswer; }

private:
    std::shared_ptr<NSMutableArray> m_answerErrs;
    NSInteger m_times { 0 };
    bool m_isSimulation { false };
    NSInteger m_errQuestions { 0 };
    std::weak_ptr<UIViewController> m_goBackViewController;
    std::shared_ptr<UILabel> m_timeLabel;
    UIViewRef m_emptyView;
};
