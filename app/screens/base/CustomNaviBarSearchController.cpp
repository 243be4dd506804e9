#include "app/screens/base/CustomNaviBarSearchController.h"

#include "app/screens/base/UtilityFunc.h"
#include "platform/foundation/NSCharacterSet.h"
#include "platform/text/UIFont.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIImage.h"
#include "platform/uikit/UITapGestureRecognizer.h"

void CustomNaviBarSearchController::init(const std::shared_ptr<ParentViewController>& parent)
{
    NSObject::init();
    m_parent = parent;
    auto protectedSelf = self();
    m_viewNaviBar = UIView::create(CGRectMake(0, stripTop(), width(), 44));
    m_searchBar = UISearchBar::create(CGRectMake(0, 0, width(), 44));
    m_searchBar->setPlaceholder("请输入");
    m_searchBar->setBackgroundColor(UIColor::clearColor());
    m_searchBar->setBackgroundImage(UIImage::imageNamed("transparent"));
    m_searchBar->setDelegate(std::static_pointer_cast<UISearchBarDelegate>(protectedSelf));
    const CGRect right = CustomNaviBarView::rightBtnFrame();
    m_btnCancel = CustomNaviBarView::createNormalNaviBarBtnByTitle("取消", protectedSelf, &CustomNaviBarSearchController::btnCancel);
    m_btnCancel->setFrame(CGRectMake(right.origin.x, 0, right.size.width, 44));
    m_btnCancel->setHidden(true);
    m_viewNaviBar->addSubview(m_searchBar);
    m_viewNaviBar->addSubview(m_btnCancel);
    m_viewBlackCover = UIImageView::create(parent && parent->isViewLoaded() ? parent->view()->bounds() : CGRectZero);
    m_viewBlackCover->setUserInteractionEnabled(true);
    m_viewBlackCover->setBackgroundColor(UIColor::colorWithWhite(0, 0.8));
    auto tap = UITapGestureRecognizer::create();
    tap->addTarget(protectedSelf, &CustomNaviBarSearchController::handleTapToClose);
    m_viewBlackCover->addGestureRecognizer(tap);
}

bool CustomNaviBarSearchController::searchBarEditing() const
{
    auto first = std::dynamic_pointer_cast<UIView>(UIApplication::sharedApplication()->firstResponder());
    return first && first->isDescendantOfView(m_searchBar);
}

CGFloat CustomNaviBarSearchController::stripTop() const
{
    const CGRect status = UIApplication::sharedApplication()->statusBarFrame();
    return std::min(status.size.height, status.size.width);
}

CGFloat CustomNaviBarSearchController::width() const { return static_cast<float>(CustomNaviBarView::barSize().width); }

void CustomNaviBarSearchController::showTempSearchCtrl()
{
    if (auto parent = m_parent.lock())
        parent->naviBarAddCoverView(m_viewNaviBar);
    m_isFixation = false;
    m_isCoverTitleView = false;
    startSearch();
}

void CustomNaviBarSearchController::showFixationSearchCtrl()
{
    if (auto parent = m_parent.lock())
        parent->naviBarAddCoverView(m_viewNaviBar);
    m_isFixation = true;
    m_isCoverTitleView = false;
}

void CustomNaviBarSearchController::showFixationSearchCtrlOnTitleView()
{
    m_viewNaviBar->setFrame(CustomNaviBarView::titleViewFrame());
    m_searchBar->setFrame(m_viewNaviBar->bounds());
    if (auto parent = m_parent.lock())
        parent->naviBarAddCoverViewOnTitleView(m_viewNaviBar);
    m_isFixation = true;
    m_isCoverTitleView = true;
}

void CustomNaviBarSearchController::removeSearchCtrl()
{
    if (searchBarEditing())
        m_searchBar->resignFirstResponder();
    if (auto parent = m_parent.lock())
        parent->naviBarRemoveCoverView(m_viewNaviBar);
    m_viewBlackCover->removeFromSuperview();
}

