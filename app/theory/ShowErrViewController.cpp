#include "app/theory/ShowErrViewController.h"

#include "app/screens/base/CustomNaviBarView.h"
#include "app/screens/base/UIColor_Addition.h"
#include "app/theory/TestViewController.h"
#include "platform/foundation/TypedValues.h"
#include "platform/uikit/UINavigationController.h"

void ShowErrViewController::loadView()
{
    QuestionCardViewController::loadView();
    setNaviBarLeftBtn(CustomNaviBarView::createImgNaviBarBtnByImgNormal("nav_arrow_d", "nav_arrow_b",
        self(), &ShowErrViewController::leftBarButtonEvent));
}

void ShowErrViewController::buildToolbar(UIView& bar, CGFloat c)
{
    auto me = self();
    auto frame = [c](int i) { return CGRectMake(CGFloat(i) * (c + 0.5), 0, c, 44); };
    m_previousBtn = makeBarButton(frame(0), "pag_f_07", "pag_f_01h", UIControlStateHighlighted, "上一题");
    m_previousBtn->addTarget(std::shared_ptr<QuestionCardViewController>(me), &QuestionCardViewController::previousEvent, UIControlEventTouchUpInside);
    m_choiceBtn = makeBarButton(frame(1), "pag_f_04", "pag_f_04h", UIControlStateHighlighted, "1/100");
    m_choiceBtn->addTarget(std::shared_ptr<QuestionCardViewController>(me), &QuestionCardViewController::choiseEvent, UIControlEventTouchUpInside);
    m_timeLabel = UILabel::create(frame(2));
    m_timeLabel->setBackgroundColor(UIColor::clearColor());
    m_timeLabel->setTextColor(UIColor_Addition::colorWithHexString("50a7d4"));
    m_timeLabel->setTextAlignment(NSTextAlignmentCenter);
    m_timeLabel->setFont(UIFont::systemFontOfSize(13));
    m_timeLabel->setText("--:--");
    auto again = makeBarButton(frame(3), "pag_f_02", "pag_f_02h", UIControlStateHighlighted, "重考");
    again->addTarget(me, &ShowErrViewController::aginEvent, UIControlEventTouchUpInside);
    m_nextBtn = makeBarButton(frame(4), "pag_f_01", "pag_f_07h", UIControlStateHighlighted, "下一题");
    m_nextBtn->addTarget(std::shared_ptr<QuestionCardViewController>(me), &QuestionCardViewController::nextEvent, UIControlEventTouchUpInside);
    bar.addSubview(m_previousBtn);
    bar.addSubview(m_choiceBtn);
    bar.addSubview(m_timeLabel);
    bar.addSubview(again);
    bar.addSubview(m_nextBtn);
}

void ShowErrViewController::viewDidLoad()
{
    QuestionCardViewController::viewDidLoad();
    if (m_total > 0)
        return;
    // Nothing to review: an empty page inside the scroll view instead of a card.
    for (const auto& panel : { m_questionView, m_choiseView, UIViewRef(m_okBtn), UIViewRef(m_resultView), m_explanView })
        panel->setHidden(true);
    const CGSize size = m_vScrollView->bounds().size;
    m_emptyView = UIView::create(CGRectMake(0, 0, size.width, size.height));
    m_emptyView->setBackgroundColor(UIColor::whiteColor());
    auto label = UILabel::create(CGRectMake(0, 0, size.width, 44));
    label->setText("本次考试没有错题");
    label->setTextColor(UIColor::grayColor());
    label->setFont(UIFont::systemFontOfSize(15));
    label->setTextAlignment(NSTextAlignmentCenter);
    label->setBackgroundColor(UIColor::clearColor());
    m_emptyView->addSubview(label);
    m_vScrollView->addSubview(m_emptyView);
    m_vScrollView->setContentSize(size);
}

bool ShowErrViewController::isAnswer() const
{
    return m_quest && ns::integerForKey(m_quest, "type") != 0;
}

void ShowErrViewController::answerRecorded()
{
    m_explanView->setHidden(true);
    showResultView();
    m_explanView->setHidden(false);
    placePanels();
}

void ShowErrViewController::aginEvent(UIControl&)
{
    stopPlayer();
    auto exam = TestViewController::retake(title(), m_questions, goBackViewController(), m_times, m_isSimulation, m_errQuestions);
    if (auto navigation = navigationController())
        navigation->pushViewController(exam, true);
}

void ShowErrViewController::leftBarButtonEvent(UIControl&)
{
    stopPlayer();
    TestViewController::goBack(*this, goBackViewController());
}
