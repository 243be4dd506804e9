#include "library/widgets/keyboard/KMActionSheetPickerView.h"

#include "library/widgets/keyboard/KMActionSheetViewController.h"
#include "platform/foundation/NSAssertMainThread.h"
#include "platform/foundation/NSLocale.h"
#include "platform/foundation/NSNull.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UnclaimedKeyRouting.h"

void KMActionSheetPickerView::init(const NSString& title, const std::shared_ptr<KMActionSheetPickerViewDelegate>& delegate)
{
    UIView::init(CGRectZero);
    // Sized to fit, a bar keeps the width it is made with: the screen's, as the platform's bar takes.
    m_actionToolbar = UIToolbar::create(CGRectMake(0, 0, UIScreen::mainScreen()->bounds().size.width, kToolbarHeight));
    m_actionToolbar->setBarStyle(UIBarStyleBlackTranslucent);
    m_actionToolbar->sizeToFit();
    CGRect toolbarFrame = m_actionToolbar->frame();
    toolbarFrame.size.height = kToolbarHeight;
    m_actionToolbar->setFrame(toolbarFrame);
    const CGFloat width = toolbarFrame.size.width;

    auto cancel = UIBarButtonItem::create(NSString("取消"), UIBarButtonItemStyleDone);
    cancel->setTarget(self(), &KMActionSheetPickerView::pickerCancelClicked);
    auto done = UIBarButtonItem::create(NSString("确定"), UIBarButtonItemStyleDone);
    done->setTarget(self(), &KMActionSheetPickerView::pickerDoneClicked);

    // The title sits between "取消" and the space; the screens pass an empty one.
    m_titleLabel = UILabel::create(CGRectMake(0, 0, width - 66 - 57 - 16, kToolbarHeight));
    m_titleLabel->setFont(UIFont::boldSystemFontOfSize(12));
    m_titleLabel->setBackgroundColor(UIColor::clearColor());
    m_titleLabel->setTextAlignment(NSTextAlignmentCenter);
    m_titleLabel->setText(title);
    m_titleLabel->setTextColor(UIColor::whiteColor());
    m_titleLabel->setAutoresizingMask(UIViewAutoresizingFlexibleWidth);
    auto titleItem = UIBarButtonItem::create(std::static_pointer_cast<UIView>(m_titleLabel));
    titleItem->setEnabled(false);
    std::vector<UIBarButtonItemRef> items { cancel };
    if (title.length() > 0)
        items.push_back(titleItem);
    items.push_back(UIBarButtonItem::create(UIBarButtonSystemItemFlexibleSpace));
    items.push_back(done);
    m_actionToolbar->setItems(items);
    addSubview(m_actionToolbar);

    const CGRect pickerFrame = CGRectMake(0, kToolbarHeight, width, kPickerHeight);
    m_pickerView = UIPickerView::create(pickerFrame);
    m_pickerView->setShowsSelectionIndicator(true);
    auto me = self();
    m_pickerView->setDataSource(me);
    m_pickerView->setDelegate(me);
    addSubview(m_pickerView);

    m_datePicker = UIDatePicker::create(pickerFrame);
    m_datePicker->setDatePickerMode(UIDatePickerMode::Date);
    m_datePicker->setLocale(NSLocale::localeWithLocaleIdentifier("zh_CN"));
    addSubview(m_datePicker);

    // Opaque: through a sheet nine tenths white the buttons of the screen behind read as rows.
    setBackgroundColor(UIColor::whiteColor());
    setFrame(CGRectMake(0, 0, width, kToolbarHeight + kPickerHeight));
    setActionSheetPickerStyle(0);
    setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleTopMargin);
    m_actionToolbar->setAutoresizingMask(UIViewAutoresizingFlexibleWidth);
    m_pickerView->setAutoresizingMask(UIViewAutoresizingFlexibleWidth);
    m_datePicker->setAutoresizingMask(UIViewAutoresizingFlexibleWidth);
    m_delegate = delegate;
}