void CustomNaviBarSearchController::startWorking()
{
    auto parent = m_parent.lock();
    m_btnCancel->setHidden(false);
    m_viewNaviBar->setFrame(CGRectMake(0, stripTop(), width(), 44));
    m_searchBar->setFrame(CGRectMake(0, 0, CustomNaviBarView::rightBtnFrame().origin.x - 2, 44));
    if (parent) {
        m_viewBlackCover->setFrame(parent->view()->bounds());
        m_viewBlackCover->setAlpha(0);
        parent->view()->addSubview(m_viewBlackCover);
        auto cover = m_viewBlackCover;
        UIView::animateWithDuration(0.4, [cover] { cover->setAlpha(1); });
    }
    if (!searchBarEditing())
        m_searchBar->becomeFirstResponder();
    showRecentTable(true);
    if (parent)
        parent->bringNaviBarToTopmost();
    m_isWorking = true;
}

void CustomNaviBarSearchController::endWorking()
{
    m_btnCancel->setHidden(true);
    if (m_isCoverTitleView) {
        m_viewNaviBar->setFrame(CustomNaviBarView::titleViewFrame());
        m_searchBar->setFrame(m_viewNaviBar->bounds());
    } else {
        m_viewNaviBar->setFrame(CGRectMake(0, stripTop(), width(), 44));
        m_searchBar->setFrame(CGRectMake(0, 0, width(), 44));
    }
    if (searchBarEditing())
        m_searchBar->resignFirstResponder();
    m_viewBlackCover->removeFromSuperview();
    showRecentTable(false);
    m_isWorking = false;
}

void CustomNaviBarSearchController::showRecentTable(bool show)
{
    auto parent = m_parent.lock();
    if (show && parent && m_recent && !m_recent->empty()) {
        const CGRect bounds = parent->view()->bounds();
        if (!m_tableView) {
            m_tableView = UITableView::create(bounds, UITableViewStyle::Plain);
            parent->view()->addSubview(m_tableView);
            UtilityFunc::resetScrlView(m_tableView, true, false);
            auto footer = UIView::create(CGRectMake(0, 0, width(), 240));
            footer->setBackgroundColor(UIColor::clearColor());
            auto clear = UIButton::buttonWithType(UIButtonTypeCustom);
            clear->setFrame(CGRectMake(0, 20, footer->frame().size.width, 50));
            clear->setTitle("清除搜索记录", UIControlStateNormal);
            clear->setTitleColor(UIColor::colorWithRed(200 / 255.0, 200 / 255.0, 200 / 255.0, 1), UIControlStateNormal);
            clear->setTitleColor(UIColor::colorWithRed(224 / 255.0, 83 / 255.0, 51 / 255.0, 1), UIControlStateHighlighted);
            clear->addTarget(self(), &CustomNaviBarSearchController::btnClearSearchRecord,
                UIControlEventTouchUpInside);
            footer->addSubview(clear);
            m_tableView->setTableFooterView(footer);
            m_tableView->setBackgroundColor(UIColor::colorWithRed(235 / 255.0, 235 / 255.0, 235 / 255.0, 1));
            auto protectedSelf = self();
            m_tableView->setDelegate(std::static_pointer_cast<UITableViewDelegate>(protectedSelf));
            m_tableView->setDataSource(std::static_pointer_cast<UITableViewDataSource>(protectedSelf));
        }
        m_tableView->setHidden(false);
        CGRect below = bounds;
        below.origin.y += m_tableView->frame().size.height;
        m_tableView->setFrame(below);
        auto table = m_tableView;
        UIView::animateWithDuration(0.3, [table, bounds] { table->setFrame(bounds); });
        parent->bringNaviBarToTopmost();
        return;
    }
    if (m_tableView) {
        m_tableView->removeFromSuperview();
        m_tableView = nullptr;
    }
}

void CustomNaviBarSearchController::btnCancel(UIControl&)
{
    m_searchBar->setText("");
    endWorking();
    if (auto delegate = this->delegate())
        delegate->naviBarSearchCtrlCancel(*this);
}

