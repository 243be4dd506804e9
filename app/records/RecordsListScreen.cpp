#include "app/records/RecordsListScreen.h"

#include "app/screens/base/UIColor_Addition.h"

void RecordsListScreen::loadView()
{
    NoXibViewController::loadView();
    auto root = view();
    root->setBackgroundColor(UIColor_Addition::colorWithHexString("f6f6f6"));
    root->setClipsToBounds(true);
    setNaviBarRightBtn(nullptr);
    setNaviBarTitle(screenTitle());
    const CGFloat top = getNaviBarRect().size.height;
    const CGRect area = CGRectMake(0, top, root->bounds().size.width, root->bounds().size.height - top);
    m_scroller = UIScrollView::create(area);
    m_scroller->setBackgroundColor(UIColor::clearColor());
    m_scroller->setShowsHorizontalScrollIndicator(false);
    root->addSubview(m_scroller);
    m_emptyView = PurchaseEmptyView::create(area);
    m_emptyView->refreshButton()->addTarget(self(), &RecordsListScreen::refreshEvent, UIControlEventTouchUpInside);
    m_emptyView->setHidden(true);
    root->addSubview(m_emptyView);
}

void RecordsListScreen::viewDidLoad()
{
    NoXibViewController::viewDidLoad();
    loadData();
}

void RecordsListScreen::showEmpty(bool empty)
{
    m_emptyView->setHidden(!empty);
    m_scroller->setHidden(empty);
}

void RecordsListScreen::clearRows()
{
    for (const auto& subview : std::vector<UIViewRef>(m_scroller->subviews()))
        subview->removeFromSuperview();
    m_rowsY = 10;
}

std::shared_ptr<UIView> RecordsListScreen::addRow(CGFloat height)
{
    const CGFloat W = m_scroller->bounds().size.width;
    auto row = UIView::create(CGRectMake(0, m_rowsY, W, height));
    row->setBackgroundColor(UIColor::whiteColor());
    m_scroller->addSubview(row);
    auto line = UIView::create(CGRectMake(0, m_rowsY + height, W, 0.5));
    line->setBackgroundColor(UIColor_Addition::colorWithHexString("bfd8ec"));
    m_scroller->addSubview(line);
    m_rowsY += height + 0.5;
    return row;
}

void RecordsListScreen::finishRows()
{
    m_scroller->setContentSize(CGSizeMake(m_scroller->bounds().size.width, m_rowsY + 10));
}

void RecordsListScreen::refreshEvent(UIControl&)
{
    loadData();
}
