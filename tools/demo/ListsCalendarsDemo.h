#pragma once
// A screen that opens the list, calendar and paging widgets no client screen uses yet: the
// pull-to-refresh table, the folding table, the horizontal button menu, the cover-flow carousel,
// the paged month calendar and the tutorial pager.

#include "library/widgets/buttonmenu/HXHorizMenu.h"
#include "library/widgets/coverflow/CoverFlowView.h"
#include "library/widgets/foldingtable/FolderTableView.h"
#include "library/widgets/monthcalendar/GCCalendarView.h"
#include "library/widgets/pulltable/PullTableView.h"
#include "library/widgets/tutorial/TPTutorialController.h"
#include "platform/uikit/UILabel.h"

class ListsCalendarsViewController : public UIViewController, public GCCalendarViewDelegate, public TPTutorialControllerDelegate {
    NS_OBJECT(ListsCalendarsViewController, UIViewController)
public:
    void loadView() override;

    void showPullTable();
    void showFoldingTable();
    void showHorizMenu();
    void showCoverFlow();
    void showMonthCalendar();
    void showTutorial();

    void calendarViewDidSelectDay(GCCalendarView&, const GCCalDayRef& day) override;
    void didClickOnRightButton(TPTutorialController&, UIButton&) override;
    void didClickOnLeftButton(TPTutorialController&, UIButton&) override;

    const std::vector<std::shared_ptr<UIButton>>& buttons() const { return m_buttons; }
    const std::shared_ptr<UILabel>& resultLabel() const { return m_resultLabel; }
    const GCCalendarViewRef& calendar() const { return m_calendar; }

private:
    std::vector<std::shared_ptr<UIButton>> m_buttons;
    std::shared_ptr<UILabel> m_resultLabel;
    GCCalendarViewRef m_calendar;
};

// Twenty lessons; a pull down reloads them a second later, a pull up adds ten more.
class PullListDemoViewController : public UIViewController, public UITableViewDataSource, public UITableViewDelegate, public PullTableViewDelegate {
    NS_OBJECT(PullListDemoViewController, UIViewController)
public:
    void loadView() override;
    NSInteger numberOfRowsInSection(UITableView&, NSInteger) override { return m_rows; }
    std::shared_ptr<UITableViewCell> cellForRowAtIndexPath(UITableView& table, const std::shared_ptr<NSIndexPath>& indexPath) override;
    void pullTableViewDidTriggerRefresh(PullTableView&) override;
    void pullTableViewDidTriggerLoadMore(PullTableView&) override;
    const PullTableViewRef& table() const { return m_table; }

private:
    PullTableViewRef m_table;
    NSInteger m_rows { 20 };
};

// Chapters; a tap opens a folder with the chapter's progress under the row.
class FoldingListDemoViewController : public UIViewController, public UITableViewDataSource, public UITableViewDelegate {
    NS_OBJECT(FoldingListDemoViewController, UIViewController)
public:
    void loadView() override;
    NSInteger numberOfRowsInSection(UITableView&, NSInteger) override { return 20; }
    std::shared_ptr<UITableViewCell> cellForRowAtIndexPath(UITableView& table, const std::shared_ptr<NSIndexPath>& indexPath) override;
    void didSelectRowAtIndexPath(UITableView& table, const std::shared_ptr<NSIndexPath>& indexPath) override;
    const FolderTableViewRef& table() const { return m_table; }

private:
    FolderTableViewRef m_table;
};

// The subjects in a strip along the top, the chosen one named below; and the carousel of signs.
class StripAndCarouselDemoViewController : public UIViewController, public HXHorizMenuDataSource, public HXHorizMenuDelegate, public CoverFlowViewDelegate {
    NS_OBJECT(StripAndCarouselDemoViewController, UIViewController)
public:
    void loadView() override;
    int32_t numberOfItemsForMenu(HXHorizMenu&) override;
    UIColorRef backgroundColorForMenu(HXHorizMenu&) override;
    UIImageRef selectedItemImageForMenu(HXHorizMenu&) override;
    UIImageRef itemImageForMenu(HXHorizMenu&) override { return nullptr; }
    UIColorRef selectedItemTitleColor(HXHorizMenu&) override;
    UIColorRef itemTitleColor(HXHorizMenu&) override;
    UIFontRef itemTitleFont(HXHorizMenu&) override { return nullptr; }
    CGFloat widthForItem(HXHorizMenu&) override { return 0; }
    CGFloat verticalPaddingInMenuBar(HXHorizMenu&) override { return 6; }
    CGFloat horizontalPaddingInMenuBar(HXHorizMenu&) override { return 14; }
    NSString titleForItemAtIndex(HXHorizMenu&, int32_t index) override;
    void itemSelectedAtIndex(HXHorizMenu&, NSUInteger index) override;
    void selectedAtIndex(int32_t index) override;

    const HXHorizMenuRef& menu() const { return m_menu; }
    const CoverFlowViewRef& coverFlow() const { return m_coverFlow; }
    const std::shared_ptr<UILabel>& label() const { return m_label; }

private:
    HXHorizMenuRef m_menu;
    CoverFlowViewRef m_coverFlow;
    std::shared_ptr<UILabel> m_label;
};
