#include "app/theory/StudentTheoryViewController.h"

#include "app/AppDelegate.h"
#include "app/screens/base/CustomNaviBarView.h"
#include "app/screens/base/ScreenImages.h"
#include "app/screens/base/UIColor_Addition.h"
#include "app/session/Constant.h"
#include "app/session/User.h"
#include "app/theory/ExerciseViewController.h"
#include "app/theory/QuestionPaper.h"
#include "app/theory/SepcialExerciseViewController.h"
#include "app/theory/SimulationViewController.h"
#include "library/widgets/hud/STProgressHUD.h"
#include "library/widgets/hud/UIView_Toast.h"
#include "platform/foundation/DelayedPerform.h"
#include "platform/foundation/NSNumber.h"
#include "platform/foundation/TypedValues.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UINavigationController.h"

namespace {

// Every subject gets its row: a list cut at two rows would hide the third subject for good.
CGFloat menuHeight(std::size_t items)
{
    return std::max<CGFloat>(80, PVMenuPopover::kRowHeight * CGFloat(items));
}

NSString carTypeOfUser()
{
    auto delegate = AppDelegate::shared();
    auto user = delegate ? delegate->user() : nullptr;
    return user ? user->carType() : NSString("");
}

NSInteger subjectOfUser()
{
    auto delegate = AppDelegate::shared();
    auto user = delegate ? delegate->user() : nullptr;
    return user ? user->subject().intValue() : 0;
}

} // namespace

StudentTheoryViewController::~StudentTheoryViewController()
{
    DelayedPerform::cancelPreviousPerformRequestsWithTarget(static_cast<const NSObject*>(this));
}

void StudentTheoryViewController::loadView()
{
    NoXibViewController::loadView();
    auto root = view();
    root->setBackgroundColor(UIColor_Addition::colorWithHexString("f6f6f6"));
    root->setClipsToBounds(true);
    auto me = self();
    setNaviBarTitle(Constant::getSubjectName(NSString::stringWithFormat("%d", int(subjectOfUser()))));
    setNaviBarRightBtn(CustomNaviBarView::createImgNaviBarBtnByImgNormal("top_more", "top_more", me, &StudentTheoryViewController::rightMoreBtn));
    const CGFloat W = root->bounds().size.width;
    const CGFloat top = getNaviBarRect().size.height;

    auto band = UIView::create(CGRectMake(0, top, W, 170));
    band->setBackgroundColor(UIColor_Addition::colorWithHexString("50a7d4"));
    root->addSubview(band);
    auto examImage = UIImage::imageNamed("ico_ks");
    const CGSize examSize = examImage ? examImage->size() : CGSizeMake(90, 90);
    auto exam = UIButton::buttonWithType(UIButtonTypeCustom);
    exam->setBackgroundImage(examImage, UIControlStateNormal);
    exam->setBackgroundImage(UIImage::imageNamed("ico_ks_h"), UIControlStateHighlighted);
    exam->setFrame(CGRectMake((W - examSize.width) / 2, (170 - 21 - examSize.height) / 2, examSize.width, examSize.height));
    exam->addTarget(me, &StudentTheoryViewController::testQuestion, UIControlEventTouchUpInside);
    band->addSubview(exam);
    auto examTitle = UILabel::create(CGRectMake(0, CGRectGetMaxY(exam->frame()), W, 21));
    examTitle->setText("模拟考试");
    examTitle->setTextColor(UIColor::whiteColor());
    examTitle->setTextAlignment(NSTextAlignmentCenter);
    examTitle->setFont(UIFont::systemFontOfSize(13));
    examTitle->setBackgroundColor(UIColor::clearColor());
    band->addSubview(examTitle);

    struct Entry {
        const char* title;
        const char* normal;
        const char* highlighted;
        const char* icon;
        void (StudentTheoryViewController::*action)(UIControl&);
    };
    const Entry entries[] = {
        { "随机练习", "bt_aqu", "bt_aqu_h", nullptr, &StudentTheoryViewController::randomExercises },
        { "专项练习", "bt_gree", "bt_gree_h", nullptr, &StudentTheoryViewController::specialExercises },
        { "顺序练习", "bt_sky_blue", "bt_sky_blue_h", nullptr, &StudentTheoryViewController::sequenceExercises },
        { "未做题库", "bt_pink", "bt_pink_h", nullptr, &StudentTheoryViewController::arrearExercises },
        { "我的错题", "make_car_bg", "make_car_bg", "pag_ico_01", &StudentTheoryViewController::errorQuestion },
        { "我的收藏", "make_car_bg", "make_car_bg", "pag_ico_02", &StudentTheoryViewController::favoriteQuestion },
        { "成绩统计", "make_car_bg", "make_car_bg", "pag_ico_03", &StudentTheoryViewController::reportCard },
        { "考试要点", "make_car_bg", "make_car_bg", "pag_ico_04", &StudentTheoryViewController::mainPoint },
    };
    const CGFloat w = (W - 45) / 2;
    const CGFloat firstTop = CGRectGetMaxY(band->frame()) + 25;
    for (int i = 0; i < 8; ++i) {
        const Entry& entry = entries[i];
        auto button = UIButton::buttonWithType(UIButtonTypeCustom);
        button->setFrame(CGRectMake(i % 2 == 0 ? 20 : 20 + w + 5, firstTop + CGFloat(i / 2) * 45, w, 40));
        button->setTitle(entry.title, UIControlStateNormal);
        button->titleLabel()->setFont(UIFont::systemFontOfSize(16));
        button->setBackgroundImage(stretchableImageNamed(entry.normal), UIControlStateNormal);
        button->setBackgroundImage(stretchableImageNamed(entry.highlighted), UIControlStateHighlighted);
        if (entry.icon) {
            button->setTitleColor(UIColor_Addition::colorWithHexString("666666"), UIControlStateNormal);
            auto icon = UIImage::imageNamed(entry.icon);
            const CGSize iconSize = icon ? icon->size() : CGSizeMake(22, 22);
            button->setImage(icon, UIControlStateNormal);
            button->setImage(icon, UIControlStateHighlighted);
            button->setImageEdgeInsets(UIEdgeInsetsMake((40 - iconSize.height) / 2, 20, (40 - iconSize.height) / 2, w - 20 - iconSize.width));
        } else {
            button->setTitleColor(UIColor::whiteColor(), UIControlStateNormal);
        }
        button->addTarget(me, entry.action, UIControlEventTouchUpInside);
        root->addSubview(button);
    }
}

