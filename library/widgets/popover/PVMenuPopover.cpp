#include "library/widgets/popover/PVMenuPopover.h"

#include "platform/text/UIFont.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UnclaimedKeyRouting.h"

namespace {

constexpr NSInteger kSeparatorTag = 1013;
constexpr NSTimeInterval kFadeDuration = 0.5;
const char* const kCellIdentifier = "MenuPopoverCell";

} // namespace

void PVMenuPopover::init(CGRect frame, std::vector<NSString> menuItems)
{
    // The menu is tall enough to hold the list below the pointer: a list reaching past the
    // menu's bounds would lose its last 11 points to the dimmed button behind it.
    UIView::init(CGRectMake(frame.origin.x, frame.origin.y, frame.size.width, frame.size.height + kPointerHeight));
    m_menuItems = std::move(menuItems);

    m_containerButton = UIButton::buttonWithType(UIButtonTypeCustom);
    m_containerButton->setBackgroundColor(UIColor::colorWithWhite(0, 0.1));
    m_containerButton->setAutoresizingMask(UIViewAutoresizing(63));
    std::weak_ptr<PVMenuPopover> weakSelf = self();
    m_containerButton->addTarget(nullptr, UIControl::Action([weakSelf](UIControl&, const UIEventRef&) {
        if (auto strongSelf = weakSelf.lock())
            strongSelf->dismissMenuPopover();
    }), UIControlEventTouchUpInside);

    m_pointer = UIImageView::create(UIImage::imageNamed("options_pointer"));
    m_pointer->setFrame(CGRectMake(frame.origin.x + frame.size.width - 23, frame.origin.y, 23, kPointerHeight));
    m_pointer->setTag(kPointerTag);
    m_containerButton->addSubview(m_pointer);

    m_table = UITableView::create(CGRectMake(0, kPointerHeight, frame.size.width, frame.size.height), UITableViewStyle::Plain);
    m_table->layer()->setMasksToBounds(true);
    m_table->layer()->setCornerRadius(2);
    m_table->setDataSource(self());
    m_table->setDelegate(self());
    m_table->setSeparatorStyle(UITableViewCellSeparatorStyle::None);
    m_table->setScrollEnabled(false);
    m_table->setBackgroundColor(UIColor::clearColor());
    m_table->setTag(kTableTag);
    m_table->setBackgroundView(UIImageView::create(UIImage::imageNamed("Menu_PopOver_BG")));
    addSubview(m_table);
}

void PVMenuPopover::setMenuItems(std::vector<NSString> items)
{
    m_menuItems = std::move(items);
    m_table->reloadData();
}

void PVMenuPopover::showInView(const UIViewRef& view)
{
    NSAssertMainThread();
    if (!view)
        return;
    auto container = containerButton();
    if (superview() != container)
        container->addSubview(self());
    container->setAlpha(0);
    container->setFrame(view->bounds());
    view->addSubview(container);
    m_shownContainer = container;
    m_containerButton.reset();
    UIView::animateWithDuration(kFadeDuration, [container] { container->setAlpha(1); }, [](bool) { });
}

void PVMenuPopover::hide()
{
    NSAssertMainThread();
    // The container keeps the menu alive until it is gone, so the menu can be shown again.
    auto container = containerButton();
    std::weak_ptr<PVMenuPopover> weakSelf = self();
    UIView::animateWithDuration(kFadeDuration, [container] { container->setAlpha(0); },
        [container, weakSelf](bool) {
            container->removeFromSuperview();
            if (auto strongSelf = weakSelf.lock()) {
                if (strongSelf->superview() == container)
                    strongSelf->removeFromSuperview();
                strongSelf->m_containerButton = container;
            }
        });
}

bool PVMenuPopover::takeUnclaimedKey(UIKeyboardKey key, UIKeyModifierFlags modifiers)
{
    auto container = m_shownContainer.lock();
    if (!UnclaimedKeyRouting::isBackKey(key, modifiers) || !container || !container->superview())
        return false;
    hide();
    return true;
}

void PVMenuPopover::layoutUIForInterfaceOrientation(NSInteger orientation)
{
    const CGFloat shift = (orientation == 3 || orientation == 4) ? 50 : -50;
    for (const auto& view : { UIViewRef(m_pointer), UIViewRef(m_table) }) {
        {
            CGRect frame = view->frame();
            frame.origin.x += shift;
            view->setFrame(frame);
        }
    }
}

void PVMenuPopover::addSeparatorImageToCell(const std::shared_ptr<UITableViewCell>& cell, bool shown) const
{
    auto line = cell->contentView()->viewWithTag(kSeparatorTag);
    if (!line) {
        line = UIImageView::create(UIImage::imageNamed("DefaultLine"));
        line->setFrame(CGRectMake(5, kRowHeight - 0.5, bounds().size.width - 10, 0.5));
        line->setOpaque(true);
        line->setTag(kSeparatorTag);
        cell->contentView()->addSubview(line);
    }
    line->setHidden(!shown);
}

NSInteger PVMenuPopover::numberOfRowsInSection(UITableView&, NSInteger)
{
    return NSInteger(m_menuItems.size());
}

std::shared_ptr<UITableViewCell> PVMenuPopover::cellForRowAtIndexPath(UITableView& table, const std::shared_ptr<NSIndexPath>& indexPath)
{
    auto cell = table.dequeueReusableCellWithIdentifier(kCellIdentifier);
    if (!cell) {
        cell = UITableViewCell::create(UITableViewCellStyle::Default, kCellIdentifier);
        cell->textLabel()->setFont(UIFont::systemFontOfSize(15));
        cell->textLabel()->setTextColor(UIColor::blackColor());
        cell->textLabel()->setTextAlignment(NSTextAlignmentCenter);
        cell->setSelectionStyle(UITableViewCellSelectionStyle::Gray);
        cell->setBackgroundColor(UIColor::clearColor());
    }
    const NSInteger row = indexPath->row();
    const NSInteger count = NSInteger(m_menuItems.size());
    addSeparatorImageToCell(cell, count > 1 && row < count - 1);
    if (row >= 0 && row < count)
        cell->textLabel()->setText(m_menuItems[std::size_t(row)]);
    return cell;
}

void PVMenuPopover::didSelectRowAtIndexPath(UITableView&, const std::shared_ptr<NSIndexPath>& indexPath)
{
    // The delegate may drop its last reference to the menu when told; keep it for the call.
    auto protectedSelf = self();
    hide();
    if (auto delegate = menuPopoverDelegate())
        delegate->menuPopoverDidSelectMenuItemAtIndex(*this, indexPath->row());
}
