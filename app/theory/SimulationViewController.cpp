#include "app/theory/SimulationViewController.h"

#include "app/AppDelegate.h"
#include "app/screens/base/CustomNaviBarView.h"
#include "app/screens/base/ScreenImages.h"
#include "app/screens/base/UIColor_Addition.h"
#include "app/session/Constant.h"
#include "app/session/User.h"
#include "app/theory/TestViewController.h"
#include "library/widgets/hud/STProgressHUD.h"
#include "platform/foundation/DelayedPerform.h"
#include "platform/foundation/TypedValues.h"
#include "platform/text/UIStringDrawing.h"
#include "platform/uikit/UINavigationController.h"

namespace {

// Every subject gets its row: a list cut at two rows would hide the third subject for good.
CGFloat menuHeight(std::size_t items)
{
    return std::max<CGFloat>(80, PVMenuPopover::kRowHeight * CGFloat(items));
}

UIColorRef hex(const char* text) { return UIColor_Addition::colorWithHexString(text); }

NSString carTypeOfUser()
{
    auto delegate = AppDelegate::shared();
    auto user = delegate ? delegate->user() : nullptr;
    return user ? user->carType() : NSString("");
}

} // namespace

SimulationViewController::~SimulationViewController()
{
    DelayedPerform::cancelPreviousPerformRequestsWithTarget(static_cast<const NSObject*>(this));
}

void SimulationViewController::loadView()
{
    NoXibViewController::loadView();
    auto root = view();
    root->setBackgroundColor(hex("f6f6f6"));
    root->setClipsToBounds(true);
    auto me = self();
    setNaviBarRightBtn(CustomNaviBarView::createImgNaviBarBtnByImgNormal("top_more", "top_more", me, &SimulationViewController::rightMoreBtn));
    const CGFloat W = root->bounds().size.width;
    const CGFloat top = getNaviBarRect().size.height;

    auto panel = UIView::create(CGRectMake(0, top, W, 140));
    panel->setBackgroundColor(hex("d3e6f5"));
    root->addSubview(panel);
    auto font = UIFont::systemFontOfSize(12);
    const CGFloat captionWidth = UIStringDrawing::sizeWithFont("考试科目", font).width + 10;
    const char* captions[] = { "考试科目", "考试车型", "考试标准", "合格标准" };
    std::shared_ptr<UILabel> values[4];
    for (int i = 0; i < 4; ++i) {
        const CGFloat y = 20 + CGFloat(i) * 26;
        auto caption = UILabel::create(CGRectMake(20, y, captionWidth, 21));
        caption->setText(captions[i]);
        caption->setBackgroundColor(hex("eff4fa"));
        caption->setTextColor(hex("666666"));
        caption->setFont(font);
        caption->setTextAlignment(NSTextAlignmentCenter);
        caption->layer()->setCornerRadius(2);
        caption->layer()->setBorderWidth(1);
        caption->layer()->setBorderColor(hex("c0e1fa")->CGColor());
        panel->addSubview(caption);
        const CGFloat x = 20 + captionWidth + 5;
        values[i] = UILabel::create(CGRectMake(x, y, W - 20 - x, 21));
        values[i]->setTextColor(UIColor::blackColor());
        values[i]->setFont(font);
        values[i]->setBackgroundColor(UIColor::clearColor());
        panel->addSubview(values[i]);
    }
    m_labelSubject = values[0];
    values[1]->setText(carTypeOfUser());
    m_labelQuest = values[2];
    values[3]->setText("满分100分，90分及格");

    struct Mode {
        const char* title;
        const char* normal;
        const char* highlighted;
        void (SimulationViewController::*action)(UIControl&);
    };
    const Mode modes[] = {
        { "仿真考试", "bt_khaki", "bt_khaki_h", &SimulationViewController::realTest },
        { "模拟考试", "bt_gree", "bt_gree_h", &SimulationViewController::simulationTest },
        { "先考未做", "bt_sky_blue", "bt_sky_blue_h", &SimulationViewController::unanswerText },
        { "先考错题", "bt_pink", "bt_pink_h", &SimulationViewController::errorTest },
    };
    const CGFloat b = (W - 40 - 5) / 2;
    const CGFloat buttonsTop = CGRectGetMaxY(panel->frame()) + 30;
    for (int i = 0; i < 4; ++i) {
        auto button = UIButton::buttonWithType(UIButtonTypeCustom);
        button->setFrame(CGRectMake(i % 2 == 0 ? 20 : 20 + b + 5, buttonsTop + CGFloat(i / 2) * 45, b, 40));
        button->setTitle(modes[i].title, UIControlStateNormal);
        button->setTitleColor(UIColor::whiteColor(), UIControlStateNormal);
        button->titleLabel()->setFont(UIFont::systemFontOfSize(16));
        button->setBackgroundImage(stretchableImageNamed(modes[i].normal), UIControlStateNormal);
        button->setBackgroundImage(stretchableImageNamed(modes[i].highlighted), UIControlStateHighlighted);
        button->addTarget(me, modes[i].action, UIControlEventTouchUpInside);
        root->addSubview(button);
    }
    const char* lines[] = { nullptr, "模拟考试：可以修改做过的题目，不会自动交卷", "先考未做：优先考未做过的题，每一题都不错过",
        "先考错题：优先考错的题，每一题都不错过" };
    const CGFloat linesTop = buttonsTop + 85 + 30;
    for (int i = 0; i < 4; ++i) {
        auto line = UILabel::create(CGRectMake(20, linesTop + CGFloat(i) * 26, W - 40, 21));
        line->setTextColor(UIColor::grayColor());
        line->setFont(font);
        line->setBackgroundColor(UIColor::clearColor());
        if (lines[i])
            line->setText(lines[i]);
        else
            m_memoLable = line;
        root->addSubview(line);
    }
}

