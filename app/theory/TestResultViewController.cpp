#include "app/theory/TestResultViewController.h"

#include "app/AppDelegate.h"
#include "app/screens/base/CustomNaviBarView.h"
#include "app/screens/base/ScreenImages.h"
#include "app/screens/base/UIColor_Addition.h"
#include "app/session/User.h"
#include "app/theory/QuestionCardViewController.h"
#include "app/theory/QuestionPaper.h"
#include "app/theory/ShowErrViewController.h"
#include "app/theory/TestViewController.h"
#include "platform/foundation/NSNumber.h"
#include "platform/foundation/TypedValues.h"
#include "platform/uikit/UINavigationController.h"

namespace {

NSInteger typeOf(const std::shared_ptr<NSArray>& list, NSUInteger i)
{
    auto record = ns::cast<NSDictionary>(list->objectAtIndex(i));
    return record ? ns::integerForKey(record, "type") : 0;
}

} // namespace

NSInteger TestResultViewController::rightCount() const
{
    NSInteger right = 0;
    for (NSUInteger i = 0; m_questions && i < m_questions->count(); ++i)
        right += typeOf(m_questions, i) == 1 ? 1 : 0;
    return right;
}

NSInteger TestResultViewController::reviewCount() const
{
    return m_questions ? NSInteger(m_questions->count()) - rightCount() : 0;
}

NSString TestResultViewController::scoreText() const
{
    if (!m_questions || m_questions->count() == 0)
        return "0";
    return NSString::stringWithFormat("%d", QuestionPaper::score(rightCount(), NSInteger(m_questions->count())));
}

NSString TestResultViewController::gradeImageName() const
{
    if (m_questions && m_questions->count() > 0 && rightCount() == NSInteger(m_questions->count()))
        return "ks_top1";
    return scoreText().intValue() >= 90 ? "ks_top2" : "ks_top3";
}

NSString TestResultViewController::durationText() const
{
    const NSInteger d = std::max<NSInteger>(m_duration, 0);
    return NSString::stringWithFormat("%02d:%02d", int((d / 60) % 60), int(d % 60));
}

