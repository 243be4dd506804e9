#pragma once
// A full-screen introduction of pages the user swipes through or that advance by themselves,
// each for its page's duration, looping from the last page back to the first. The background
// pictures do not scroll: two stacked picture views cross-fade between the page being left and
// the next one in step with the scroll, while each page's texts scroll with it. A drag stops the
// advance for good.
//
//     auto tutorial = TPTutorialController::initWithPages(pages, self());
//     ... tutorial->startScrolling();

#include "library/widgets/tutorial/TPTutorialPage.h"
#include "platform/uikit/UIButton.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UIPageControl.h"
#include "platform/uikit/UIScrollView.h"
#include "platform/uikit/UIViewController.h"

class TPTutorialController;

class TPTutorialControllerDelegate {
public:
    virtual ~TPTutorialControllerDelegate() = default;
    virtual void scrollingFromPageIndex(TPTutorialController&, NSInteger fromIndex, NSInteger toIndex)
    {
        (void)fromIndex;
        (void)toIndex;
    }
    virtual void tutorialControllerDidReachLastPage(TPTutorialController&) { }
    virtual void didClickOnLeftButton(TPTutorialController&, UIButton&) { }
    virtual void didClickOnRightButton(TPTutorialController&, UIButton&) { }
};

enum TPTutorialState : NSUInteger {
    TPTutorialStateAdvancing = 1,
    TPTutorialStateStopped = 2,
    TPTutorialStateLooping = 4,
};

class TPTutorialController : public UIViewController, public UIScrollViewDelegate {
    NS_OBJECT(TPTutorialController, UIViewController)
public:
    static std::shared_ptr<TPTutorialController> initWithPages(const std::vector<TPTutorialPageRef>& pages);
    static std::shared_ptr<TPTutorialController> initWithPages(const std::vector<TPTutorialPageRef>& pages,
        const std::shared_ptr<TPTutorialControllerDelegate>& delegate);

    const std::vector<TPTutorialPageRef>& pages() const { return m_pages; }
    void setPages(const std::vector<TPTutorialPageRef>& pages) { m_pages = pages; }
    NSInteger numberOfPages() const { return NSInteger(m_pages.size()); }
    bool autoScrollEnabled() const { return m_autoScrollEnabled; }
    void setAutoScrollEnabled(bool enabled) { m_autoScrollEnabled = enabled; }
    std::shared_ptr<TPTutorialControllerDelegate> delegate() const { return m_delegate.lock(); }
    void setDelegate(const std::shared_ptr<TPTutorialControllerDelegate>& delegate) { m_delegate = delegate; }

    // Schedules the next step after the current page's duration; nothing without pages, and a
    // step already waiting is replaced, so there is only ever one.
    void startScrolling();
    void stopScrolling();
    NSUInteger getCurrentState() const { return m_currentState; }
    NSInteger currentPageIndex() const { return m_currentPageIndex; }
    NSInteger nextPageIndex() const { return m_nextPageIndex; }

    const UIImageViewRef& frontLayerView() const { return m_frontLayerView; }
    const UIImageViewRef& backLayerView() const { return m_backLayerView; }
    const UIImageViewRef& gradientView() const { return m_gradientView; }
    const UIScrollViewRef& scrollView() const { return m_scrollView; }
    const UILabelRef& overlayTitle() const { return m_overlayTitle; }
    const UIPageControlRef& pageControl() const { return m_pageControl; }
    const UIButtonRef& leftButton() const { return m_leftButton; }
    const UIButtonRef& rightButton() const { return m_rightButton; }

    void viewDidLoad() override;
    void viewDidLayoutSubviews() override;
    void scrollViewDidScroll(UIScrollView& scrollView) override;
    void scrollViewWillBeginDragging(UIScrollView& scrollView) override;
    void scrollViewDidEndDecelerating(UIScrollView& scrollView) override;
    void didClickOnButton1(UIButton& button);
    void didClickOnButton2(UIButton& button);
    void didClickOnPageControl(UIPageControl& control);

protected:
    void init(const std::vector<TPTutorialPageRef>& pages, const std::shared_ptr<TPTutorialControllerDelegate>& delegate);

private:
    void setupView();
    // The overlay's frames, as its layout rules resolve them for the view's size.
    void addAllConstraints();
    void setOverlayTexts();
    void setOverlayTitle();
    void overlayLabelWithStyle(const TPTutorialLabelStyleRef& style, const TPTutorialLabelStyleRef& commonStyle, NSInteger index);
    void setOriginLayersState();
    void setOriginLayerAlpha();
    void setLayersPicturesWithIndex(NSInteger index);
    void setBackgroundImage(const UIImageViewRef& view, NSInteger index);
    void disolveBackgroundWithContentOffset(float offset);
    void scrollingToNextPageWithOffset(float offset);
    void scrollingToFirstPageWithOffset(float offset);
    void autoScrollToNextPage();
    void animateScrolling();
    void scrollToNextPageIndex(NSInteger index);

    std::vector<TPTutorialPageRef> m_pages;
    bool m_autoScrollEnabled { true };
    std::weak_ptr<TPTutorialControllerDelegate> m_delegate;
    NSUInteger m_currentState { TPTutorialStateAdvancing };
    NSInteger m_currentPageIndex { 0 };
    NSInteger m_nextPageIndex { 0 };
    UIImageViewRef m_frontLayerView;
    UIImageViewRef m_backLayerView;
    UIImageViewRef m_gradientView;
    UIScrollViewRef m_scrollView;
    UILabelRef m_overlayTitle;
    UIPageControlRef m_pageControl;
    UIButtonRef m_leftButton;
    UIButtonRef m_rightButton;
};

using TPTutorialControllerRef = std::shared_ptr<TPTutorialController>;