void CustomNaviBarSearchController::handleTapToClose()
{
    endWorking();
    if (auto delegate = this->delegate())
        delegate->naviBarSearchCtrlCancel(*this);
}

void CustomNaviBarSearchController::btnClearSearchRecord(UIControl&)
{
    if (auto delegate = this->delegate())
        delegate->naviBarSearchCtrlClearKeywordRecord(*this);
}

void CustomNaviBarSearchController::setRecentKeyword(const std::vector<NSString>* keywords)
{
    m_recent = keywords ? std::optional<std::vector<NSString>>(*keywords) : std::nullopt;
    if (m_tableView)
        m_tableView->reloadData();
}

void CustomNaviBarSearchController::searchBarSearchButtonClicked(UISearchBar& searchBar)
{
    const NSString text = searchBar.text();
    if (text.isNil())
        return;
    const NSString keyword = text.stringByTrimmingCharactersInSet(*NSCharacterSet::whitespaceCharacterSet());
    searchBar.setText("");
    if (keyword.length() == 0)
        return;
    endWorking();
    if (auto delegate = this->delegate())
        delegate->naviBarSearchCtrlSearchKeyword(*this, keyword);
}

NSInteger CustomNaviBarSearchController::numberOfRowsInSection(UITableView&, NSInteger)
{
    return m_recent ? NSInteger(m_recent->size()) : 0;
}

std::shared_ptr<UITableViewCell> CustomNaviBarSearchController::cellForRowAtIndexPath(UITableView&,
    const std::shared_ptr<NSIndexPath>& indexPath)
{
    auto cell = UITableViewCell::create(UITableViewCellStyle::Default, "SearchTypeCell");
    cell->setBackgroundColor(UIColor::clearColor());
    cell->textLabel()->setTextColor(UIColor::colorWithRed(100 / 255.0, 100 / 255.0, 100 / 255.0, 1));
    cell->textLabel()->setFont(UIFont::systemFontOfSize(16));
    cell->setSelectionStyle(UITableViewCellSelectionStyle::None);
    const auto row = std::size_t(indexPath->row());
    if (m_recent && row < m_recent->size())
        cell->textLabel()->setText((*m_recent)[row]);
    return cell;
}

void CustomNaviBarSearchController::didSelectRowAtIndexPath(UITableView&, const std::shared_ptr<NSIndexPath>& indexPath)
{
    const auto row = std::size_t(indexPath->row());
    if (m_recent && row < m_recent->size())
        m_searchBar->setText((*m_recent)[row]);
}

void CustomNaviBarSearchController::inViewsFrameAtOrientation()
{
    const CGFloat W = width();
    CGRect strip = m_viewNaviBar->frame();
    strip.size.width = W;
    m_viewNaviBar->setFrame(strip);
    const CGRect right = CustomNaviBarView::rightBtnFrame();
    if (!m_btnCancel->isHidden()) {
        m_searchBar->setFrame(CGRectMake(0, 0, right.origin.x - 2, 44));
    } else if (m_isCoverTitleView) {
        m_viewNaviBar->setFrame(CustomNaviBarView::titleViewFrame());
        m_searchBar->setFrame(m_viewNaviBar->bounds());
    } else {
        m_searchBar->setFrame(CGRectMake(0, 0, W, 44));
    }
    m_btnCancel->setFrame(CGRectMake(right.origin.x, 0, right.size.width, 44));
    auto parent = m_parent.lock();
    if (!m_tableView || !parent)
        return;
    m_tableView->setFrame(parent->view()->bounds());
    if (auto footer = m_tableView->tableFooterView()) {
        const auto widen = [W](const UIViewRef& view) {
            CGRect frame = view->frame();
            frame.size.width = W;
            view->setFrame(frame);
        };
        widen(footer);
        for (const auto& subview : footer->subviews())
            widen(subview);
    }
}
