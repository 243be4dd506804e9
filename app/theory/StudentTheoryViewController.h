#pragma once
// The learner's theory home: the subjects of the bank for the learner's licence class, one of
// them current, and every theory activity on it: the exams, random, special and sequence
// practice, the questions not yet done, the wrong answers and the favourites. An entry is taken
// once: while its questions load the other entries wait.

#include "app/screens/base/NoXibViewController.h"
#include "app/theory/QuestionManager.h"
#include "library/widgets/popover/PVMenuPopover.h"

class StudentTheoryViewController : public NoXibViewController, public PVMenuPopoverDelegate {
    NS_OBJECT(StudentTheoryViewController, NoXibViewController)
public:
    ~StudentTheoryViewController() override;

    void loadView() override;
    void viewDidLoad() override;
    void rightMoreBtn(UIControl&);
    void menuPopoverDidSelectMenuItemAtIndex(PVMenuPopover& menuPopover, NSInteger selectedIndex) override;
    void getQuestions();

    void testQuestion(UIControl&);
    void randomExercises(UIControl&);
    void specialExercises(UIControl&);
    void sequenceExercises(UIControl&);
    void arrearExercises(UIControl&);
    void errorQuestion(UIControl&);
    void favoriteQuestion(UIControl&);
    void reportCard(UIControl&);
    void mainPoint(UIControl&);

    NSInteger subject() const { return m_subject; }
    const std::shared_ptr<NSMutableArray>& subjectArr() const { return m_subjectArr; }
    const std::shared_ptr<NSMutableArray>& logicQuestArr() const { return m_logicQuestArr; }
    const std::shared_ptr<PVMenuPopover>& menuPopover() const { return m_menuPopover; }

private:
    using Loader = std::function<std::shared_ptr<NSMutableArray>(QuestionManager&, const NSString& carType, const NSString& subject)>;
    void load(const char* name, const NSString& title, Loader loader);
    void setSubject(NSInteger subject);

    std::shared_ptr<NSMutableArray> m_subjectArr;
    std::shared_ptr<NSMutableArray> m_logicQuestArr;
    NSInteger m_subject { 0 };
    std::shared_ptr<PVMenuPopover> m_menuPopover;
    bool m_loaderPending { false };
};
