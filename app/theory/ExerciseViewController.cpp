#include "app/theory/ExerciseViewController.h"

#include "platform/foundation/NSNumber.h"
#include "platform/foundation/TypedValues.h"

void ExerciseViewController::buildToolbar(UIView& bar, CGFloat c)
{
    auto me = self();
    auto frame = [c](int i) { return CGRectMake(CGFloat(i) * (c + 0.5), 0, c, 44); };
    m_previousBtn = makeBarButton(frame(0), "pag_f_07", "pag_f_01h", UIControlStateHighlighted, "上一题");
    m_previousBtn->addTarget(std::shared_ptr<QuestionCardViewController>(me), &QuestionCardViewController::previousEvent, UIControlEventTouchUpInside);
    m_choiceBtn = makeBarButton(frame(1), "pag_f_04", "pag_f_04h", UIControlStateHighlighted, "1/100");
    m_choiceBtn->addTarget(std::shared_ptr<QuestionCardViewController>(me), &QuestionCardViewController::choiseEvent, UIControlEventTouchUpInside);
    m_explanBtn = makeBarButton(frame(2), "pag_f_11", "pag_f_11h", UIControlStateSelected, "本题解释");
    m_explanBtn->addTarget(me, &ExerciseViewController::explanationEvent, UIControlEventTouchUpInside);
    m_favoriteBtn = makeBarButton(frame(3), "pag_f_05", "pag_f_05h", UIControlStateSelected, "收藏本题");
    m_favoriteBtn->addTarget(me, &ExerciseViewController::favoriteEvent, UIControlEventTouchUpInside);
    m_nextBtn = makeBarButton(frame(4), "pag_f_01", "pag_f_07h", UIControlStateHighlighted, "下一题");
    m_nextBtn->addTarget(std::shared_ptr<QuestionCardViewController>(me), &QuestionCardViewController::nextEvent, UIControlEventTouchUpInside);
    for (const auto& button : { m_previousBtn, m_choiceBtn, m_explanBtn, m_favoriteBtn, m_nextBtn })
        bar.addSubview(button);
}

void ExerciseViewController::showQuestion()
{
    QuestionCardViewController::showQuestion();
    if (!m_quest)
        return;
    m_explanBtn->setSelected(!m_explanView->isHidden());
    m_favoriteBtn->setSelected(ns::integerForKey(m_quest, "issave") != 0);
}

void ExerciseViewController::explanationEvent(UIControl& sender)
{
    QuestionCardViewController::explanEvent(sender);
    m_explanBtn->setSelected(!m_explanView->isHidden());
}

void ExerciseViewController::answerRecorded()
{
    m_explanView->setHidden(true);
    showResultView();
    m_explanView->setHidden(false);
    m_explanBtn->setSelected(true);
    placePanels();
}

void ExerciseViewController::favoriteEvent(UIControl&)
{
    if (!m_quest)
        return;
    const NSString quid = ns::stringForKey(m_quest, "quid");
    if (m_favoriteBtn->isSelected()) {
        m_favoriteBtn->setSelected(false);
        QuestionManager::shareInstance()->deleteFavorite(quid);
        m_quest->setObject(NSNumber::numberWithInteger(0), NSString("issave"));
    } else {
        m_favoriteBtn->setSelected(true);
        QuestionManager::shareInstance()->insertFavorite(quid);
        m_quest->setObject(NSNumber::numberWithInteger(1), NSString("issave"));
    }
}
