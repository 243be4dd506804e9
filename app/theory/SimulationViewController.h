#pragma once
// The exam home: the facts of the exam for a subject and its four modes, "仿真考试" (answers
// locked, submitted at too many wrong answers), "模拟考试", "先考未做" and "先考错题". Each mode
// assembles a paper of exactly the announced number of questions and opens the exam on it.

#include "app/screens/base/NoXibViewController.h"
#include "app/theory/QuestionPaper.h"
#include "library/widgets/popover/PVMenuPopover.h"
#include "platform/uikit/UIAlertView.h"
#include "platform/uikit/UILabel.h"

class SimulationViewController : public NoXibViewController, public PVMenuPopoverDelegate, public UIAlertViewDelegate {
    NS_OBJECT(SimulationViewController, NoXibViewController)
public:
    ~SimulationViewController() override;

    NSInteger subject() const { return m_subject; }
    void setSubject(NSInteger subject) { m_subject = subject; }
    const std::shared_ptr<NSMutableArray>& subjectArr() const { return m_subjectArr; }
    void setSubjectArr(const std::shared_ptr<NSMutableArray>& subjects) { m_subjectArr = subjects; }

    void loadView() override;
    void viewDidLoad() override;
    void setText();
    void getQuestions();
    void rightMoreBtn(UIControl&);
    void menuPopoverDidSelectMenuItemAtIndex(PVMenuPopover& menuPopover, NSInteger selectedIndex) override;
    void realTest(UIControl&);
    void simulationTest(UIControl&);
    void unanswerText(UIControl&);
    void errorTest(UIControl&);
    void alertViewClickedButtonAtIndex(UIAlertView& alert, NSInteger buttonIndex) override;

    int questionCount() const { return m_questionCount; }
    int times() const { return m_times; }
    int errQuestions() const { return m_errQuestions; }
    const std::shared_ptr<NSMutableArray>& logicQuestArr() const { return m_logicQuestArr; }
    const std::shared_ptr<UILabel>& labelQuest() const { return m_labelQuest; }
    const std::shared_ptr<UILabel>& memoLable() const { return m_memoLable; }

private:
    void startMode(const char* name, const NSString& title, QuestionPaper::RowQuery query, bool isSimulation);

    std::shared_ptr<UILabel> m_labelSubject;
    std::shared_ptr<UILabel> m_labelQuest;
    std::shared_ptr<UILabel> m_memoLable;
    NSInteger m_subject { 0 };
    std::shared_ptr<NSMutableArray> m_logicQuestArr;
    int m_questionCount { 0 };
    int m_times { 0 };
    int m_errQuestions { 0 };
    std::shared_ptr<PVMenuPopover> m_menuPopover;
    std::shared_ptr<NSMutableArray> m_subjectArr;
    bool m_loaderPending { false };
};
