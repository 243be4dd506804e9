#pragma once
// Practice: one question at a time with its verdict and explanation as soon as it is answered,
// favourites, and the number grid. No clock, no score. Opened with at least one question.

#include "app/theory/QuestionCardViewController.h"

class ExerciseViewController : public QuestionCardViewController {
    NS_OBJECT(ExerciseViewController, QuestionCardViewController)
public:
    void showQuestion() override;
    void favoriteEvent(UIControl&);
    void explanationEvent(UIControl&);

    const std::shared_ptr<UIButton>& explanBtn() const { return m_explanBtn; }
    const std::shared_ptr<UIButton>& favoriteBtn() const { return m_favoriteBtn; }

protected:
    void buildToolbar(UIView& bar, CGFloat cellWidth) override;
    void answerRecorded() override;

private:
    std::shared_ptr<UIButton> m_explanBtn;
    std::shared_ptr<UIButton> m_favoriteBtn;
};
