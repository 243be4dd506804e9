#pragma once
// A pie that draws itself: a white shadowed disc, the slices clockwise from twelve o'clock with
// white separators, and for every slice its title with its percentage and a subtitle in a column
// beside the pie, joined to the slice's middle by a leader line when arrows are on. It has no
// touch handling of its own. Values that add up to nothing positive draw nothing.

#include "app/charts/DCPieComponent.h"
#include "platform/text/UIFont.h"
#include "platform/uikit/UIView.h"

#include <vector>

class DCPieChart : public UIView {
    NS_OBJECT(DCPieChart, UIView)
public:
    using Components = std::vector<std::shared_ptr<DCPieComponent>>;

    bool showArrow() const { return m_showArrow; }
    void setShowArrow(bool show) { m_showArrow = show; }
    bool sameColorLabel() const { return m_sameColorLabel; }
    void setSameColorLabel(bool same) { m_sameColorLabel = same; }
    bool hasOutline() const { return m_outline; }
    void setOutline(bool outline) { m_outline = outline; }
    // 0 picks min(width, height) - 30 on the next draw, which then keeps it.
    int diameter() const { return m_diameter; }
    void setDiameter(int diameter) { m_diameter = diameter; }
    const Components& components() const { return m_components; }
    void setComponents(Components components);
    const UIFontRef& titleFont() const { return m_titleFont; }
    void setTitleFont(const UIFontRef& font) { m_titleFont = font; }
    const UIFontRef& percentageFont() const { return m_percentageFont; }
    void setPercentageFont(const UIFontRef& font) { m_percentageFont = font; }

    void drawRect(CGRect rect) override;

protected:
    void init(CGRect frame) override;

private:
    bool m_showArrow { true };
    bool m_sameColorLabel { false };
    bool m_outline { false };
    int m_diameter { 0 };
    Components m_components;
    UIFontRef m_titleFont;
    UIFontRef m_percentageFont;
};
