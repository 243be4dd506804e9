#include "platform/uikit/UIPickerView.h"

#include "platform/foundation/NSAssertMainThread.h"
#include "platform/uikit/SystemAlertStyle.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UIScrollView.h"
#include "platform/uikit/UITapGestureRecognizer.h"
#include "platform/uikit/UnclaimedKeyRouting.h"

#include <cmath>
#include <map>

// One component: a scroll view whose content is the column of rows, inset so that the first and
// the last row can rest in the middle band. It is its own scroll delegate, to make every motion
// end on a whole row.
class UIPickerWheel : public UIScrollView, public UIScrollViewDelegate {
    NS_OBJECT(UIPickerWheel, UIScrollView)
public:
    NSInteger component { 0 };
    NSInteger rows { 0 };
    CGFloat rowHeight { UIPickerView::kDefaultRowHeight };
    NSInteger selected { -1 };

    void configure(CGRect frame, NSInteger rowCount, CGFloat height)
    {
        const bool changed = rowCount != rows || height != rowHeight || frame.size.height != bounds().size.height;
        rows = rowCount;
        rowHeight = height > 0 ? height : UIPickerView::kDefaultRowHeight;
        setFrame(frame);
        const CGFloat inset = std::round((frame.size.height - rowHeight) / 2);
        setContentInset(UIEdgeInsetsMake(inset, 0, frame.size.height - rowHeight - inset, 0));
        setContentSize(CGSizeMake(frame.size.width, CGFloat(rows) * rowHeight));
        selected = rows == 0 ? -1 : std::clamp<NSInteger>(selected, 0, rows - 1);
        if (changed && !isMoving())
            setContentOffset(CGPointMake(0, offsetOfRow(std::max<NSInteger>(selected, 0))));
        layoutRows();
    }

    CGFloat offsetOfRow(NSInteger row) const { return CGFloat(row) * rowHeight - contentInset().top; }
    NSInteger rowAtOffset(CGFloat offset) const
    {
        if (rows == 0)
            return -1;
        return std::clamp<NSInteger>(NSInteger(std::lround((offset + contentInset().top) / rowHeight)), 0, rows - 1);
    }
    bool isMoving() const { return isTracking() || isDecelerating() || m_animating; }
    bool isTurnedByUser() const { return isTracking() || (isMoving() && m_userMoved); }
    // Whether it moves as the user sent it: dragged, spinning on, or turning to the row an arrow,
    // a notch or a tap chose. A finger held still is not yet a turn.
    bool followsUser() const { return isDragging() || ((isDecelerating() || m_animating) && m_userMoved); }
    // The row the wheel shows: while a finger or a flick turns it, the row in the band now;
    // while it turns to a row, that row.
    NSInteger shownRow() const
    {
        if (rows == 0)
            return -1;
        if (isTracking() || isDecelerating())
            return rowAtOffset(contentOffset().y);
        return m_animating ? m_headingRow : selected;
    }

    void scrollToRow(NSInteger row, bool animated, bool byUser)
    {
        m_userMoved = byUser;
        const CGPoint target = CGPointMake(0, offsetOfRow(row));
        if (animated && std::abs(contentOffset().y - target.y) > 0.5) {
            m_animating = true;
            m_headingRow = row;
            setContentOffset(target, true);
            return;
        }
        m_animating = false;
        setContentOffset(target, false);
        settle();
    }

    // Forgets every row view, so the next layout asks for them again.
    void dropRowViews()
    {
        for (auto& [row, view] : m_rowViews)
            view->removeFromSuperview();
        m_rowViews.clear();
        m_reusable.clear();
        layoutRows();
    }

    std::shared_ptr<UIView> rowView(NSInteger row) const
    {
        auto found = m_rowViews.find(row);
        return found == m_rowViews.end() ? nullptr : found->second;
    }

