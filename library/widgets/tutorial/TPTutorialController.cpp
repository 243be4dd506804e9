#include "library/widgets/tutorial/TPTutorialController.h"

#include "library/widgets/tutorial/TPTutorialStyle.h"
#include "platform/foundation/DelayedPerform.h"

#include <algorithm>
#include <cmath>

std::shared_ptr<TPTutorialController> TPTutorialController::initWithPages(const std::vector<TPTutorialPageRef>& pages)
{
    return create(pages, nullptr);
}

std::shared_ptr<TPTutorialController> TPTutorialController::initWithPages(const std::vector<TPTutorialPageRef>& pages,
    const std::shared_ptr<TPTutorialControllerDelegate>& delegate)
{
    return create(pages, delegate);
}

void TPTutorialController::init(const std::vector<TPTutorialPageRef>& pages, const std::shared_ptr<TPTutorialControllerDelegate>& delegate)
{
    UIViewController::init();
    m_pages = pages;
    m_delegate = delegate;
    m_autoScrollEnabled = true;
    m_frontLayerView = UIImageView::create(CGRectZero);
    m_backLayerView = UIImageView::create(CGRectZero);
    m_gradientView = UIImageView::create(CGRectZero);
    m_scrollView = UIScrollView::create(CGRectZero);
    m_overlayTitle = UILabel::create(CGRectZero);
    m_pageControl = UIPageControl::create(CGRectZero);
    m_leftButton = UIButton::buttonWithType(UIButtonTypeCustom);
    m_rightButton = UIButton::buttonWithType(UIButtonTypeCustom);
}

void TPTutorialController::viewDidLoad()
{
    UIViewController::viewDidLoad();
    view()->setBackgroundColor(UIColor::blackColor());
    setupView();
    setOverlayTexts();
    setOverlayTitle();
    setOriginLayersState();
}

void TPTutorialController::setupView()
{
    const CGRect bounds = view()->bounds();
    m_frontLayerView->setFrame(bounds);
    m_backLayerView->setFrame(bounds);
    m_gradientView->setImage(UIImage::imageNamed("background-gradient.png"));

    m_scrollView->setFrame(bounds);
    m_scrollView->setDelegate(std::static_pointer_cast<UIScrollViewDelegate>(self()));
    m_scrollView->setPagingEnabled(true);
    m_scrollView->setShowsHorizontalScrollIndicator(false);
    m_scrollView->setContentSize(CGSizeMake(numberOfPages() * bounds.size.width, m_scrollView->contentSize().height));

    m_overlayTitle->setTextColor(UIColor::whiteColor());
    m_overlayTitle->setFont(UIFont::fontWithName("Helvetica-Bold", 32));
    m_overlayTitle->setTextAlignment(NSTextAlignmentCenter);

    m_pageControl->setNumberOfPages(numberOfPages());
    m_pageControl->setCurrentPage(0);
    m_pageControl->addTarget(self(), &TPTutorialController::didClickOnPageControl, UIControlEventValueChanged);

    m_leftButton->setBackgroundColor(UIColor::darkGrayColor());
    m_leftButton->setTitle("Button 1", UIControlStateNormal);
    m_leftButton->addTarget(self(), &TPTutorialController::didClickOnButton1, UIControlEventTouchUpInside);
    m_rightButton->setBackgroundColor(UIColor::darkGrayColor());
    m_rightButton->setTitle("Button 2", UIControlStateNormal);
    m_rightButton->addTarget(self(), &TPTutorialController::didClickOnButton2, UIControlEventTouchUpInside);

    for (const UIViewRef& subview : std::initializer_list<UIViewRef> { m_frontLayerView, m_backLayerView, m_gradientView, m_scrollView,
             m_overlayTitle, m_pageControl, m_leftButton, m_rightButton })
        view()->addSubview(subview);
    addAllConstraints();
}

