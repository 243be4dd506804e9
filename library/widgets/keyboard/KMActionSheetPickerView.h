#pragma once
// The bottom sheet for choosing a value: a bar with "取消" and "确定" over a text picker with one or
// more columns of titles (style 0) or a date picker in the Chinese locale (style 1). It slides up
// over a dimmed screen; "确定" reports the choice to the delegate once, then the sheet closes.
//
//     auto sheet = KMActionSheetPickerView::create("", self());
//     sheet->setTag(1);
//     sheet->setTitlesForComponenets({ regionNames });
//     sheet->selectIndexes({ rememberedIndex }, true);
//     sheet->show();

#include "platform/foundation/NSArray.h"
#include "platform/uikit/UIDatePicker.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UIPickerView.h"
#include "platform/uikit/UIToolbar.h"
#include "platform/uikit/UIViewController.h"

class KMActionSheetPickerView;
class KMActionSheetViewController;

class KMActionSheetPickerViewDelegate {
public:
    virtual ~KMActionSheetPickerViewDelegate() = default;
    // The result of "确定": one entry per column (the title, or NSNull for a column without a
    // selection), or the one NSDate of a date sheet.
    virtual void didSelectTitles(KMActionSheetPickerView& sheet, const std::shared_ptr<NSArray>& titles) = 0;
    // Each time the user turns a column of the text picker.
    virtual void didChangeRow(KMActionSheetPickerView&, NSInteger row, NSInteger component) { (void)row; (void)component; }
};

class KMActionSheetPickerView : public UIView, public UIPickerViewDataSource, public UIPickerViewDelegate {
    NS_OBJECT(KMActionSheetPickerView, UIView)
public:
    static constexpr CGFloat kToolbarHeight = 44;
    static constexpr CGFloat kPickerHeight = 216;

    std::shared_ptr<KMActionSheetPickerViewDelegate> delegate() const { return m_delegate.lock(); }
    void setDelegate(const std::shared_ptr<KMActionSheetPickerViewDelegate>& delegate) { m_delegate = delegate; }

    NSUInteger actionSheetPickerStyle() const { return m_actionSheetPickerStyle; }
    void setActionSheetPickerStyle(NSUInteger style);
    const std::vector<std::vector<NSString>>& titlesForComponenets() const { return m_titlesForComponenets; }
    void setTitlesForComponenets(std::vector<std::vector<NSString>> titles) { m_titlesForComponenets = std::move(titles); }
    // 0 for a column that shares the width left equally.
    void setWidthsForComponents(std::vector<CGFloat> widths) { m_widthsForComponents = std::move(widths); }
    bool isRangePickerView() const { return m_isRangePickerView; }
    void setIsRangePickerView(bool range) { m_isRangePickerView = range; }

    // Rows out of range are skipped; a date sheet ignores them.
    void selectIndexes(const std::vector<NSInteger>& indexes, bool animated);
    std::shared_ptr<NSArray> selectedTitles();
    void setSelectedTitles(const std::shared_ptr<NSArray>& titles, bool animated = false);

    const std::shared_ptr<NSDate>& date() const { return m_date; }
    void setDate(const std::shared_ptr<NSDate>& date, bool animated = false);
    void setMinimumDate(const std::shared_ptr<NSDate>& date);
    void setMaximumDate(const std::shared_ptr<NSDate>& date);

    void reloadComponent(NSInteger component) { m_pickerView->reloadComponent(component); }
    void reloadAllComponents() { m_pickerView->reloadAllComponents(); }

    void show(std::function<void()> completion = nullptr);
    void dismiss(std::function<void()> completion = nullptr);

    void pickerCancelClicked(UIBarButtonItem&);
    void pickerDoneClicked(UIBarButtonItem&);
    // While shown the sheet holds the keys: Return is "确定", Escape "取消".
    bool canBecomeFirstResponder() const override { return true; }
    bool pressKey(UIKeyboardKey key, UIKeyModifierFlags modifiers) override;

    const UIPickerViewRef& pickerView() const { return m_pickerView; }
    const std::shared_ptr<UIDatePicker>& datePicker() const { return m_datePicker; }
    const std::shared_ptr<UIToolbar>& actionToolbar() const { return m_actionToolbar; }

    // Picker data source and delegate.
    NSInteger numberOfComponentsInPickerView(UIPickerView&) override;
    NSInteger pickerViewNumberOfRowsInComponent(UIPickerView&, NSInteger component) override;
    std::optional<CGFloat> pickerViewWidthForComponent(UIPickerView& picker, NSInteger component) override;
    std::optional<std::shared_ptr<UIView>> pickerViewViewForRow(UIPickerView&, NSInteger row, NSInteger component,
        const std::shared_ptr<UIView>& reusing) override;
    void pickerViewDidSelectRow(UIPickerView& picker, NSInteger row, NSInteger component) override;

protected:
    void init(const NSString& title, const std::shared_ptr<KMActionSheetPickerViewDelegate>& delegate);

private:
    UIPickerViewRef m_pickerView;
    std::shared_ptr<UIDatePicker> m_datePicker;
    std::shared_ptr<UIToolbar> m_actionToolbar;
    std::shared_ptr<UILabel> m_titleLabel;
    std::weak_ptr<KMActionSheetViewController> m_actionSheetController;
    bool m_isRangePickerView { false };
    NSUInteger m_actionSheetPickerStyle { 0 };
    std::vector<std::vector<NSString>> m_titlesForComponenets;
    std::vector<CGFloat> m_widthsForComponents;
    std::weak_ptr<KMActionSheetPickerViewDelegate> m_delegate;
    std::shared_ptr<NSDate> m_date;
    std::shared_ptr<NSDate> m_minimumDate;
    std::shared_ptr<NSDate> m_maximumDate;
    // Set once "取消" or "确定" began the dismissal; later taps on them do nothing.
    bool m_dismissing { false };
};