    void layoutRows()
    {
        auto picker = m_picker.lock();
        if (!picker)
            return;
        const CGFloat top = contentOffset().y, height = bounds().size.height;
        const NSInteger first = std::max<NSInteger>(0, NSInteger(std::floor(top / rowHeight)));
        const NSInteger last = std::min<NSInteger>(rows - 1, NSInteger(std::ceil((top + height) / rowHeight)) - 1);
        for (auto it = m_rowViews.begin(); it != m_rowViews.end();) {
            if (it->first < first || it->first > last) {
                it->second->removeFromSuperview();
                m_reusable.push_back(it->second);
                it = m_rowViews.erase(it);
            } else {
                ++it;
            }
        }
        const CGFloat radius = height / 2, middle = top + height / 2;
        for (NSInteger row = first; row <= last; ++row) {
            auto& view = m_rowViews[row];
            if (!view) {
                view = makeRowView(*picker, row);
                addSubview(view);
            }
            view->setTransform(CGAffineTransformIdentity);
            view->setFrame(CGRectMake(0, CGFloat(row) * rowHeight, bounds().size.width, rowHeight));
            // On a drum: a row at an angle shows nearer the middle, flattened and paler.
            const CGFloat distance = CGFloat(row) * rowHeight + rowHeight / 2 - middle;
            const CGFloat angle = std::clamp(distance / radius, -M_PI_2, M_PI_2);
            const CGFloat lean = std::cos(angle);
            view->setTransform(CGAffineTransformScale(
                CGAffineTransformMakeTranslation(0, radius * std::sin(angle) - distance), 1, std::max<CGFloat>(lean, 0.01)));
            view->setAlpha(std::abs(distance) < rowHeight / 2 ? 1 : 0.25 + 0.5 * lean);
        }
    }

    // Scroll delegate.
    void scrollViewDidScroll(UIScrollView&) override
    {
        layoutRows();
        restIfStill();
    }
    void scrollViewWillBeginDragging(UIScrollView&) override
    {
        m_userMoved = true;
        m_animating = false;
        m_headingRow = -1;
        if (auto picker = m_picker.lock())
            picker->setKeyComponent(component);
    }
    void scrollViewWillEndDragging(UIScrollView&, CGPoint, CGPoint* target) override
    {
        if (rows > 0) {
            m_headingRow = rowAtOffset(target->y);
            target->y = offsetOfRow(m_headingRow);
        }
    }
    void scrollViewDidEndDragging(UIScrollView&, bool willDecelerate) override
    {
        if (!willDecelerate)
            settle();
    }
    void scrollViewDidEndDecelerating(UIScrollView&) override { settle(); }
    void scrollViewDidEndScrollingAnimation(UIScrollView&) override
    {
        m_animating = false;
        settle();
    }

    // Turns the wheel by whole rows from the one it shows or heads for, as the user.
    bool stepRows(NSInteger steps)
    {
        if (rows == 0)
            return false;
        const NSInteger from = std::max<NSInteger>(shownRow(), 0);
        const NSInteger to = std::clamp<NSInteger>(from + steps, 0, rows - 1);
        if (to != from)
            scrollToRow(to, true, true);
        return true;
    }

    // A notch is a row, whatever the rows' height: a drag of the notch's points would land a
    // row or two further depending on where the wheel stood.
    bool scrollWheelNotches(CGPoint notches) override
    {
        if (notches.y == 0)
            return super::scrollWheelNotches(notches);
        if (auto picker = m_picker.lock())
            picker->setKeyComponent(component);
        stepRows(NSInteger(std::lround(notches.y)));
        return true;
    }

    void rowTapped(UITapGestureRecognizer& tap)
    {
        if (auto picker = m_picker.lock())
            picker->setKeyComponent(component);
        // A tap that stopped the wheel turning leaves it between rows: it comes to rest on the
        // row in the band, as a wheel stopped by the finger does.
        if (rows > 0 && std::abs(contentOffset().y - offsetOfRow(rowAtOffset(contentOffset().y))) > 0.5) {
            m_userMoved = true;
            settle();
            return;
        }
        const CGPoint point = tap.locationInView(self());
        const CGFloat middle = contentOffset().y + bounds().size.height / 2;
        // Rows away from the band show nearer to it than their place: undo the drum.
        const CGFloat radius = bounds().size.height / 2;
        const CGFloat shown = std::clamp((point.y - middle) / radius, CGFloat(-1), CGFloat(1));
        const CGFloat place = middle + radius * std::asin(shown);
        const NSInteger row = rowAtOffset(place - bounds().size.height / 2);
        if (row >= 0 && row != selected)
            scrollToRow(row, true, true);
    }

protected:
    void init(const std::shared_ptr<UIPickerView>& picker, NSInteger index)
    {
        UIScrollView::init(CGRectZero);
        m_picker = picker;
        component = index;
        setShowsVerticalScrollIndicator(false);
        setShowsHorizontalScrollIndicator(false);
        setAlwaysBounceVertical(true);
        setScrollsToTop(false);
        // A drum turns against more friction than a page of content; the slow tail of the
        // normal rate kept the wheel creeping for seconds after it looked still.
        setDecelerationRate(UIScrollViewDecelerationRateFast);
        setBackgroundColor(UIColor::clearColor());
        setDelegate(self());
        addGestureRecognizer(UITapGestureRecognizer::create(self(), &UIPickerWheel::rowTapped));
    }

private:
    // The motion's tail closer to its row than half a pixel cannot be seen: the wheel stops on
    // the row there and then, so that what it reports is what it shows. Only on the row it heads
    // for: a turn's first frame, drawn a moment after it began, has barely left the row before.
    void restIfStill()
    {
        const CGFloat offset = contentOffset().y;
        const CGFloat step = std::abs(offset - m_lastOffset);
        m_lastOffset = offset;
        if (m_resting || isTracking() || rows == 0 || !(isDecelerating() || m_animating))
            return;
        const CGFloat still = 0.5 / std::max<CGFloat>(1, UIScreen::mainScreen()->scale());
        const NSInteger row = m_headingRow;
        if (row < 0 || row >= rows || step >= still || std::abs(offset - offsetOfRow(row)) >= still)
            return;
        m_resting = true;
        m_animating = false;
        setContentOffset(CGPointMake(0, offsetOfRow(row)), false);
        m_resting = false;
        settle();
    }