void TestResultViewController::loadView()
{
    NoXibViewController::loadView();
    auto root = view();
    root->setBackgroundColor(UIColor_Addition::colorWithHexString("f6f6f6"));
    root->setClipsToBounds(true);
    setNaviBarTitle("查看成绩");
    auto me = self();
    setNaviBarLeftBtn(CustomNaviBarView::createImgNaviBarBtnByImgNormal("nav_arrow_d", "nav_arrow_b", me,
        &TestResultViewController::leftBarButtonEvent));
    const CGFloat W = root->bounds().size.width, H = root->bounds().size.height;
    const CGFloat top = getNaviBarRect().size.height;

    auto footImage = UIImage::imageNamed("ks_foot");
    const CGFloat footHeight = footImage ? footImage->size().height : 90;
    const CGFloat footTop = H - 44.5 - footHeight;
    auto grade = UIImageView::create(CGRectMake(0, top, W, footTop - top));
    grade->setImage(imageNamedForSize(gradeImageName(), grade->bounds().size));
    root->addSubview(grade);

    auto foot = UIImageView::create(CGRectMake(0, footTop, W, footHeight));
    foot->setImage(imageNamedForSize("ks_foot", foot->bounds().size));
    root->addSubview(foot);
    auto panel = UIView::create(CGRectMake(45, 0, W - 120, 63));
    foot->addSubview(panel);
    auto user = AppDelegate::shared() ? AppDelegate::shared()->user() : nullptr;
    const std::pair<const char*, NSString> rows[] = {
        { "考生：", user ? NSString::stringWithFormat("%@", user->name()) : NSString("") },
        { "得分：", scoreText() },
        { "用时：", durationText() },
    };
    for (int i = 0; i < 3; ++i) {
        auto caption = UILabel::create(CGRectMake(0, 21 * i, 40, 21));
        caption->setText(rows[i].first);
        caption->setTextColor(UIColor::grayColor());
        caption->setFont(UIFont::systemFontOfSize(13));
        caption->setBackgroundColor(UIColor::clearColor());
        panel->addSubview(caption);
        auto value = UILabel::create(CGRectMake(40, 21 * i, W - 120 - 40, 21));
        value->setText(rows[i].second);
        value->setTextColor(UIColor::blackColor());
        value->setFont(UIFont::systemFontOfSize(13));
        value->setBackgroundColor(UIColor::clearColor());
        panel->addSubview(value);
    }

    auto bar = UIView::create(CGRectMake(0, H - 44, W, 44));
    bar->setBackgroundColor(UIColor::whiteColor());
    root->addSubview(bar);
    auto line = UIView::create(CGRectMake(0, H - 44.5, W, 0.5));
    line->setBackgroundColor(UIColor::lightGrayColor());
    root->addSubview(line);
    const CGFloat half = (W - 0.5) / 2;
    auto makeButton = [&](CGFloat x, const char* image, const char* highlighted, const char* title) {
        auto button = UIButton::buttonWithType(UIButtonTypeCustom);
        button->setFrame(CGRectMake(x, 0, half, 44));
        button->titleLabel()->setFont(UIFont::systemFontOfSize(10));
        button->setTitle(title, UIControlStateNormal);
        button->setTitleColor(UIColor::grayColor(), UIControlStateNormal);
        button->setTitleColor(UIColor_Addition::colorWithHexString("50a7d4"), UIControlStateHighlighted);
        button->setTitleColor(UIColor::lightGrayColor(), UIControlStateDisabled);
        button->setImage(stretchableImageNamed(image), UIControlStateNormal);
        button->setImage(stretchableImageNamed(highlighted), UIControlStateHighlighted);
        button->setContentHorizontalAlignment(UIControlContentHorizontalAlignmentCenter);
        button->setContentVerticalAlignment(UIControlContentVerticalAlignmentTop);
        QuestionCardViewController::exceedWidthTab(*button);
        bar->addSubview(button);
        return button;
    };
    m_showErrBtn = makeButton(0, "pag_f_08", "pag_f_08h", "查看错题");
    m_showErrBtn->addTarget(me, &TestResultViewController::showEvent, UIControlEventTouchUpInside);
    // Nothing to review when every answer was right.
    m_showErrBtn->setEnabled(reviewCount() > 0);
    for (CGFloat x : { half, half + 0.5 + half }) {
        auto separator = UIView::create(CGRectMake(x, 0, 0.5, 44));
        separator->setBackgroundColor(UIColor::lightGrayColor());
        bar->addSubview(separator);
    }
    m_reAnswerBtn = makeButton(half + 0.5, "pag_f_10", "pag_f_10h", "再做一次");
    m_reAnswerBtn->addTarget(me, &TestResultViewController::aginEvent, UIControlEventTouchUpInside);
}

void TestResultViewController::showEvent(UIControl&)
{
    auto errors = NSMutableArray::array();
    for (NSUInteger i = 0; m_questions && i < m_questions->count(); ++i) {
        auto record = ns::cast<QuestionRecord>(m_questions->objectAtIndex(i));
        if (!record)
            continue;
        const NSInteger type = ns::integerForKey(record, "type");
        if (type == 0) {
            record->setObject(NSNumber::numberWithInteger(2), NSString("type"));
            record->setObject(NSString(""), NSString("answermany"));
            record->setObject(NSString(""), NSString("answeryn"));
        }
        if (type == 0 || type == 2)
            errors->addObject(record);
    }
    if (errors->count() == 0)
        return;
    auto review = ShowErrViewController::create();
    review->setTitle(title());
    review->setQuestions(m_questions);
    review->setAnswerErrs(errors);
    review->setGoBackViewController(goBackViewController());
    review->setTimes(m_times);
    review->setIsSimulation(m_isSimulation);
    review->setErrQuestions(m_errQuestions);
    if (auto navigation = navigationController())
        navigation->pushViewController(review, true);
}

void TestResultViewController::aginEvent(UIControl&)
{
    auto exam = TestViewController::retake(title(), m_questions, goBackViewController(), m_times, m_isSimulation, m_errQuestions);
    if (auto navigation = navigationController())
        navigation->pushViewController(exam, true);
}

void TestResultViewController::leftBarButtonEvent(UIControl&)
{
    TestViewController::goBack(*this, goBackViewController());
}
