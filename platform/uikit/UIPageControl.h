#pragma once
// A row of dots, one per page, the current one brighter. A tap on the left half of the control
// goes one page back, on the right half one forward, with value changed when the page moved.
// The dots are centred on the control and drawn even when its frame has no size.

#include "platform/uikit/UIControl.h"

#include <vector>

class UIPageControl : public UIControl {
    NS_OBJECT(UIPageControl, UIControl)
public:
    static constexpr CGFloat kDot = 7;
    static constexpr CGFloat kSpacing = 9;
    static constexpr CGFloat kHeight = 37;

    NSInteger numberOfPages() const { return m_numberOfPages; }
    // Negative counts are none; the current page is pulled into range.
    void setNumberOfPages(NSInteger pages);
    NSInteger currentPage() const { return m_currentPage; }
    void setCurrentPage(NSInteger page);
    bool hidesForSinglePage() const { return m_hidesForSinglePage; }
    void setHidesForSinglePage(bool hides);

    UIColorRef pageIndicatorTintColor() const { return m_pageTint; }
    void setPageIndicatorTintColor(const UIColorRef& color);
    UIColorRef currentPageIndicatorTintColor() const { return m_currentPageTint; }
    void setCurrentPageIndicatorTintColor(const UIColorRef& color);

    CGSize sizeForNumberOfPages(NSInteger pages) const;
    CGSize sizeThatFits(CGSize size) const override { (void)size; return sizeForNumberOfPages(m_numberOfPages); }
    void layoutSubviews() override;

    // The dot views, for tests that look at them.
    const std::vector<std::shared_ptr<UIView>>& dotViews() const { return m_dots; }

    void endTrackingWithTouch(UITouch* touch, const UIEventRef& event) override;

protected:
    void init(CGRect frame) override;

private:
    void rebuildDots();
    void applyColors();

    NSInteger m_numberOfPages { 0 };
    NSInteger m_currentPage { 0 };
    bool m_hidesForSinglePage { false };
    UIColorRef m_pageTint;
    UIColorRef m_currentPageTint;
    std::vector<std::shared_ptr<UIView>> m_dots;
};

using UIPageControlRef = std::shared_ptr<UIPageControl>;