void StudentTheoryViewController::viewDidLoad()
{
    NoXibViewController::viewDidLoad();
    m_subjectArr = NSMutableArray::array();
    m_logicQuestArr = NSMutableArray::array();
    m_subject = 0;
    const NSInteger userSubject = subjectOfUser();
    auto codes = QuestionManager::shareInstance()->subjectForQuestions(carTypeOfUser());
    std::vector<NSInteger> offered;
    for (NSUInteger i = 0; codes && i < codes->count(); ++i) {
        const NSString code = NSString::fromId(codes->objectAtIndex(i));
        const NSInteger number = code.intValue();
        offered.push_back(number);
        m_subjectArr->addObject(ns::dictionary({ { "id", NSNumber::numberWithInteger(number) }, { "title", Constant::getSubjectName(code) } }));
    }
    for (NSInteger candidate : { userSubject, userSubject + 1, userSubject - 1 }) {
        if (std::find(offered.begin(), offered.end(), candidate) != offered.end()) {
            m_subject = candidate;
            break;
        }
    }
    setSubject(m_subject);
}

void StudentTheoryViewController::setSubject(NSInteger subject)
{
    m_subject = subject;
    setNaviBarTitle(subject ? Constant::getSubjectName(NSString::stringWithFormat("%d", int(subject))) : NSString(""));
    getQuestions();
}

void StudentTheoryViewController::getQuestions()
{
    m_logicQuestArr->removeAllObjects();
    m_logicQuestArr->addObjectsFromArray(QuestionPaper::practiceBlueprint(m_subject));
}

void StudentTheoryViewController::rightMoreBtn(UIControl&)
{
    if (m_menuPopover)
        m_menuPopover->dismissMenuPopover();
    std::vector<NSString> titles;
    for (NSUInteger i = 0; i < m_subjectArr->count(); ++i)
        titles.push_back(ns::stringForKey(ns::cast<NSDictionary>(m_subjectArr->objectAtIndex(i)), "title"));
    m_menuPopover = PVMenuPopover::create(CGRectMake(view()->bounds().size.width - 5 - 100, getNaviBarRect().size.height, 100, menuHeight(titles.size())), titles);
    m_menuPopover->setMenuPopoverDelegate(self());
    m_menuPopover->showInView(view());
}