void TPTutorialController::addAllConstraints()
{
    // The layout rules are solved here directly: the title is 212 wide and 50 high, 116 from
    // the top, centred; the two buttons share the width between 20-point margins and gaps, 36
    // high, 20 above the bottom; the page control 40 x 32 at x 140, 60 above the bottom; the
    // gradient the full width and 200 high at the bottom. The layers follow the view's size.
    const CGSize size = view()->bounds().size;
    const CGFloat W = size.width, H = size.height;
    m_frontLayerView->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    m_backLayerView->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    m_overlayTitle->setFrame(CGRectMake((W - 212) / 2, 116, 212, 50));
    const CGFloat buttonWidth = std::max(CGFloat(0), (W - 60) / 2);
    m_leftButton->setFrame(CGRectMake(20, H - 20 - 36, buttonWidth, 36));
    m_rightButton->setFrame(CGRectMake(40 + buttonWidth, H - 20 - 36, buttonWidth, 36));
    m_pageControl->setFrame(CGRectMake(140, H - 60 - 32, 40, 32));
    m_gradientView->setFrame(CGRectMake(0, H - 200, W, 200));
}

void TPTutorialController::viewDidLayoutSubviews()
{
    UIViewController::viewDidLayoutSubviews();
    addAllConstraints();
}

void TPTutorialController::setOverlayTexts()
{
    const auto& common = TPTutorialStyle::sharedInstance();
    for (NSInteger i = 0; i < numberOfPages(); ++i) {
        const auto& page = m_pages[size_t(i)];
        if (page->title() && page->title()->text().length() > 0)
            overlayLabelWithStyle(page->title(), common->titleStyle(), i);
        if (page->subTitle() && page->subTitle()->text().length() > 0)
            overlayLabelWithStyle(page->subTitle(), common->subTitleStyle(), i);
    }
}

void TPTutorialController::overlayLabelWithStyle(const TPTutorialLabelStyleRef& style, const TPTutorialLabelStyleRef& commonStyle, NSInteger index)
{
    const CGSize size = view()->bounds().size;
    auto label = UILabel::create(CGRectMake(index * size.width, size.height - CGFloat(commonStyle->offset()), size.width, 45));
    label->setNumberOfLines(NSInteger(commonStyle->linesNumber()));
    label->setBackgroundColor(UIColor::clearColor());
    label->setTextAlignment(NSTextAlignmentCenter);
    label->setText(style->text());
    label->setFont(style->font() ? style->font() : commonStyle->font());
    label->setTextColor(style->textColor() ? style->textColor() : commonStyle->textColor());
    m_scrollView->addSubview(label);
}

void TPTutorialController::setOverlayTitle() { m_overlayTitle->setText("Welcome"); }

void TPTutorialController::setOriginLayersState()
{
    m_currentState = TPTutorialStateAdvancing;
    m_frontLayerView->setBackgroundColor(UIColor::blackColor());
    m_backLayerView->setBackgroundColor(UIColor::blackColor());
    setLayersPicturesWithIndex(0);
}

void TPTutorialController::setOriginLayerAlpha()
{
    m_frontLayerView->setAlpha(1);
    m_backLayerView->setAlpha(0);
}

void TPTutorialController::setLayersPicturesWithIndex(NSInteger index)
{
    m_currentPageIndex = index;
    setOriginLayerAlpha();
    setBackgroundImage(m_frontLayerView, index);
    setBackgroundImage(m_backLayerView, index + 1);
}

void TPTutorialController::setBackgroundImage(const UIImageViewRef& view, NSInteger index)
{
    view->setImage(index >= 0 && index < numberOfPages() ? UIImage::imageNamed(m_pages[size_t(index)]->pictureName()) : nullptr);
}

void TPTutorialController::scrollViewDidScroll(UIScrollView& scrollView)
{
    const CGFloat width = view()->bounds().size.width;
    if (!(width > 0))
        return;
    const float f = float(scrollView.contentOffset().x / width);
    const NSInteger n = m_currentState == TPTutorialStateLooping ? 0 : NSInteger(std::trunc(f));
    auto protectedSelf = self();
    auto delegate = m_delegate.lock();
    if (n != m_nextPageIndex) {
        if (delegate)
            delegate->scrollingFromPageIndex(*this, m_currentPageIndex, n);
        m_nextPageIndex = n;
    }
    if (m_nextPageIndex == numberOfPages() - 1 && delegate)
        delegate->tutorialControllerDidReachLastPage(*this);
    disolveBackgroundWithContentOffset(f);
}

