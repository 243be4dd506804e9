#pragma once
// A half pie standing on the view's bottom edge, drawn by itself: a dark shadowed half ring, one
// wedge per component over the upper half in proportion to its value, glass-like rims, a white
// hub, and a title over a larger subtitle under the hub. Without a subtitle of its own it shows
// the whole count of the values as they are now.

#include "app/charts/DCHalfPieComponent.h"
#include "platform/text/UIFont.h"
#include "platform/uikit/UIView.h"

#include <vector>

class DCHalfPieChart : public UIView {
    NS_OBJECT(DCHalfPieChart, UIView)
public:
    using Components = std::vector<std::shared_ptr<DCHalfPieComponent>>;

    const NSString& title() const { return m_title; }
    void setTitle(const NSString& title) { m_title = title.copy(); }
    const NSString& subtitle() const { return m_subtitle; }
    void setSubtitle(const NSString& subtitle) { m_subtitle = subtitle.copy(); }
    const Components& components() const { return m_components; }
    void setComponents(Components components) { m_components = std::move(components); }
    const UIFontRef& titleFont() const { return m_titleFont; }
    void setTitleFont(const UIFontRef& font) { m_titleFont = font; }
    const UIFontRef& subtitleFont() const { return m_subtitleFont; }
    void setSubtitleFont(const UIFontRef& font) { m_subtitleFont = font; }

    // The sum of the values, and the subtitle a drawing now shows.
    float total() const;
    NSString shownSubtitle() const;

    void drawRect(CGRect rect) override;

protected:
    void init(CGRect frame) override;

private:
    NSString m_title;
    NSString m_subtitle;
    Components m_components;
    UIFontRef m_titleFont;
    UIFontRef m_subtitleFont;
};