void StudentTheoryViewController::menuPopoverDidSelectMenuItemAtIndex(PVMenuPopover& menu, NSInteger selectedIndex)
{
    menu.dismissMenuPopover();
    if (selectedIndex < 0 || NSUInteger(selectedIndex) >= m_subjectArr->count())
        return;
    setSubject(ns::integerForKey(ns::cast<NSDictionary>(m_subjectArr->objectAtIndex(NSUInteger(selectedIndex))), "id"));
}

void StudentTheoryViewController::load(const char* name, const NSString& title, Loader loader)
{
    // The indicator takes no touches away: later taps during the wait must not open more screens.
    if (m_loaderPending)
        return;
    m_loaderPending = true;
    STProgressHUD::showInView(view(), "正在出题，请稍候...");
    std::weak_ptr<StudentTheoryViewController> weakSelf = self();
    DelayedPerform::performSelector(self(), name, nullptr, 1.0, [weakSelf, title, loader] {
        auto strongSelf = weakSelf.lock();
        if (!strongSelf)
            return;
        strongSelf->m_loaderPending = false;
        auto list = loader(*QuestionManager::shareInstance(), carTypeOfUser(), NSString::stringWithFormat("%d", int(strongSelf->m_subject)));
        if (!list || list->count() == 0) {
            STProgressHUD::dismissWithError("您暂无该类型题目，请选择其他类型", 1.0);
            return;
        }
        STProgressHUD::dismiss();
        auto practice = ExerciseViewController::create();
        practice->setTitle(title);
        practice->setQuestions(list);
        if (auto navigation = strongSelf->navigationController())
            navigation->pushViewController(practice, true);
    });
}

void StudentTheoryViewController::testQuestion(UIControl&)
{
    if (m_loaderPending)
        return;
    auto exams = SimulationViewController::create();
    exams->setSubject(m_subject);
    exams->setSubjectArr(m_subjectArr);
    if (auto navigation = navigationController())
        navigation->pushViewController(exams, true);
}

void StudentTheoryViewController::randomExercises(UIControl&)
{
    auto blueprint = m_logicQuestArr;
    load("randomQuestions", "随机练习", [blueprint](QuestionManager& store, const NSString& carType, const NSString&) {
        return QuestionPaper::assemble(store.shareInstance(), blueprint, carType, QuestionPaper::RowQuery::random);
    });
}

void StudentTheoryViewController::specialExercises(UIControl&)
{
    if (m_loaderPending)
        return;
    auto special = SepcialExerciseViewController::create();
    special->setSubject(m_subject);
    if (auto navigation = navigationController())
        navigation->pushViewController(special, true);
}

void StudentTheoryViewController::sequenceExercises(UIControl&)
{
    load("sequenceQuestions", "顺序练习",
        [](QuestionManager& store, const NSString& carType, const NSString& subject) { return store.sequenceQuestions(carType, subject, true); });
}

void StudentTheoryViewController::arrearExercises(UIControl&)
{
    load("arrearQuestions", "未做题库",
        [](QuestionManager& store, const NSString& carType, const NSString& subject) { return store.arrearQuestions(carType, subject, true); });
}

void StudentTheoryViewController::errorQuestion(UIControl&)
{
    load("errorQuestions", "我的错题",
        [](QuestionManager& store, const NSString& carType, const NSString& subject) { return store.queryAnserError(carType, subject, true); });
}

void StudentTheoryViewController::favoriteQuestion(UIControl&)
{
    load("favoriteQuestions", "我的收藏",
        [](QuestionManager& store, const NSString& carType, const NSString& subject) { return store.queryFavorite(carType, subject, true); });
}

void StudentTheoryViewController::reportCard(UIControl&)
{
    Toast::makeToast(view(), "尚未开放，敬请期待", 1.0, NSString("center"));
}

void StudentTheoryViewController::mainPoint(UIControl&)
{
    Toast::makeToast(view(), "尚未开放，敬请期待", 1.0, NSString("center"));
}
