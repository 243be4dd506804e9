#include "tools/demo/ListsCalendarsDemo.h"

#include "library/widgets/monthcalendar/GCBaseDataSourceImp.h"
#include "platform/foundation/DelayedPerform.h"
#include "platform/uikit/UINavigationController.h"
#include "platform/uikit/UIScreen.h"
#include "tools/demo/DemoButtonList.h"

namespace {

const char* const kSubjects[] = { "科目一", "科目二", "科目三", "科目四", "模拟考试", "错题本", "我的收藏", "学时记录", "预约练车" };
const char* const kSigns[] = { "cover_stop", "cover_speed", "cover_light", "cover_car", "cover_crossing", "cover_round",
    "cover_parking", "cover_noentry" };
const char* const kSignTitles[] = { "禁止通行", "限速六十", "信号灯", "小型汽车", "人行横道", "环岛行驶", "停车场", "禁止驶入" };

} // namespace

void ListsCalendarsViewController::loadView()
{
    setTitle("列表与日历");
    setEdgesForExtendedLayout(UIRectEdgeNone);
    setView(makeDemoButtonList<ListsCalendarsViewController>(std::static_pointer_cast<ListsCalendarsViewController>(self()), {
        { "下拉刷新列表", &ListsCalendarsViewController::showPullTable },
        { "折叠列表", &ListsCalendarsViewController::showFoldingTable },
        { "横向菜单与封面流", &ListsCalendarsViewController::showHorizMenu },
        { "月历", &ListsCalendarsViewController::showMonthCalendar },
        { "引导页", &ListsCalendarsViewController::showTutorial },
    }, m_buttons, m_resultLabel));
}

void ListsCalendarsViewController::showPullTable()
{
    if (auto navigation = navigationController())
        navigation->pushViewController(PullListDemoViewController::create(), true);
}

void ListsCalendarsViewController::showFoldingTable()
{
    if (auto navigation = navigationController())
        navigation->pushViewController(FoldingListDemoViewController::create(), true);
}

void ListsCalendarsViewController::showHorizMenu()
{
    if (auto navigation = navigationController())
        navigation->pushViewController(StripAndCarouselDemoViewController::create(), true);
}

void ListsCalendarsViewController::showCoverFlow() { showHorizMenu(); }

void ListsCalendarsViewController::showMonthCalendar()
{
    if (!m_calendar) {
        m_calendar = GCCalendarView::viewFromNib();
        m_calendar->setDataSource(GCBaseDataSourceImp::create());
        m_calendar->setDelegate(std::static_pointer_cast<GCCalendarViewDelegate>(std::static_pointer_cast<ListsCalendarsViewController>(self())));
        m_calendar->setMaximumDate(NSDate::dateWithTimeIntervalSinceNow(60 * 86400));
    }
    m_calendar->showInView(view());
}

void ListsCalendarsViewController::calendarViewDidSelectDay(GCCalendarView&, const GCCalDayRef& day)
{
    m_resultLabel->setText(NSString::stringWithFormat("已选 %d年%d月%d日", int(day->getYear()), int(day->getMonth()), int(day->getDay())));
}

void ListsCalendarsViewController::showTutorial()
{
    std::vector<TPTutorialPageRef> pages {
        TPTutorialPage::initWithTitle("安全驾驶，从学车开始", "按时练习，每一课都记入学时", "tutorial/tutorial_road.png", 3),
        TPTutorialPage::initWithTitle("认识交通标志", "警告、禁令、指示标志一目了然", "tutorial/tutorial_signs.png", 3),
        TPTutorialPage::initWithTitle("模拟考试", "限时作答，到时自动交卷", "tutorial/tutorial_exam.png", 3),
    };
    auto tutorial = TPTutorialController::initWithPages(pages,
        std::static_pointer_cast<TPTutorialControllerDelegate>(std::static_pointer_cast<ListsCalendarsViewController>(self())));
    presentViewController(tutorial, true);
    tutorial->startScrolling();
}

