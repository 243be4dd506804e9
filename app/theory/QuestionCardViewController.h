#pragma once
// The question card and the bottom bar that the practice, exam and review screens share: the
// numbered question with its picture or video, the option rows, the confirm button of multiple
// choice, the verdict and the explanation, and how a tap becomes an answer written into the
// record and into the question bank. Each screen states what follows an answer and which
// answers are locked.

#include "app/screens/base/InsetsLabel.h"
#include "app/screens/base/NoXibViewController.h"
#include "app/theory/QuestionChoiseView.h"
#include "app/theory/QuestionManager.h"
#include "platform/foundation/NSNotification.h"
#include "platform/media/MPMoviePlayerController.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UIScrollView.h"
#include "platform/uikit/UITapGestureRecognizer.h"

class QuestionCardViewController : public NoXibViewController, public QuestionChoiseDelegate {
    NS_OBJECT(QuestionCardViewController, NoXibViewController)
public:
    static constexpr NSInteger kMarkTag = 20000;
    static constexpr NSInteger kVideoTag = 99;
    static constexpr NSInteger kPlayTag = 100;

    // The resource names behind a question's references: the last path component, a ".png"
    // ending read as the delivered ".jpg", a ".swf" ending as ".mp4".
    static NSString pictureNameForReference(const NSString& picurl);
    static NSString videoNameForReference(const NSString& videourl);

    // The list the screen walks, shared with whoever opened it; records change in place.
    const std::shared_ptr<NSMutableArray>& questions() const { return m_questions; }
    void setQuestions(const std::shared_ptr<NSMutableArray>& questions) { m_questions = questions; }

    // Card.
    virtual void showQuestion();
    virtual bool isAnswer() const;
    bool isMutil() const;
    bool isJudge() const;
    UIViewRef choiseItem(CGRect frame, const NSString& item, const NSString& index, bool mutil, bool isAnswer);
    void clickChoiseItem(UITapGestureRecognizer& tap);
    void okEvent(UIControl&);
    void showResultView();
    void explanEvent(UIControl&);
    void playVideo(UITapGestureRecognizer&);
    void movieThumbnailLoadComplete(const std::shared_ptr<NSNotification>& notification);
    void moviePlayBackDidFinish(const std::shared_ptr<NSNotification>& notification);

    // Bar.
    void previousEvent(UIControl&);
    void nextEvent(UIControl&);
    void choiseEvent(UIControl&);
    void clickAtIndex(NSInteger index) override;
    // Image above title, both centred: for a button wide enough for the two side by side.
    static void exceedWidthTab(UIButton& button);
    void lessWidthTab(UIButton& button);

    void loadView() override;
    void viewDidLoad() override;
    void viewDidDisappear(bool animated) override;

    // For tests: the card as shown.
    NSInteger index() const { return m_index; }
    NSInteger total() const { return m_total; }
    const std::shared_ptr<QuestionRecord>& quest() const { return m_quest; }
    const std::shared_ptr<UIScrollView>& vScrollView() const { return m_vScrollView; }
    const UIViewRef& questionView() const { return m_questionView; }
    const UIViewRef& choiseView() const { return m_choiseView; }
    const std::shared_ptr<UIButton>& okBtn() const { return m_okBtn; }
    const std::shared_ptr<InsetsLabel>& resultView() const { return m_resultView; }
    const UIViewRef& explanView() const { return m_explanView; }
    const std::shared_ptr<UIButton>& choiceBtn() const { return m_choiceBtn; }
    const std::shared_ptr<MPMoviePlayerController>& player() const { return m_player; }
    std::vector<UIViewRef> optionRows() const;

protected:
    // The records the card walks: the screen's questions unless it reviews a list of its own.
    virtual std::shared_ptr<NSMutableArray> cardList() const { return m_questions; }
    // Whether a tap or a confirmation on the question shown is ignored.
    virtual bool answerLocked() const { return isAnswer(); }
    // What follows a recorded answer.
    virtual void answerRecorded() { }
    // The exam has no verdict or explanation.
    virtual bool showsVerdict() const { return true; }
    // The confirm button of an answered multiple-choice question goes grey.
    virtual bool greysAnsweredConfirm() const { return true; }
    virtual bool gridIsTest() const { return false; }
    virtual NSString wrongVerdict(const NSString& rightAnswer) const;
    virtual void buildToolbar(UIView& bar, CGFloat cellWidth) = 0;
    // The stored answer string of the record shown.
    NSString storedAnswer() const;

    // A bar cell: image above title; the second image shows in the given state, as does the blue title.
    std::shared_ptr<UIButton> makeBarButton(CGRect frame, const NSString& image, const NSString& secondImage, UIControlState secondState,
        const NSString& title);
    void layoutTab(UIButton& button);
    void setCounter();
    void moveTo(NSInteger index);
    // The first and last questions are the bounds of a move; false after showing the toast.
    bool canMove(NSInteger step);
    void placePanels();
    void setConfirmLook(bool grey);
    void stopPlayer();

    std::shared_ptr<NSMutableArray> m_questions;
    std::shared_ptr<UIButton> m_previousBtn;
    std::shared_ptr<UIButton> m_choiceBtn;
    std::shared_ptr<UIButton> m_nextBtn;
    std::shared_ptr<UIScrollView> m_vScrollView;
    UIViewRef m_questionView;
    UIViewRef m_choiseView;
    std::shared_ptr<UIButton> m_okBtn;
    std::shared_ptr<InsetsLabel> m_resultView;
    UIViewRef m_explanView;
    std::shared_ptr<MPMoviePlayerController> m_player;
    // The video question's still: the question label owns it and places it only when it draws,
    // which may come after the decoder's still.
    std::weak_ptr<UIImageView> m_videoFrame;
    std::shared_ptr<QuestionRecord> m_quest;
    std::vector<NSInteger> m_mutilChoise;
    NSInteger m_index { 0 };
    NSInteger m_total { 0 };
};
