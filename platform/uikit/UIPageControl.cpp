#include "platform/uikit/UIPageControl.h"

#include "platform/foundation/NSAssertMainThread.h"
#include "platform/uikit/UITouch.h"

#include <algorithm>

namespace {

UIColorRef defaultPageTint() { return UIColor::colorWithWhite(1, 0.2); }

} // namespace

void UIPageControl::init(CGRect frame)
{
    super::init(frame);
    m_pageTint = defaultPageTint();
    m_currentPageTint = UIColor::whiteColor();
}

void UIPageControl::setNumberOfPages(NSInteger pages)
{
    NSAssertMainThread();
    m_numberOfPages = std::max<NSInteger>(0, pages);
    m_currentPage = std::clamp<NSInteger>(m_currentPage, 0, std::max<NSInteger>(0, m_numberOfPages - 1));
    rebuildDots();
}

void UIPageControl::setCurrentPage(NSInteger page)
{
    NSAssertMainThread();
    m_currentPage = std::clamp<NSInteger>(page, 0, std::max<NSInteger>(0, m_numberOfPages - 1));
    applyColors();
}

void UIPageControl::setHidesForSinglePage(bool hides)
{
    NSAssertMainThread();
    m_hidesForSinglePage = hides;
    applyColors();
}

void UIPageControl::setPageIndicatorTintColor(const UIColorRef& color)
{
    NSAssertMainThread();
    m_pageTint = color ? color : defaultPageTint();
    applyColors();
}

void UIPageControl::setCurrentPageIndicatorTintColor(const UIColorRef& color)
{
    NSAssertMainThread();
    m_currentPageTint = color ? color : UIColor::whiteColor();
    applyColors();
}

CGSize UIPageControl::sizeForNumberOfPages(NSInteger pages) const
{
    if (pages <= 0)
        return CGSizeMake(0, kHeight);
    return CGSizeMake(CGFloat(pages) * kDot + CGFloat(pages - 1) * kSpacing, kHeight);
}

void UIPageControl::rebuildDots()
{
    while (NSInteger(m_dots.size()) > m_numberOfPages) {
        m_dots.back()->removeFromSuperview();
        m_dots.pop_back();
    }
    while (NSInteger(m_dots.size()) < m_numberOfPages) {
        auto dot = UIView::create(CGRectMake(0, 0, kDot, kDot));
        dot->layer()->setCornerRadius(kDot / 2);
        dot->setUserInteractionEnabled(false);
        addSubview(dot);
        m_dots.push_back(dot);
    }
    applyColors();
    setNeedsLayout();
}

void UIPageControl::applyColors()
{
    const bool hidden = m_hidesForSinglePage && m_numberOfPages <= 1;
    for (NSInteger i = 0; i < NSInteger(m_dots.size()); ++i) {
        m_dots[size_t(i)]->setHidden(hidden);
        m_dots[size_t(i)]->setBackgroundColor(i == m_currentPage ? m_currentPageTint : m_pageTint);
    }
}

void UIPageControl::layoutSubviews()
{
    const CGRect bounds = this->bounds();
    const CGSize row = sizeForNumberOfPages(m_numberOfPages);
    CGFloat x = CGRectGetMidX(bounds) - row.width / 2;
    const CGFloat y = CGRectGetMidY(bounds) - kDot / 2;
    for (const auto& dot : m_dots) {
        dot->setFrame(CGRectMake(x, y, kDot, kDot));
        x += kDot + kSpacing;
    }
}

void UIPageControl::endTrackingWithTouch(UITouch* touch, const UIEventRef&)
{
    if (!touch || !isTouchInside() || m_numberOfPages <= 1)
        return;
    const bool back = touch->locationInView(self()).x < CGRectGetMidX(bounds());
    const NSInteger page = std::clamp<NSInteger>(m_currentPage + (back ? -1 : 1), 0, m_numberOfPages - 1);
    if (page == m_currentPage)
        return;
    setCurrentPage(page);
    sendActionsForControlEvents(UIControlEventValueChanged);
}