    void settle()
    {
        if (isTracking() || isDecelerating() || m_animating || rows == 0)
            return;
        const NSInteger row = rowAtOffset(contentOffset().y);
        if (std::abs(contentOffset().y - offsetOfRow(row)) > 0.5) {
            m_animating = true;
            m_headingRow = row;
            setContentOffset(CGPointMake(0, offsetOfRow(row)), true);
            return;
        }
        setContentOffset(CGPointMake(0, offsetOfRow(row)));
        const bool byUser = m_userMoved;
        m_userMoved = false;
        if (auto picker = m_picker.lock())
            picker->wheelSettled(*this, row, byUser, PassKey<UIPickerWheel>());
    }

    std::shared_ptr<UIView> makeRowView(UIPickerView& picker, NSInteger row)
    {
        std::shared_ptr<UIView> reusing;
        if (!m_reusable.empty()) {
            reusing = m_reusable.back();
            m_reusable.pop_back();
        }
        auto delegate = picker.delegate();
        if (delegate) {
            if (auto view = delegate->pickerViewViewForRow(picker, row, component, reusing); view && *view)
                return *view;
        }
        auto label = std::dynamic_pointer_cast<UILabel>(reusing);
        if (!label || label->tag() != kTitleLabelTag) {
            label = UILabel::create();
            label->setTag(kTitleLabelTag);
            label->setFont(UIFont::systemFontOfSize(21));
            label->setTextAlignment(NSTextAlignmentCenter);
            label->setBackgroundColor(UIColor::clearColor());
        }
        std::optional<NSString> title;
        if (delegate)
            title = delegate->pickerViewTitleForRow(picker, row, component);
        label->setText(title ? *title : NSString("?"));
        return label;
    }

    static constexpr NSInteger kTitleLabelTag = -0x5049;

    std::weak_ptr<UIPickerView> m_picker;
    std::map<NSInteger, std::shared_ptr<UIView>> m_rowViews;
    std::vector<std::shared_ptr<UIView>> m_reusable;
    bool m_userMoved { false };
    bool m_animating { false };
    bool m_resting { false };
    NSInteger m_headingRow { -1 };
    CGFloat m_lastOffset { 0 };
};

UIPickerView::~UIPickerView() = default;

void UIPickerView::init(CGRect frame)
{
    if (frame.size.width <= 0 || frame.size.height <= 0)
        frame.size = CGSizeMake(UIScreen::mainScreen()->bounds().size.width, kDefaultHeight);
    UIView::init(frame);
    setClipsToBounds(true);
    m_topLine = UIView::create();
    m_bottomLine = UIView::create();
    for (const auto& line : { m_topLine, m_bottomLine }) {
        line->setBackgroundColor(SystemAlertStyle::separatorColor());
        line->setUserInteractionEnabled(false);
        addSubview(line);
    }
}

void UIPickerView::setDataSource(const std::shared_ptr<UIPickerViewDataSource>& dataSource)
{
    NSAssertMainThread();
    m_dataSource = dataSource;
    m_needsReload = true;
    setNeedsLayout();
}

void UIPickerView::setDelegate(const std::shared_ptr<UIPickerViewDelegate>& delegate)
{
    NSAssertMainThread();
    m_delegate = delegate;
    m_needsReload = true;
    setNeedsLayout();
}