void ListsCalendarsViewController::didClickOnRightButton(TPTutorialController& tutorial, UIButton&)
{
    tutorial.stopScrolling();
    dismissViewControllerAnimated(true);
}

void ListsCalendarsViewController::didClickOnLeftButton(TPTutorialController& tutorial, UIButton&) { tutorial.startScrolling(); }

// MARK: The pull table

void PullListDemoViewController::loadView()
{
    setTitle("下拉刷新");
    setEdgesForExtendedLayout(UIRectEdgeNone);
    m_table = PullTableView::create(UIScreen::mainScreen()->bounds());
    m_table->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    auto me = std::static_pointer_cast<PullListDemoViewController>(self());
    m_table->setDataSource(me);
    m_table->setDelegate(me);
    m_table->setPullDelegate(me);
    m_table->setPullLastRefreshDate(NSDate::date());
    setView(m_table);
}

std::shared_ptr<UITableViewCell> PullListDemoViewController::cellForRowAtIndexPath(UITableView& table, const std::shared_ptr<NSIndexPath>& indexPath)
{
    auto cell = table.dequeueReusableCellWithIdentifier("lesson");
    if (!cell)
        cell = UITableViewCell::create(UITableViewCellStyle::Default, NSString("lesson"));
    cell->textLabel()->setText(NSString::stringWithFormat("第 %ld 课 道路通行规定", long(indexPath->row() + 1)));
    return cell;
}

void PullListDemoViewController::pullTableViewDidTriggerRefresh(PullTableView&)
{
    std::weak_ptr<PullListDemoViewController> weakSelf = std::static_pointer_cast<PullListDemoViewController>(self());
    DelayedPerform::performSelector(self(), "refreshDone", nullptr, 1.0, [weakSelf] {
        if (auto strongSelf = weakSelf.lock()) {
            strongSelf->m_rows = 20;
            strongSelf->m_table->reloadData();
            strongSelf->m_table->setPullTableIsRefreshing(false);
            strongSelf->m_table->setPullLastRefreshDate(NSDate::date());
        }
    });
}

void PullListDemoViewController::pullTableViewDidTriggerLoadMore(PullTableView&)
{
    std::weak_ptr<PullListDemoViewController> weakSelf = std::static_pointer_cast<PullListDemoViewController>(self());
    DelayedPerform::performSelector(self(), "loadMoreDone", nullptr, 1.0, [weakSelf] {
        if (auto strongSelf = weakSelf.lock()) {
            strongSelf->m_rows += 10;
            strongSelf->m_table->reloadData();
            strongSelf->m_table->setPullTableIsLoadingMore(false);
        }
    });
}

// MARK: The folding table

void FoldingListDemoViewController::loadView()
{
    setTitle("折叠列表");
    setEdgesForExtendedLayout(UIRectEdgeNone);
    m_table = FolderTableView::create(UIScreen::mainScreen()->bounds());
    m_table->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    auto me = std::static_pointer_cast<FoldingListDemoViewController>(self());
    m_table->setDataSource(me);
    m_table->setDelegate(me);
    setView(m_table);
}

std::shared_ptr<UITableViewCell> FoldingListDemoViewController::cellForRowAtIndexPath(UITableView& table, const std::shared_ptr<NSIndexPath>& indexPath)
{
    auto cell = table.dequeueReusableCellWithIdentifier("chapter");
    if (!cell)
        cell = UITableViewCell::create(UITableViewCellStyle::Default, NSString("chapter"));
    cell->textLabel()->setText(NSString::stringWithFormat("第 %ld 章 安全行车常识", long(indexPath->row() + 1)));
    return cell;
}

