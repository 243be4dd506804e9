#include "app/theory/SepcialExerciseViewController.h"

#include "app/AppDelegate.h"
#include "app/screens/base/UIColor_Addition.h"
#include "app/session/User.h"
#include "app/theory/ExerciseViewController.h"
#include "app/theory/ReadingListLayout.h"
#include "library/widgets/hud/STProgressHUD.h"
#include "platform/foundation/DelayedPerform.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UINavigationController.h"
#include "platform/uikit/UITableViewCell.h"

struct SepcialExerciseViewController::Row {
    const char* title;
    const char* subtitle;
    int index;
    const char* color;
    const char* loader;
    std::shared_ptr<NSMutableArray> (QuestionManager::*list)(const NSString&, const NSString&, bool);
    const char* practiceTitle;
};

namespace {

constexpr NSInteger kBadgeTag = 100;
constexpr NSInteger kTextTag = 101;
const char* const kCellIdentifier = "msgCell";

UIColorRef hex(const char* text) { return UIColor_Addition::colorWithHexString(text); }

// The second group has a header of its own: its rows are content kinds, not question kinds.
const std::vector<std::vector<SepcialExerciseViewController::Row>>& menu()
{
    using Q = QuestionManager;
    static const std::vector<std::vector<SepcialExerciseViewController::Row>> sections = {
        {
            { "按题目类型分", "单选题", 1, "e2c22b", "singleQuestions", &Q::singleChoiseQuestions, "单选题练习" },
            { "按题目类型分", "多选题", 2, "35caba", "mutilQuestions", &Q::mutilChoiseQuestions, "多选题练习" },
            { "按题目类型分", "判断题", 3, "f29e4c", "judgeQuestions", &Q::judgeQuestions, "判断题练习" },
        },
        {
            { "按内容类型分", "文字题", 4, "28c01d", "wordQuestions", &Q::wordQuestions, "文字题练习" },
            { "按内容类型分", "图片题", 5, "3f9fed", "photoQuestions", &Q::photoQuestions, "图片题练习" },
            { "按内容类型分", "视频题", 6, "ec4695", "videoQuestions", &Q::videoQuestions, "视频题练习" },
        },
        {
            { "按强化类型分", "收藏题", 7, "28c01d", "favoriteQuestions", &Q::queryFavorite, "收藏题练习" },
            { "按强化类型分", "错题集", 8, "3f9fed", "errorQuestions", &Q::queryAnserError, "错误题练习" },
        },
    };
    return sections;
}

} // namespace

SepcialExerciseViewController::~SepcialExerciseViewController()
{
    DelayedPerform::cancelPreviousPerformRequestsWithTarget(static_cast<const NSObject*>(this));
}

const SepcialExerciseViewController::Row* SepcialExerciseViewController::rowAt(NSInteger section, NSInteger row) const
{
    const auto& sections = menu();
    if (section < 0 || std::size_t(section) >= sections.size() || row < 0 || std::size_t(row) >= sections[std::size_t(section)].size())
        return nullptr;
    return &sections[std::size_t(section)][std::size_t(row)];
}

void SepcialExerciseViewController::loadView()
{
    NoXibViewController::loadView();
    auto root = view();
    root->setBackgroundColor(hex("f6f6f6"));
    root->setClipsToBounds(true);
    setNaviBarTitle("专题练习");
    const CGFloat W = root->bounds().size.width, H = root->bounds().size.height;
    const CGFloat top = getNaviBarRect().size.height;
    m_tableView = UITableView::create(CGRectMake(10, top, W - 20, H - top), UITableViewStyle::Grouped);
    m_tableView->setDataSource(self());
    m_tableView->setDelegate(self());
    m_tableView->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    m_tableView->setTableHeaderView(UIView::create(CGRectMake(0, 0, W - 20, 0.01)));
    m_tableView->setSeparatorStyle(UITableViewCellSeparatorStyle::SingleLine);
    m_tableView->setSeparatorColor(UIColor::lightGrayColor());
    m_tableView->setBackgroundColor(hex("f6f6f6"));
    auto background = UIView::create(m_tableView->bounds());
    background->setBackgroundColor(hex("f6f6f6"));
    m_tableView->setBackgroundView(background);
    root->addSubview(m_tableView);
}

void SepcialExerciseViewController::viewDidLoad()
{
    NoXibViewController::viewDidLoad();
    m_tableView->reloadData();
}

void SepcialExerciseViewController::viewWillAppear(bool animated)
{
    NoXibViewController::viewWillAppear(animated);
    ReadingListLayout::replaceHeader(*m_tableView);
}

std::optional<NSInteger> SepcialExerciseViewController::numberOfSectionsInTableView(UITableView&)
{
    return NSInteger(menu().size());
}

NSInteger SepcialExerciseViewController::numberOfRowsInSection(UITableView&, NSInteger section)
{
    return section >= 0 && std::size_t(section) < menu().size() ? NSInteger(menu()[std::size_t(section)].size()) : 0;
}