void KMActionSheetPickerView::setActionSheetPickerStyle(NSUInteger style)
{
    m_actionSheetPickerStyle = style;
    if (style == 0) {
        m_pickerView->setHidden(false);
        m_datePicker->setHidden(true);
    } else if (style == 1) {
        m_pickerView->setHidden(true);
        m_datePicker->setHidden(false);
    }
}

void KMActionSheetPickerView::selectIndexes(const std::vector<NSInteger>& indexes, bool animated)
{
    if (m_actionSheetPickerStyle != 0)
        return;
    const NSUInteger columns = std::min<NSUInteger>(indexes.size(), NSUInteger(m_pickerView->numberOfComponents()));
    for (NSUInteger column = 0; column < columns; ++column) {
        const auto row = NSUInteger(indexes[column]); // a negative index reads as a huge one, out of range
        if (row < m_titlesForComponenets[column].size())
            m_pickerView->selectRow(NSInteger(row), NSInteger(column), animated);
    }
}

std::shared_ptr<NSArray> KMActionSheetPickerView::selectedTitles()
{
    if (m_actionSheetPickerStyle == 1)
        return NSArray::arrayWithObject(m_datePicker->date());
    if (m_actionSheetPickerStyle != 0)
        return NSArray::array();
    std::vector<id> titles;
    const NSInteger columns = m_pickerView->numberOfComponents();
    for (NSInteger column = 0; column < columns; ++column) {
        const NSInteger row = m_pickerView->selectedRowInComponent(column);
        const auto& columnTitles = m_titlesForComponenets[size_t(column)];
        if (row < 0 || NSUInteger(row) >= columnTitles.size())
            titles.push_back(NSNull::null());
        else
            titles.push_back(columnTitles[size_t(row)]);
    }
    return NSArray::create(std::move(titles));
}

void KMActionSheetPickerView::setSelectedTitles(const std::shared_ptr<NSArray>& titles, bool animated)
{
    if (!titles)
        return;
    if (m_actionSheetPickerStyle == 1) {
        if (auto date = std::dynamic_pointer_cast<NSDate>(titles->firstObject()))
            setDate(date, animated);
        return;
    }
    if (m_actionSheetPickerStyle != 0)
        return;
    const NSUInteger columns = std::min<NSUInteger>(titles->count(), NSUInteger(m_pickerView->numberOfComponents()));
    for (NSUInteger column = 0; column < columns; ++column) {
        const NSString wanted = NSString::fromId(titles->objectAtIndex(column));
        if (wanted.isNil())
            continue;
        const auto& columnTitles = m_titlesForComponenets[column];
        const auto found = std::find(columnTitles.begin(), columnTitles.end(), wanted);
        if (found != columnTitles.end())
            m_pickerView->selectRow(NSInteger(found - columnTitles.begin()), NSInteger(column), animated);
    }
}

void KMActionSheetPickerView::setDate(const std::shared_ptr<NSDate>& date, bool animated)
{
    m_date = date;
    if (date)
        m_datePicker->setDate(date, animated);
}

void KMActionSheetPickerView::setMinimumDate(const std::shared_ptr<NSDate>& date)
{
    m_minimumDate = date;
    m_datePicker->setMinimumDate(date);
}

void KMActionSheetPickerView::setMaximumDate(const std::shared_ptr<NSDate>& date)
{
    m_maximumDate = date;
    m_datePicker->setMaximumDate(date);
}

void KMActionSheetPickerView::show(std::function<void()> completion)
{
    NSAssertMainThread();
    m_pickerView->reloadAllComponents();
    m_dismissing = false;
    auto controller = KMActionSheetViewController::create();
    m_actionSheetController = controller;
    controller->showPickerView(self(), std::move(completion));
    becomeFirstResponder();
}

void KMActionSheetPickerView::dismiss(std::function<void()> completion)
{
    resignFirstResponder();
    if (auto controller = m_actionSheetController.lock())
        controller->dismissWithCompletion(std::move(completion));
}

