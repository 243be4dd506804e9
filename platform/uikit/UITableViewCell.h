#pragma once
// A row of a table: a content view for the row's own views (the text label, the detail label
// and the image view of the four standard styles), an accessory at the right edge, and the
// backgrounds that show when the row is highlighted under the finger or selected. A cell with
// a reuse identifier goes back to its table's pool when it leaves the screen, and comes out
// again (after prepareForReuse) for another row.

#include "platform/uikit/UIView.h"

class UIImageView;
class UILabel;

enum class UITableViewCellStyle : NSInteger {
    Default = 0,
    Value1 = 1,
    Value2 = 2,
    Subtitle = 3,
};

enum class UITableViewCellSelectionStyle : NSInteger {
    None = 0,
    Blue = 1,
    Gray = 2,
    Default = 3,
};

enum class UITableViewCellAccessoryType : NSInteger {
    None = 0,
    DisclosureIndicator = 1,
    DetailDisclosureButton = 2,
    Checkmark = 3,
    DetailButton = 4,
};

enum class UITableViewCellSeparatorStyle : NSInteger {
    None = 0,
    SingleLine = 1,
    SingleLineEtched = 2,
};

class UITableViewCell : public UIView {
    NS_OBJECT(UITableViewCell, UIView)
public:
    UITableViewCellStyle style() const { return m_style; }
    const NSString& reuseIdentifier() const { return m_reuseIdentifier; }

    const std::shared_ptr<UIView>& contentView() const { return m_contentView; }
    // Made on first use; the detail label is nil in the default style.
    std::shared_ptr<UILabel> textLabel();
    std::shared_ptr<UILabel> detailTextLabel();
    std::shared_ptr<UIImageView> imageView();

    const std::shared_ptr<UIView>& backgroundView() const { return m_backgroundView; }
    void setBackgroundView(const std::shared_ptr<UIView>& view);
    // A grey view unless one is set; shown instead of the background while highlighted or selected.
    std::shared_ptr<UIView> selectedBackgroundView();
    void setSelectedBackgroundView(const std::shared_ptr<UIView>& view);

    UITableViewCellAccessoryType accessoryType() const { return m_accessoryType; }
    void setAccessoryType(UITableViewCellAccessoryType type);
    // Takes the place of the accessory type's mark.
    const std::shared_ptr<UIView>& accessoryView() const { return m_accessoryView; }
    void setAccessoryView(const std::shared_ptr<UIView>& view);

    UITableViewCellSelectionStyle selectionStyle() const { return m_selectionStyle; }
    void setSelectionStyle(UITableViewCellSelectionStyle style);
    bool isSelected() const { return m_selected; }
    void setSelected(bool selected) { setSelected(selected, false); }
    virtual void setSelected(bool selected, bool animated);
    bool isHighlighted() const { return m_highlighted; }
    void setHighlighted(bool highlighted) { setHighlighted(highlighted, false); }
    virtual void setHighlighted(bool highlighted, bool animated);

    UIEdgeInsets separatorInset() const { return m_separatorInset; }
    void setSeparatorInset(UIEdgeInsets insets);
    UIEdgeInsets layoutMargins() const { return m_layoutMargins; }
    void setLayoutMargins(UIEdgeInsets margins) { m_layoutMargins = margins; }

    // Called before the table hands the cell out again; the override calls this one.
    virtual void prepareForReuse();

    void layoutSubviews() override;

    // For the table: the hairline under the row, in the table's colour, inset by the table's
    // inset unless the cell has one of its own.
    void setSeparator(const UIColorRef& color, bool shown, UIEdgeInsets tableInset);

protected:
    void init(CGRect frame) override;
    // initWithStyle:reuseIdentifier:
    virtual void init(UITableViewCellStyle style, const NSString& reuseIdentifier);

private:
    void showSelectionState(bool shown);
    void layoutStandardViews(CGRect content);
    std::shared_ptr<UIView> accessoryShown() const;

    UITableViewCellStyle m_style { UITableViewCellStyle::Default };
    NSString m_reuseIdentifier;
    std::shared_ptr<UIView> m_contentView;
    std::shared_ptr<UILabel> m_textLabel;
    std::shared_ptr<UILabel> m_detailTextLabel;
    std::shared_ptr<UIImageView> m_imageView;
    std::shared_ptr<UIView> m_backgroundView;
    std::shared_ptr<UIView> m_selectedBackgroundView;
    std::shared_ptr<UIView> m_accessoryView;
    // The mark drawn for the accessory type when no accessory view is set.
    std::shared_ptr<UIView> m_accessoryMark;
    std::shared_ptr<UIView> m_separatorView;
    UITableViewCellAccessoryType m_accessoryType { UITableViewCellAccessoryType::None };
    UITableViewCellSelectionStyle m_selectionStyle { UITableViewCellSelectionStyle::Default };
    bool m_selected { false };
    bool m_highlighted { false };
    UIEdgeInsets m_separatorInset { 0, 15, 0, 0 };
    bool m_hasOwnSeparatorInset { false };
    UIEdgeInsets m_layoutMargins { 8, 8, 8, 8 };
};

using UITableViewCellRef = std::shared_ptr<UITableViewCell>;