void UIPickerView::setShowsSelectionIndicator(bool shows)
{
    m_showsSelectionIndicator = shows;
    setNeedsLayout();
}

CGSize UIPickerView::sizeThatFits(CGSize size) const
{
    return { size.width > 0 ? size.width : UIScreen::mainScreen()->bounds().size.width, kDefaultHeight };
}

NSInteger UIPickerView::numberOfComponents()
{
    reloadIfNeeded();
    return NSInteger(m_wheels.size());
}

NSInteger UIPickerView::numberOfRowsInComponent(NSInteger component)
{
    reloadIfNeeded();
    if (component < 0 || component >= NSInteger(m_wheels.size()))
        return 0;
    return m_wheels[std::size_t(component)]->rows;
}

CGSize UIPickerView::rowSizeForComponent(NSInteger component)
{
    reloadIfNeeded();
    if (component < 0 || component >= NSInteger(m_wheels.size()))
        return CGSizeZero;
    const auto& wheel = m_wheels[std::size_t(component)];
    return { wheel->bounds().size.width, wheel->rowHeight };
}

void UIPickerView::reloadAllComponents()
{
    NSAssertMainThread();
    rebuildWheels();
    for (const auto& wheel : m_wheels)
        wheel->dropRowViews();
}

void UIPickerView::reloadComponent(NSInteger component)
{
    NSAssertMainThread();
    reloadIfNeeded();
    if (component < 0 || component >= NSInteger(m_wheels.size()))
        return;
    configureWheel(component);
    m_wheels[std::size_t(component)]->dropRowViews();
}

void UIPickerView::selectRow(NSInteger row, NSInteger component, bool animated)
{
    NSAssertMainThread();
    takeRow(row, component, animated, false);
}

void UIPickerView::selectRowAfterUsersTurn(NSInteger row, NSInteger component, bool animated)
{
    NSAssertMainThread();
    takeRow(row, component, animated, true);
}

void UIPickerView::takeRow(NSInteger row, NSInteger component, bool animated, bool afterUsersTurn)
{
    reloadIfNeeded();
    if (component < 0)
        return;
    if (component >= NSInteger(m_wheels.size())) {
        // Not there yet: kept for when the data source tells of it.
        if (m_pendingSelection.size() <= std::size_t(component))
            m_pendingSelection.resize(std::size_t(component) + 1, -1);
        m_pendingSelection[std::size_t(component)] = row;
        return;
    }
    auto& wheel = m_wheels[std::size_t(component)];
    if (wheel->rows == 0)
        return;
    wheel->selected = std::clamp<NSInteger>(row, 0, wheel->rows - 1);
    // Turning a wheel under a finger would pull it away and drop the user's turn; where it rests
    // is told against the row taken here.
    if (wheel->isDragging() || (afterUsersTurn && wheel->followsUser()))
        return;
    wheel->scrollToRow(wheel->selected, animated && window(), false);
}

NSInteger UIPickerView::selectedRowInComponent(NSInteger component)
{
    reloadIfNeeded();
    if (component < 0 || component >= NSInteger(m_wheels.size()))
        return -1;
    return m_wheels[std::size_t(component)]->shownRow();
}

std::shared_ptr<UIView> UIPickerView::viewForRow(NSInteger row, NSInteger component)
{
    reloadIfNeeded();
    if (component < 0 || component >= NSInteger(m_wheels.size()))
        return nullptr;
    return m_wheels[std::size_t(component)]->rowView(row);
}

bool UIPickerView::takeUnclaimedKey(UIKeyboardKey key, UIKeyModifierFlags modifiers)
{
    reloadIfNeeded();
    if (!UnclaimedKeyRouting::isPlainArrow(key, modifiers) || m_wheels.empty())
        return false;
    const auto count = NSInteger(m_wheels.size());
    m_keyComponent = std::clamp<NSInteger>(m_keyComponent, 0, count - 1);
    switch (key) {
    case UIKeyboardKey::UpArrow:
        return m_wheels[std::size_t(m_keyComponent)]->stepRows(-1);
    case UIKeyboardKey::DownArrow:
        return m_wheels[std::size_t(m_keyComponent)]->stepRows(1);
    default:
        break;
    }
    if (count < 2)
        return false;
    m_keyComponent = std::clamp<NSInteger>(m_keyComponent + (key == UIKeyboardKey::LeftArrow ? -1 : 1), 0, count - 1);
    return true;
}