bool KMActionSheetPickerView::pressKey(UIKeyboardKey key, UIKeyModifierFlags modifiers)
{
    const auto& items = m_actionToolbar->items();
    // Alt+Left as Escape: no key goes back a screen from under the sheet.
    if (UnclaimedKeyRouting::isBackKey(key, modifiers) && !items.empty())
        pickerCancelClicked(*items.front());
    else if (key == UIKeyboardKey::Return && !items.empty())
        pickerDoneClicked(*items.back());
    else
        return super::pressKey(key, modifiers);
    return true;
}

void KMActionSheetPickerView::pickerCancelClicked(UIBarButtonItem&)
{
    if (m_dismissing)
        return;
    m_dismissing = true;
    dismiss();
}

void KMActionSheetPickerView::pickerDoneClicked(UIBarButtonItem&)
{
    // A second "确定" while the sheet slides away would report the choice twice.
    if (m_dismissing)
        return;
    m_dismissing = true;
    auto protectedSelf = self();
    // Wheels still turning stop on the rows they show, which are the ones reported.
    if (m_actionSheetPickerStyle == 0) {
        for (NSInteger column = 0; column < m_pickerView->numberOfComponents(); ++column) {
            if (const NSInteger row = m_pickerView->selectedRowInComponent(column); row >= 0)
                m_pickerView->selectRow(row, column, false);
        }
    }
    if (auto delegate = m_delegate.lock()) {
        std::shared_ptr<NSArray> result = NSArray::array();
        if (m_actionSheetPickerStyle == 1) {
            result = NSArray::arrayWithObject(m_datePicker->date());
            setDate(m_datePicker->date());
            setSelectedTitles(result);
        } else if (m_actionSheetPickerStyle == 0) {
            result = selectedTitles();
            setSelectedTitles(result);
        }
        delegate->didSelectTitles(*this, result);
    }
    dismiss();
}

NSInteger KMActionSheetPickerView::numberOfComponentsInPickerView(UIPickerView&) { return NSInteger(m_titlesForComponenets.size()); }

NSInteger KMActionSheetPickerView::pickerViewNumberOfRowsInComponent(UIPickerView&, NSInteger component)
{
    if (component < 0 || NSUInteger(component) >= m_titlesForComponenets.size())
        return 0;
    return NSInteger(m_titlesForComponenets[size_t(component)].size());
}

std::optional<CGFloat> KMActionSheetPickerView::pickerViewWidthForComponent(UIPickerView& picker, NSInteger component)
{
    if (component >= 0 && NSUInteger(component) < m_widthsForComponents.size() && m_widthsForComponents[size_t(component)] != 0)
        return m_widthsForComponents[size_t(component)];
    const auto columns = CGFloat(std::max<size_t>(m_titlesForComponenets.size(), 1));
    return (picker.bounds().size.width - 20 - (2 * columns - 2)) / columns;
}

std::optional<std::shared_ptr<UIView>> KMActionSheetPickerView::pickerViewViewForRow(UIPickerView&, NSInteger row, NSInteger component,
    const std::shared_ptr<UIView>&)
{
    auto label = UILabel::create(CGRectZero);
    label->setFont(UIFont::boldSystemFontOfSize(20));
    label->setBackgroundColor(UIColor::clearColor());
    label->setTextAlignment(NSTextAlignmentCenter);
    if (component >= 0 && NSUInteger(component) < m_titlesForComponenets.size()) {
        const auto& titles = m_titlesForComponenets[size_t(component)];
        if (row >= 0 && NSUInteger(row) < titles.size())
            label->setText(titles[size_t(row)]);
    }
    return label;
}

void KMActionSheetPickerView::pickerViewDidSelectRow(UIPickerView& picker, NSInteger row, NSInteger component)
{
    if (auto delegate = m_delegate.lock())
        delegate->didChangeRow(*this, row, component);
    if (!m_isRangePickerView || picker.numberOfComponents() != 3)
        return;
    if (component == 0)
        picker.selectRow(std::max(picker.selectedRowInComponent(2), row), 2, true);
    else if (component == 2)
        picker.selectRow(std::min(picker.selectedRowInComponent(0), row), 0, true);
}