void SimulationViewController::viewDidLoad()
{
    NoXibViewController::viewDidLoad();
    setNaviBarTitle(Constant::getSubjectName(NSString::stringWithFormat("%d", int(m_subject))));
    setText();
    m_logicQuestArr = NSMutableArray::array();
    getQuestions();
}

void SimulationViewController::setText()
{
    m_labelSubject->setText(NSString::stringWithFormat("%@理论考试", Constant::getSubjectName(NSString::stringWithFormat("%d", int(m_subject)))));
    m_questionCount = QuestionPaper::examQuestionCount(m_subject);
    m_times = QuestionPaper::examTimes(m_subject);
    m_errQuestions = QuestionPaper::examErrQuestions(m_subject);
    m_labelQuest->setText(NSString::stringWithFormat("%d题，%d分钟", m_questionCount, m_times));
    m_memoLable->setText(NSString::stringWithFormat("仿真考试：与考试一致，错题超过%d题自动交卷", m_errQuestions - 1));
}

void SimulationViewController::getQuestions()
{
    m_logicQuestArr->removeAllObjects();
    m_logicQuestArr->addObjectsFromArray(QuestionPaper::examBlueprint(m_subject));
}

void SimulationViewController::rightMoreBtn(UIControl&)
{
    if (m_menuPopover)
        m_menuPopover->dismissMenuPopover();
    std::vector<NSString> titles;
    for (NSUInteger i = 0; m_subjectArr && i < m_subjectArr->count(); ++i)
        titles.push_back(ns::stringForKey(ns::cast<NSDictionary>(m_subjectArr->objectAtIndex(i)), "title"));
    m_menuPopover = PVMenuPopover::create(CGRectMake(view()->bounds().size.width - 105, getNaviBarRect().size.height, 100, menuHeight(titles.size())), titles);
    m_menuPopover->setMenuPopoverDelegate(self());
    m_menuPopover->showInView(view());
}

void SimulationViewController::menuPopoverDidSelectMenuItemAtIndex(PVMenuPopover& menu, NSInteger selectedIndex)
{
    menu.dismissMenuPopover();
    if (!m_subjectArr || selectedIndex < 0 || NSUInteger(selectedIndex) >= m_subjectArr->count())
        return;
    m_subject = ns::integerForKey(ns::cast<NSDictionary>(m_subjectArr->objectAtIndex(NSUInteger(selectedIndex))), "id");
    setNaviBarTitle(Constant::getSubjectName(NSString::stringWithFormat("%d", int(m_subject))));
    setText();
    getQuestions();
}

void SimulationViewController::realTest(UIControl&)
{
    if (m_loaderPending)
        return;
    auto alert = UIAlertView::create(NSString("温馨提示"),
        NSString::stringWithFormat("仿真考试不能修改答案，每做一题，系统会自动计算错误题数，如果答题错误数量累计到本次不及格标准(%d题错%d道)时，会自动提交答案。",
            m_questionCount, m_errQuestions),
        self(), NSString("取消"), std::vector<NSString> { "确定" });
    alert->setTag(1);
    alert->show();
}

void SimulationViewController::alertViewClickedButtonAtIndex(UIAlertView& alert, NSInteger buttonIndex)
{
    if (alert.tag() == 1 && buttonIndex == 1)
        startMode("realTestQuestions", "仿真考试", QuestionPaper::RowQuery::test, true);
}

void SimulationViewController::simulationTest(UIControl&)
{
    startMode("simulationQuestions", "模拟考试", QuestionPaper::RowQuery::test, false);
}

void SimulationViewController::unanswerText(UIControl&)
{
    startMode("unanswerQuestions", "先考未做", QuestionPaper::RowQuery::testUnAnswer, false);
}

void SimulationViewController::errorTest(UIControl&)
{
    startMode("errorQuestions", "先考错题", QuestionPaper::RowQuery::testError, false);
}

void SimulationViewController::startMode(const char* name, const NSString& title, QuestionPaper::RowQuery query, bool isSimulation)
{
    // Taps during the wait would open one exam each.
    if (m_loaderPending)
        return;
    m_loaderPending = true;
    STProgressHUD::showInView(view(), "正在出题，请稍候...");
    std::weak_ptr<SimulationViewController> weakSelf = self();
    DelayedPerform::performSelector(self(), name, nullptr, 1.0, [weakSelf, title, query, isSimulation] {
        auto strongSelf = weakSelf.lock();
        if (!strongSelf)
            return;
        strongSelf->m_loaderPending = false;
        auto paper = QuestionPaper::assemble(QuestionManager::shareInstance(), strongSelf->m_logicQuestArr, carTypeOfUser(), query,
            strongSelf->m_questionCount);
        if (!paper || paper->count() == 0) {
            STProgressHUD::dismissWithError("您暂无该类型题目，请选择其他类型", 1.0);
            return;
        }
        STProgressHUD::dismiss();
        auto exam = TestViewController::create();
        exam->setTitle(title);
        exam->setQuestions(paper);
        exam->setGoBackViewController(strongSelf);
        exam->setTimes(strongSelf->m_times);
        exam->setIsSimulation(isSimulation);
        exam->setErrQuestions(strongSelf->m_errQuestions);
        if (auto navigation = strongSelf->navigationController())
            navigation->pushViewController(exam, true);
    });
}
