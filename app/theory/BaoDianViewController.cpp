#include "app/theory/BaoDianViewController.h"

#include "app/screens/base/UIColor_Addition.h"
#include "app/theory/ReadingListLayout.h"
#include "platform/foundation/TypedValues.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UITableViewCell.h"

namespace {

constexpr NSInteger kBadgeTag = 100;
constexpr NSInteger kTitleTag = 101;
const char* const kCellIdentifier = "msgCell";

} // namespace

void BaoDianViewController::loadView()
{
    NoXibViewController::loadView();
    m_tableView = ReadingListLayout::prepareScreen(*this, title(), self(), self());
}

void BaoDianViewController::viewWillAppear(bool animated)
{
    NoXibViewController::viewWillAppear(animated);
    // The table starts below the bar already; an inset for the status bar would only open a gap.
    setAutomaticallyAdjustsScrollViewInsets(false);
    ReadingListLayout::replaceHeader(*m_tableView);
}

void BaoDianViewController::viewDidLoad()
{
    NoXibViewController::viewDidLoad();
    ReadingListLayout::fitToRows(*m_tableView, m_itemArray ? m_itemArray->count() : 0, kRowHeight);
    m_tableView->reloadData();
}

NSInteger BaoDianViewController::numberOfRowsInSection(UITableView&, NSInteger)
{
    return m_itemArray ? NSInteger(m_itemArray->count()) : 0;
}

std::shared_ptr<UITableViewCell> BaoDianViewController::cellForRowAtIndexPath(UITableView& table, const std::shared_ptr<NSIndexPath>& indexPath)
{
    auto cell = table.dequeueReusableCellWithIdentifier(kCellIdentifier);
    if (!cell) {
        cell = UITableViewCell::create(UITableViewCellStyle::Subtitle, kCellIdentifier);
        auto badge = UILabel::create(CGRectMake(10, (kRowHeight - 30) / 2, 30, 30));
        badge->setTag(kBadgeTag);
        badge->setBackgroundColor(UIColor_Addition::colorWithHexString("a2c159"));
        badge->setText("1");
        badge->setFont(UIFont::systemFontOfSize(14));
        badge->setTextColor(UIColor::whiteColor());
        badge->setTextAlignment(NSTextAlignmentCenter);
        badge->layer()->setCornerRadius(15);
        badge->layer()->setMasksToBounds(true);
        cell->contentView()->addSubview(badge);
        auto title = UILabel::create(CGRectMake(50, (kRowHeight - 44) / 2, table.bounds().size.width - 40, 44));
        title->setTag(kTitleTag);
        title->setBackgroundColor(UIColor::clearColor());
        title->setTextColor(UIColor::blackColor());
        title->setFont(UIFont::systemFontOfSize(15));
        title->setNumberOfLines(2);
        cell->contentView()->addSubview(title);
    }
    const NSInteger row = indexPath->row();
    auto item = m_itemArray && row >= 0 && NSUInteger(row) < m_itemArray->count()
        ? ns::dictionaryValue(m_itemArray->objectAtIndex(NSUInteger(row)))
        : nullptr;
    if (auto badge = std::dynamic_pointer_cast<UILabel>(cell->contentView()->viewWithTag(kBadgeTag))) {
        badge->setText(NSString::stringWithFormat("%d", int(row + 1)));
        badge->setBackgroundColor(item ? ns::cast<UIColor>(item->objectForKey(NSString("color"))) : nullptr);
    }
    if (auto title = std::dynamic_pointer_cast<UILabel>(cell->contentView()->viewWithTag(kTitleTag)))
        title->setText(ns::stringForKey(item, "title"));
    cell->setSelectionStyle(UITableViewCellSelectionStyle::Gray);
    cell->setAccessoryType(UITableViewCellAccessoryType::None);
    return cell;
}

void BaoDianViewController::willDisplayCell(UITableView&, const std::shared_ptr<UITableViewCell>& cell, const std::shared_ptr<NSIndexPath>&)
{
    ReadingListLayout::fullWidthSeparator(*cell);
}

void BaoDianViewController::didSelectRowAtIndexPath(UITableView& table, const std::shared_ptr<NSIndexPath>& indexPath)
{
    ReadingListLayout::openPage(*this, table, indexPath, m_itemArray);
}