std::shared_ptr<UIView> SepcialExerciseViewController::viewForHeaderInSection(UITableView& table, NSInteger section)
{
    auto header = UIView::create(CGRectMake(0, 0, table.bounds().size.width, 30));
    header->setBackgroundColor(hex("f6f6f6"));
    auto label = UILabel::create(CGRectMake(15, 5, 200, 21));
    label->setBackgroundColor(UIColor::clearColor());
    label->setTextColor(UIColor::grayColor());
    label->setFont(UIFont::systemFontOfSize(14));
    if (const Row* first = rowAt(section, 0))
        label->setText(first->title);
    header->addSubview(label);
    return header;
}

std::shared_ptr<UIView> SepcialExerciseViewController::viewForFooterInSection(UITableView& table, NSInteger)
{
    auto footer = UIView::create(CGRectMake(0, 0, table.bounds().size.width, 1));
    footer->setBackgroundColor(hex("f6f6f6"));
    return footer;
}

std::shared_ptr<UITableViewCell> SepcialExerciseViewController::cellForRowAtIndexPath(UITableView& table,
    const std::shared_ptr<NSIndexPath>& indexPath)
{
    auto cell = table.dequeueReusableCellWithIdentifier(kCellIdentifier);
    if (!cell) {
        cell = UITableViewCell::create(UITableViewCellStyle::Subtitle, kCellIdentifier);
        auto badge = UILabel::create(CGRectMake(10, (50 - 28) / 2, 28, 28));
        badge->setTag(kBadgeTag);
        badge->setBackgroundColor(hex("a2c159"));
        badge->setText("1");
        badge->setTextColor(UIColor::whiteColor());
        badge->setFont(UIFont::systemFontOfSize(14));
        badge->setTextAlignment(NSTextAlignmentCenter);
        badge->layer()->setCornerRadius(14);
        badge->layer()->setMasksToBounds(true);
        cell->contentView()->addSubview(badge);
        // The text ends 10 points inside the cell's right edge.
        auto text = UILabel::create(CGRectMake(48, (50 - 44) / 2, table.bounds().size.width - 58, 44));
        text->setTag(kTextTag);
        text->setBackgroundColor(UIColor::clearColor());
        text->setTextColor(UIColor::blackColor());
        text->setFont(UIFont::systemFontOfSize(15));
        text->setNumberOfLines(2);
        cell->contentView()->addSubview(text);
    }
    if (const Row* row = rowAt(indexPath->section(), indexPath->row())) {
        if (auto badge = std::dynamic_pointer_cast<UILabel>(cell->contentView()->viewWithTag(kBadgeTag))) {
            badge->setText(NSString::stringWithFormat("%d", row->index));
            badge->setBackgroundColor(hex(row->color));
        }
        if (auto text = std::dynamic_pointer_cast<UILabel>(cell->contentView()->viewWithTag(kTextTag)))
            text->setText(row->subtitle);
    }
    cell->setSelectionStyle(UITableViewCellSelectionStyle::Gray);
    cell->setAccessoryType(UITableViewCellAccessoryType::None);
    return cell;
}

void SepcialExerciseViewController::willDisplayCell(UITableView&, const std::shared_ptr<UITableViewCell>& cell, const std::shared_ptr<NSIndexPath>&)
{
    cell->setSeparatorInset(UIEdgeInsetsZero);
    cell->contentView()->setBackgroundColor(UIColor::whiteColor());
}

void SepcialExerciseViewController::didSelectRowAtIndexPath(UITableView& table, const std::shared_ptr<NSIndexPath>& indexPath)
{
    table.deselectRowAtIndexPath(indexPath, true);
    const Row* row = rowAt(indexPath->section(), indexPath->row());
    if (!row || m_loaderPending)
        return;
    m_loaderPending = true;
    STProgressHUD::showInView(view(), "正在出题，请稍候...");
    std::weak_ptr<SepcialExerciseViewController> weakSelf = self();
    DelayedPerform::performSelector(self(), row->loader, nullptr, 1.0, [weakSelf, row] {
        auto strongSelf = weakSelf.lock();
        if (!strongSelf)
            return;
        strongSelf->m_loaderPending = false;
        auto delegate = AppDelegate::shared();
        auto user = delegate ? delegate->user() : nullptr;
        auto store = QuestionManager::shareInstance();
        auto list = ((*store).*(row->list))(user ? user->carType() : NSString(""), NSString::stringWithFormat("%d", int(strongSelf->m_subject)), true);
        if (!list || list->count() == 0) {
            STProgressHUD::dismissWithError("您暂无该类型题目，请选择其他类型", 1.0);
            return;
        }
        STProgressHUD::dismiss();
        auto practice = ExerciseViewController::create();
        practice->setTitle(row->practiceTitle);
        practice->setQuestions(list);
        if (auto navigation = strongSelf->navigationController())
            navigation->pushViewController(practice, true);
    });
}