void FoldingListDemoViewController::didSelectRowAtIndexPath(UITableView& table, const std::shared_ptr<NSIndexPath>& indexPath)
{
    table.deselectRowAtIndexPath(indexPath, false);
    auto content = UIView::create(CGRectMake(0, 0, table.bounds().size.width, 110));
    content->setBackgroundColor(UIColor::colorWithRed(0.16, 0.36, 0.6, 1));
    const long done = 3 + indexPath->row() % 7;
    const char* lines[] = { "本章共 12 题", "已完成 %ld 题，正确率 %ld%%", "轻触上下两半收起" };
    for (int i = 0; i < 3; ++i) {
        auto label = UILabel::create(CGRectMake(20, 12 + 30 * i, content->bounds().size.width - 40, 26));
        label->setTextColor(UIColor::whiteColor());
        label->setText(i == 1 ? NSString::stringWithFormat(lines[i], done, long(60 + done * 4)) : NSString(lines[i]));
        content->addSubview(label);
    }
    m_table->openFolderAtIndexPath(indexPath, content, nullptr, nullptr, nullptr);
}

// MARK: The strip and the carousel

void StripAndCarouselDemoViewController::loadView()
{
    setTitle("横向菜单与封面流");
    setEdgesForExtendedLayout(UIRectEdgeNone);
    auto view = UIView::create(UIScreen::mainScreen()->bounds());
    view->setBackgroundColor(UIColor::blackColor());
    auto me = std::static_pointer_cast<StripAndCarouselDemoViewController>(self());
    m_menu = HXHorizMenu::create(CGRectMake(0, 0, view->bounds().size.width, 44));
    m_menu->setDataSource(me);
    m_menu->setItemSelectedDelegate(me);
    view->addSubview(m_menu);
    m_menu->reloadData();

    std::vector<UIImageRef> images;
    std::vector<NSString> titles;
    for (int i = 0; i < 16; ++i) {
        images.push_back(UIImage::imageNamed(NSString("coverflow/") + kSigns[i % 8] + ".png"));
        titles.push_back(kSignTitles[i % 8]);
    }
    m_coverFlow = CoverFlowView::coverFlowViewWithFrame(CGRectMake(0, 60, view->bounds().size.width, 300), images, titles, 2, 0.5, 0.8);
    m_coverFlow->setDelegate(me);
    view->addSubview(m_coverFlow);

    m_label = UILabel::create(CGRectMake(20, 380, view->bounds().size.width - 40, 30));
    m_label->setTextAlignment(NSTextAlignmentCenter);
    m_label->setTextColor(UIColor::whiteColor());
    m_label->setText("左右拖动图片切换");
    view->addSubview(m_label);
    setView(view);
}

int32_t StripAndCarouselDemoViewController::numberOfItemsForMenu(HXHorizMenu&) { return int32_t(std::size(kSubjects)); }
UIColorRef StripAndCarouselDemoViewController::backgroundColorForMenu(HXHorizMenu&) { return UIColor::colorWithRed(0.1, 0.25, 0.42, 1); }
UIImageRef StripAndCarouselDemoViewController::selectedItemImageForMenu(HXHorizMenu&) { return UIImage::imageNamed("monthcalendar/grid_selected.png"); }
UIColorRef StripAndCarouselDemoViewController::selectedItemTitleColor(HXHorizMenu&) { return UIColor::whiteColor(); }
UIColorRef StripAndCarouselDemoViewController::itemTitleColor(HXHorizMenu&) { return UIColor::colorWithWhite(0.8, 1); }
NSString StripAndCarouselDemoViewController::titleForItemAtIndex(HXHorizMenu&, int32_t index) { return kSubjects[index]; }

void StripAndCarouselDemoViewController::itemSelectedAtIndex(HXHorizMenu&, NSUInteger index)
{
    m_label->setText(NSString::stringWithFormat("已选：%@", NSString(kSubjects[index])));
}

void StripAndCarouselDemoViewController::selectedAtIndex(int32_t index)
{
    m_label->setText(NSString::stringWithFormat("第 %d 张：%@", index + 1, NSString(kSignTitles[index % 8])));
}