std::shared_ptr<UIView> UIPickerView::wheelForComponent(NSInteger component)
{
    reloadIfNeeded();
    if (component < 0 || component >= NSInteger(m_wheels.size()))
        return nullptr;
    return m_wheels[std::size_t(component)];
}

bool UIPickerView::isTurnedByUser(NSInteger component)
{
    reloadIfNeeded();
    if (component < 0 || component >= NSInteger(m_wheels.size()))
        return false;
    return m_wheels[std::size_t(component)]->isTurnedByUser();
}

void UIPickerView::reloadIfNeeded()
{
    if (m_needsReload)
        rebuildWheels();
}

void UIPickerView::rebuildWheels()
{
    m_needsReload = false;
    auto dataSource = m_dataSource.lock();
    const NSInteger count = dataSource ? std::max<NSInteger>(0, dataSource->numberOfComponentsInPickerView(*this)) : 0;
    while (NSInteger(m_wheels.size()) > count) {
        m_wheels.back()->removeFromSuperview();
        m_wheels.pop_back();
    }
    while (NSInteger(m_wheels.size()) < count) {
        const auto index = NSInteger(m_wheels.size());
        auto wheel = UIPickerWheel::create(self(), index);
        wheel->selected = std::size_t(index) < m_pendingSelection.size() ? m_pendingSelection[std::size_t(index)] : 0;
        insertSubviewBelowSubview(wheel, m_topLine);
        m_wheels.push_back(wheel);
    }
    m_pendingSelection.clear();
    for (NSInteger component = 0; component < count; ++component)
        configureWheel(component);
}

std::vector<CGFloat> UIPickerView::componentWidths()
{
    const auto count = m_wheels.size();
    std::vector<CGFloat> widths(count, 0);
    if (count == 0)
        return widths;
    const CGFloat shared = (bounds().size.width - kComponentGap * CGFloat(count - 1)) / CGFloat(count);
    auto delegate = m_delegate.lock();
    for (std::size_t component = 0; component < count; ++component) {
        std::optional<CGFloat> width;
        if (delegate)
            width = delegate->pickerViewWidthForComponent(*this, NSInteger(component));
        widths[component] = std::max<CGFloat>(0, width.value_or(shared));
    }
    return widths;
}

void UIPickerView::configureWheel(NSInteger component)
{
    const auto widths = componentWidths();
    CGFloat total = kComponentGap * CGFloat(widths.size() - 1);
    for (const CGFloat width : widths)
        total += width;
    // Components narrower than the picker together sit in its middle.
    CGFloat x = std::round(std::max<CGFloat>(0, (bounds().size.width - total) / 2));
    for (NSInteger before = 0; before < component; ++before)
        x += widths[std::size_t(before)] + kComponentGap;
    auto dataSource = m_dataSource.lock();
    auto delegate = m_delegate.lock();
    const NSInteger rows
        = dataSource ? std::max<NSInteger>(0, dataSource->pickerViewNumberOfRowsInComponent(*this, component)) : 0;
    std::optional<CGFloat> height;
    if (delegate)
        height = delegate->pickerViewRowHeightForComponent(*this, component);
    m_wheels[std::size_t(component)]->configure(CGRectMake(x, 0, widths[std::size_t(component)], bounds().size.height),
        rows, height.value_or(kDefaultRowHeight));
}

void UIPickerView::layoutSubviews()
{
    reloadIfNeeded();
    for (NSInteger component = 0; component < NSInteger(m_wheels.size()); ++component)
        configureWheel(component);
    const CGFloat rowHeight = m_wheels.empty() ? kDefaultRowHeight : m_wheels.front()->rowHeight;
    const CGFloat hairline = 1 / UIScreen::mainScreen()->scale();
    const CGFloat top = std::round((bounds().size.height - rowHeight) / 2);
    m_topLine->setFrame(CGRectMake(0, top, bounds().size.width, hairline));
    m_bottomLine->setFrame(CGRectMake(0, top + rowHeight - hairline, bounds().size.width, hairline));
    m_topLine->setHidden(!m_showsSelectionIndicator);
    m_bottomLine->setHidden(!m_showsSelectionIndicator);
}

void UIPickerView::wheelSettled(UIPickerWheel& wheel, NSInteger row, bool byUser, PassKey<UIPickerWheel>)
{
    const NSInteger previous = wheel.selected;
    wheel.selected = row;
    if (!byUser || row == previous)
        return;
    auto protectedSelf = self();
    if (auto delegate = m_delegate.lock())
        delegate->pickerViewDidSelectRow(*this, row, wheel.component);
}