void TPTutorialController::disolveBackgroundWithContentOffset(float offset)
{
    if (m_currentState == TPTutorialStateLooping)
        scrollingToFirstPageWithOffset(offset);
    else
        scrollingToNextPageWithOffset(offset);
}

void TPTutorialController::scrollingToNextPageWithOffset(float offset)
{
    const NSInteger i = NSInteger(std::trunc(offset));
    const float fraction = offset - float(i);
    if (fraction < 0 && m_currentPageIndex == 0) {
        // Pulled to the left of the first page: the first picture fades to black.
        m_backLayerView->setImage(nullptr);
        m_frontLayerView->setAlpha(fraction + 1);
        return;
    }
    if (i != m_currentPageIndex || (offset > 0 && offset < 1))
        setLayersPicturesWithIndex(i);
    m_backLayerView->setAlpha(fraction);
    m_frontLayerView->setAlpha(1 - fraction);
}

void TPTutorialController::scrollingToFirstPageWithOffset(float offset)
{
    // The way back covers every page but the first: the fade spans exactly that distance.
    const NSInteger distance = numberOfPages() - 1;
    const float ratio = distance > 0 ? std::clamp(offset / float(distance), 0.0f, 1.0f) : 0.0f;
    if (ratio == 0) {
        setOriginLayersState();
        return;
    }
    m_backLayerView->setAlpha(1 - ratio);
    m_frontLayerView->setAlpha(ratio);
}

void TPTutorialController::startScrolling() { autoScrollToNextPage(); }

void TPTutorialController::stopScrolling() { m_currentState = TPTutorialStateStopped; }

void TPTutorialController::autoScrollToNextPage()
{
    if (!m_autoScrollEnabled || m_pages.empty())
        return;
    DelayedPerform::cancelPreviousPerformRequestsWithTarget(this, "animateScrolling", nullptr);
    const NSInteger index = std::clamp<NSInteger>(m_currentPageIndex, 0, numberOfPages() - 1);
    std::weak_ptr<TPTutorialController> weakSelf = self();
    DelayedPerform::performSelector(self(), "animateScrolling", nullptr, std::max(0.0, m_pages[size_t(index)]->duration()), [weakSelf] {
        if (auto strongSelf = weakSelf.lock())
            strongSelf->animateScrolling();
    });
}

void TPTutorialController::animateScrolling()
{
    if (m_currentState == TPTutorialStateStopped || m_pages.empty())
        return;
    NSInteger next = m_currentPageIndex + 1;
    if (next >= numberOfPages()) {
        if (!m_autoScrollEnabled) {
            m_currentState = TPTutorialStateStopped;
            return;
        }
        m_currentState = TPTutorialStateLooping;
        setOriginLayerAlpha();
        setBackgroundImage(m_backLayerView, 0);
        next = 0;
    } else {
        m_currentState = TPTutorialStateAdvancing;
    }
    scrollToNextPageIndex(next);
    // Already on the first page (a single page): no scroll will end the loop, so end it here.
    if (m_currentState == TPTutorialStateLooping && m_scrollView->contentOffset().x == 0)
        setOriginLayersState();
    autoScrollToNextPage();
}

void TPTutorialController::scrollToNextPageIndex(NSInteger index)
{
    m_scrollView->setContentOffset(CGPointMake(index * view()->bounds().size.width, 0), true);
    m_pageControl->setCurrentPage(index);
}

void TPTutorialController::scrollViewWillBeginDragging(UIScrollView& scrollView)
{
    if (scrollView.isTracking())
        stopScrolling();
}

void TPTutorialController::scrollViewDidEndDecelerating(UIScrollView&) { m_pageControl->setCurrentPage(m_currentPageIndex); }

void TPTutorialController::didClickOnPageControl(UIPageControl& control)
{
    stopScrolling();
    scrollToNextPageIndex(control.currentPage());
}

void TPTutorialController::didClickOnButton1(UIButton& button)
{
    auto protectedSelf = self();
    if (auto delegate = m_delegate.lock())
        delegate->didClickOnLeftButton(*this, button);
}

void TPTutorialController::didClickOnButton2(UIButton& button)
{
    auto protectedSelf = self();
    if (auto delegate = m_delegate.lock())
        delegate->didClickOnRightButton(*this, button);
}
