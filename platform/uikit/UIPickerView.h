#pragma once
// Spinning wheels, one per component, with rows from a data source. A wheel is dragged by the
// finger, decelerates after lift and always comes to rest with a whole row in the middle band,
// the moment it looks still; when it rests on another row than before, the delegate hears
// didSelectRow once. Tapping a row
// above or below the band turns the wheel to it. Rows far from the band lean away as on a drum.
//
// On a desktop the up and down arrows turn a wheel a row, the left and right ones pass to the
// next wheel (the one last touched to begin with), and a notch of the mouse wheel is a row.
//
// Rows show the delegate's view for the row, else its title, else "?". Row heights (32 points)
// and component widths (the width shared out) come from the delegate where it answers.

#include "platform/foundation/PassKey.h"
#include "platform/uikit/UIView.h"

#include <optional>
#include <vector>

class UIPickerView;
class UIPickerWheel;

class UIPickerViewDataSource {
public:
    virtual ~UIPickerViewDataSource() = default;
    virtual NSInteger numberOfComponentsInPickerView(UIPickerView&) = 0;
    virtual NSInteger pickerViewNumberOfRowsInComponent(UIPickerView&, NSInteger component) = 0;
};

class UIPickerViewDelegate {
public:
    virtual ~UIPickerViewDelegate() = default;
    virtual std::optional<CGFloat> pickerViewWidthForComponent(UIPickerView&, NSInteger component)
    {
        (void)component;
        return std::nullopt;
    }
    virtual std::optional<CGFloat> pickerViewRowHeightForComponent(UIPickerView&, NSInteger component)
    {
        (void)component;
        return std::nullopt;
    }
    virtual std::optional<NSString> pickerViewTitleForRow(UIPickerView&, NSInteger row, NSInteger component)
    {
        (void)row;
        (void)component;
        return std::nullopt;
    }
    // The reusing view is one this row's place showed before, or nil.
    virtual std::optional<std::shared_ptr<UIView>> pickerViewViewForRow(UIPickerView&, NSInteger row, NSInteger component,
        const std::shared_ptr<UIView>& reusingView)
    {
        (void)row;
        (void)component;
        (void)reusingView;
        return std::nullopt;
    }
    virtual void pickerViewDidSelectRow(UIPickerView&, NSInteger row, NSInteger component)
    {
        (void)row;
        (void)component;
    }
};

class UIPickerView : public UIView {
    NS_OBJECT(UIPickerView, UIView)
public:
    ~UIPickerView() override;

    std::shared_ptr<UIPickerViewDataSource> dataSource() const { return m_dataSource.lock(); }
    void setDataSource(const std::shared_ptr<UIPickerViewDataSource>& dataSource);
    std::shared_ptr<UIPickerViewDelegate> delegate() const { return m_delegate.lock(); }
    void setDelegate(const std::shared_ptr<UIPickerViewDelegate>& delegate);

    bool showsSelectionIndicator() const { return m_showsSelectionIndicator; }
    void setShowsSelectionIndicator(bool shows);

    NSInteger numberOfComponents();
    NSInteger numberOfRowsInComponent(NSInteger component);
    CGSize rowSizeForComponent(NSInteger component);

    // Asks the data source and the delegate again; selections stay where they still fit.
    void reloadAllComponents();
    void reloadComponent(NSInteger component);

    // Turns the wheel to the row without telling the delegate; out-of-range rows are clamped. A
    // wheel under a finger stays with it, and the delegate hears where it rests unless there.
    void selectRow(NSInteger row, NSInteger component, bool animated);
    // As selectRow, but a wheel spinning on or turning to a row at the user's word goes on too.
    void selectRowAfterUsersTurn(NSInteger row, NSInteger component, bool animated);
    // The row in the band, also while a finger or a flick turns the wheel (what it shows then);
    // -1 for a component without rows or that does not exist.
    NSInteger selectedRowInComponent(NSInteger component);
    // The view showing the row, when it is on screen.
    std::shared_ptr<UIView> viewForRow(NSInteger row, NSInteger component);
    // The wheel of a component, for tests and the date picker.
    std::shared_ptr<UIView> wheelForComponent(NSInteger component);
    // Whether the user still turns the component's wheel: a finger on it, a flick spinning on,
    // or a row an arrow, a notch or a tap sent it to not reached yet.
    bool isTurnedByUser(NSInteger component);

    CGSize sizeThatFits(CGSize size) const override;
    void layoutSubviews() override;
    bool takeUnclaimedKey(UIKeyboardKey key, UIKeyModifierFlags modifiers) override;
    // The wheel the up and down arrows turn.
    NSInteger keyComponent() const { return m_keyComponent; }
    void setKeyComponent(NSInteger component) { m_keyComponent = component; }
    // A wheel came to rest on a row.
    void wheelSettled(UIPickerWheel& wheel, NSInteger row, bool byUser, PassKey<UIPickerWheel>);

    static constexpr CGFloat kDefaultHeight = 216;
    static constexpr CGFloat kDefaultRowHeight = 32;
    static constexpr CGFloat kComponentGap = 4;

protected:
    void init(CGRect frame) override;

private:
    void reloadIfNeeded();
    void takeRow(NSInteger row, NSInteger component, bool animated, bool afterUsersTurn);
    void rebuildWheels();
    void configureWheel(NSInteger component);
    std::vector<CGFloat> componentWidths();

    std::weak_ptr<UIPickerViewDataSource> m_dataSource;
    std::weak_ptr<UIPickerViewDelegate> m_delegate;
    bool m_showsSelectionIndicator { true };
    bool m_needsReload { true };
    std::vector<std::shared_ptr<UIPickerWheel>> m_wheels;
    // Rows chosen before the wheels exist.
    std::vector<NSInteger> m_pendingSelection;
    std::shared_ptr<UIView> m_topLine;
    std::shared_ptr<UIView> m_bottomLine;
    NSInteger m_keyComponent { 0 };
};

using UIPickerViewRef = std::shared_ptr<UIPickerView>;
