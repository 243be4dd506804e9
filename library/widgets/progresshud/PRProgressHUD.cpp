#include "library/widgets/progresshud/PRProgressHUD.h"

#include "library/widgets/progresshud/PRRoundProgressView.h"
#include "platform/foundation/DelayedPerform.h"
#include "platform/foundation/NSNumber.h"
#include "platform/foundation/NSAssertMainThread.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSThread.h"
#include "platform/graphics/UIGraphics.h"
#include "platform/text/UIStringDrawing.h"
#include "platform/uikit/UIActivityIndicatorView.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIDevice.h"
#include "platform/uikit/UIWindow.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr CGFloat kPadding = 4;
constexpr NSTimeInterval kAnimationDuration = 0.3;

} // namespace

// MARK: Class operations

std::shared_ptr<PRProgressHUD> PRProgressHUD::showHUDAddedTo(const UIViewRef& view, bool animated)
{
    if (!view)
        return nullptr;
    auto hud = create(view);
    view->addSubview(hud);
    hud->show(animated);
    return hud;
}

bool PRProgressHUD::hideHUDForView(const UIViewRef& view, bool animated)
{
    auto hud = HUDForView(view);
    if (!hud)
        return false;
    hud->setRemoveFromSuperViewOnHide(true);
    hud->hide(animated);
    return true;
}

NSUInteger PRProgressHUD::hideAllHUDsForView(const UIViewRef& view, bool animated)
{
    const auto huds = allHUDsForView(view);
    for (const auto& hud : huds) {
        hud->setRemoveFromSuperViewOnHide(true);
        hud->hide(animated);
    }
    return huds.size();
}

std::shared_ptr<PRProgressHUD> PRProgressHUD::HUDForView(const UIViewRef& view)
{
    const auto huds = allHUDsForView(view);
    return huds.empty() ? nullptr : huds.back();
}

std::vector<std::shared_ptr<PRProgressHUD>> PRProgressHUD::allHUDsForView(const UIViewRef& view)
{
    std::vector<std::shared_ptr<PRProgressHUD>> huds;
    if (!view)
        return huds;
    for (const auto& subview : view->subviews())
        if (auto hud = std::dynamic_pointer_cast<PRProgressHUD>(subview))
            huds.push_back(hud);
    return huds;
}

// MARK: Life

void PRProgressHUD::init(CGRect frame)
{
    UIView::init(frame);
    {
        MutexLocker lock(m_observedMutex);
        m_labelFont = UIFont::boldSystemFontOfSize(16);
        m_detailsLabelFont = UIFont::boldSystemFontOfSize(12);
    }
    setAutoresizingMask(UIViewAutoresizingFlexibleLeftMargin | UIViewAutoresizingFlexibleRightMargin
        | UIViewAutoresizingFlexibleTopMargin | UIViewAutoresizingFlexibleBottomMargin);
    setOpaque(false);
    setBackgroundColor(UIColor::clearColor());
    setAlpha(0);
    setupLabels();
    updateIndicators();
    NSNotificationCenter::defaultCenter()->addObserver(self(), &PRProgressHUD::deviceOrientationDidChange,
        UIDeviceOrientationDidChangeNotification, nullptr);
}

void PRProgressHUD::init(const UIViewRef& view)
{
    init(view ? view->bounds() : CGRectZero);
    if (std::dynamic_pointer_cast<UIWindow>(view))
        setTransformForCurrentOrientation(false);
}

PRProgressHUD::~PRProgressHUD()
{
    if (m_graceTimer)
        m_graceTimer->invalidate();
    if (m_minShowTimer)
        m_minShowTimer->invalidate();
    DelayedPerform::cancelPreviousPerformRequestsWithTarget(this);
    NSNotificationCenter::defaultCenter()->removeObserver(this);
}

// MARK: Showing and hiding

void PRProgressHUD::show(bool animated)
{
    NSAssertMainThread();
    m_useAnimation = animated;
    // A minimum-time hide still pending belongs to the previous showing; left alone it would
    // hide this one early.
    if (m_minShowTimer) {
        m_minShowTimer->invalidate();
        m_minShowTimer = nullptr;
    }
    if (m_graceTime > 0) {
        std::weak_ptr<PRProgressHUD> weakSelf = self();
        m_graceTimer = NSTimer::scheduledTimerWithTimeInterval(m_graceTime, [weakSelf](const auto&) {
            if (auto strongSelf = weakSelf.lock())
                strongSelf->handleGraceTimer();
        }, false);
        return;
    }
    setNeedsDisplay();
    showUsingAnimation(m_useAnimation);
}

void PRProgressHUD::hide(bool animated)
{
    NSAssertMainThread();
    m_useAnimation = animated;
    if (m_minShowTime > 0 && m_showStarted) {
        const NSTimeInterval interval = NSDate::date()->timeIntervalSinceDate(m_showStarted);
        if (interval < m_minShowTime) {
            std::weak_ptr<PRProgressHUD> weakSelf = self();
            if (m_minShowTimer)
                m_minShowTimer->invalidate();
            m_minShowTimer = NSTimer::scheduledTimerWithTimeInterval(m_minShowTime - interval, [weakSelf](const auto&) {
                if (auto strongSelf = weakSelf.lock())
                    strongSelf->handleMinShowTimer();
            }, false);
            return;
        }
    }
    hideUsingAnimation(m_useAnimation);
}

void PRProgressHUD::hide(bool animated, NSTimeInterval afterDelay)
{
    auto protectedSelf = self();
    DelayedPerform::performSelector(protectedSelf, "hideDelayed:", NSNumber::numberWithBool(animated), afterDelay,
        [protectedSelf, animated] { protectedSelf->hide(animated); });
}

void PRProgressHUD::handleGraceTimer()
{
    m_graceTimer = nullptr;
    if (!m_taskInProgress)
        return;
    setNeedsDisplay();
    showUsingAnimation(m_useAnimation);
}

void PRProgressHUD::handleMinShowTimer()
{
    m_minShowTimer = nullptr;
    hideUsingAnimation(m_useAnimation);
}

void PRProgressHUD::showUsingAnimation(bool animated)
{
    setAlpha(0);
    if (animated && m_animationType == PRProgressHUDAnimationZoom)
        setTransform(CGAffineTransformConcat(m_rotationTransform, CGAffineTransformMakeScale(1.5, 1.5)));
    m_showStarted = NSDate::date();
    if (!animated) {
        setAlpha(1);
        return;
    }
    auto protectedSelf = self();
    UIView::animateWithDuration(kAnimationDuration, [protectedSelf] {
        protectedSelf->setAlpha(1);
        if (protectedSelf->m_animationType == PRProgressHUDAnimationZoom)
            protectedSelf->setTransform(protectedSelf->m_rotationTransform);
    });
}

void PRProgressHUD::hideUsingAnimation(bool animated)
{
    if (animated && m_showStarted) {
        m_showStarted = nullptr;
        auto protectedSelf = self();
        UIView::animateWithDuration(kAnimationDuration, [protectedSelf] {
            // 0.02 rather than 0: the platform drops an animation to an invisible alpha at once.
            protectedSelf->setAlpha(0.02);
            if (protectedSelf->m_animationType == PRProgressHUDAnimationZoom)
                protectedSelf->setTransform(CGAffineTransformConcat(protectedSelf->m_rotationTransform,
                    CGAffineTransformMakeScale(0.5, 0.5)));
        }, [protectedSelf](bool) { protectedSelf->done(); });
        return;
    }
    m_showStarted = nullptr;
    setAlpha(0);
    done();
}

void PRProgressHUD::done()
{
    m_isFinished = true;
    setAlpha(0);
    auto protectedSelf = self();
    if (auto hudDelegate = delegate())
        hudDelegate->hudWasHidden(*this);
    if (m_completionBlock) {
        auto block = std::move(m_completionBlock);
        m_completionBlock = nullptr;
        block();
    }
    if (m_removeFromSuperViewOnHide)
        removeFromSuperview();
}

// MARK: Work while shown

void PRProgressHUD::showWhileExecuting(std::function<void()> method, bool animated)
{
    m_methodForExecution = std::move(method);
    m_taskInProgress = true;
    executeInBackground([](std::function<void()> block) { NSThread::detachNewThreadWithBlock(std::move(block)); }, m_methodForExecution);
    show(animated);
}

void PRProgressHUD::executeInBackground(const std::function<void(std::function<void()>)>& start, std::function<void()> work)
{
    // The worker's block may outlive the hand-back (a thread keeps it until it ends), so it holds
    // the HUD only through a box the worker empties: the last reference is always let go on the
    // main thread, where views and layers may be torn down.
    auto execution = std::make_shared<Execution>(Execution { self(), std::move(work) });
    start([execution] { launchExecution(execution); });
}

void PRProgressHUD::launchExecution(const std::shared_ptr<Execution>& execution)
{
    auto hud = std::move(execution->hud);
    auto work = std::move(execution->work);
    if (work)
        work();
    dispatch_async(dispatch_get_main_queue(), [hud = std::move(hud), work = std::move(work)] { hud->cleanUp(); });
}

void PRProgressHUD::showAnimated(bool animated, std::function<void()> whileExecutingBlock)
{
    showAnimated(animated, std::move(whileExecutingBlock), dispatch_get_global_queue(0, 0), nullptr);
}

void PRProgressHUD::showAnimated(bool animated, std::function<void()> whileExecutingBlock, CompletionBlock completionBlock)
{
    showAnimated(animated, std::move(whileExecutingBlock), dispatch_get_global_queue(0, 0), std::move(completionBlock));
}

void PRProgressHUD::showAnimated(bool animated, std::function<void()> whileExecutingBlock, const dispatch_queue_t& onQueue)
{
    showAnimated(animated, std::move(whileExecutingBlock), onQueue, nullptr);
}

void PRProgressHUD::showAnimated(bool animated, std::function<void()> whileExecutingBlock, const dispatch_queue_t& onQueue,
    CompletionBlock completionBlock)
{
    m_taskInProgress = true;
    m_completionBlock = std::move(completionBlock);
    executeInBackground([&onQueue](std::function<void()> block) { dispatch_async(onQueue, std::move(block)); }, std::move(whileExecutingBlock));
    show(animated);
}

void PRProgressHUD::cleanUp()
{
    m_taskInProgress = false;
    m_methodForExecution = nullptr;
    m_indicator = nullptr;
    hide(m_useAnimation);
}

// MARK: Views

void PRProgressHUD::setupLabels()
{
    auto makeLabel = [this](const UIFontRef& font, const NSString& text) {
        auto label = UILabel::create(bounds());
        label->setAdjustsFontSizeToFitWidth(false);
        label->setTextAlignment(NSTextAlignmentCenter);
        label->setOpaque(false);
        label->setBackgroundColor(UIColor::clearColor());
        label->setTextColor(UIColor::whiteColor());
        label->setFont(font);
        label->setText(text);
        return label;
    };
    m_label = makeLabel(labelFont(), labelText());
    m_detailsLabel = makeLabel(detailsLabelFont(), detailsLabelText());
    m_detailsLabel->setNumberOfLines(0);
    addSubview(m_label);
    addSubview(m_detailsLabel);
}

void PRProgressHUD::updateIndicators()
{
    const PRProgressHUDMode currentMode = mode();
    if (currentMode == PRProgressHUDModeIndeterminate) {
        if (!std::dynamic_pointer_cast<UIActivityIndicatorView>(m_indicator)) {
            if (m_indicator)
                m_indicator->removeFromSuperview();
            auto spinner = UIActivityIndicatorView::create(UIActivityIndicatorViewStyleWhiteLarge);
            spinner->startAnimating();
            m_indicator = spinner;
            addSubview(m_indicator);
        }
    } else if (currentMode == PRProgressHUDModeDeterminate || currentMode == PRProgressHUDModeAnnularDeterminate) {
        if (!std::dynamic_pointer_cast<PRRoundProgressView>(m_indicator)) {
            if (m_indicator)
                m_indicator->removeFromSuperview();
            m_indicator = PRRoundProgressView::create();
            addSubview(m_indicator);
        }
        auto round = std::static_pointer_cast<PRRoundProgressView>(m_indicator);
        round->setProgress(progress());
        if (currentMode == PRProgressHUDModeAnnularDeterminate)
            round->setAnnular(true);
    } else if (currentMode == PRProgressHUDModeCustomView) {
        auto custom = customView();
        if (m_indicator != custom) {
            if (m_indicator)
                m_indicator->removeFromSuperview();
            m_indicator = custom;
            if (custom)
                addSubview(custom);
        }
    } else if (currentMode == PRProgressHUDModeText) {
        if (m_indicator)
            m_indicator->removeFromSuperview();
        m_indicator = nullptr;
    }
}

// MARK: Observed properties

#define PR_OBSERVED_PROPERTY(Type, getter, setter, member, keypath)                                  \
    Type PRProgressHUD::getter() const                                                               \
    {                                                                                                \
        MutexLocker lock(m_observedMutex);                                                       \
        return member;                                                                               \
    }                                                                                                \
    void PRProgressHUD::setter(const Type& value)                                                    \
    {                                                                                                \
        {                                                                                            \
            MutexLocker lock(m_observedMutex);                                                   \
            member = value;                                                                          \
        }                                                                                            \
        observeValueForKeyPath(Keypath::keypath);                                                    \
    }

PR_OBSERVED_PROPERTY(UIViewRef, customView, setCustomView, m_customView, CustomView)
PR_OBSERVED_PROPERTY(NSString, labelText, setLabelText, m_labelText, LabelText)
PR_OBSERVED_PROPERTY(NSString, detailsLabelText, setDetailsLabelText, m_detailsLabelText, DetailsLabelText)
PR_OBSERVED_PROPERTY(UIFontRef, labelFont, setLabelFont, m_labelFont, LabelFont)
PR_OBSERVED_PROPERTY(UIFontRef, detailsLabelFont, setDetailsLabelFont, m_detailsLabelFont, DetailsLabelFont)
#undef PR_OBSERVED_PROPERTY

PRProgressHUDMode PRProgressHUD::mode() const
{
    MutexLocker lock(m_observedMutex);
    return m_mode;
}

void PRProgressHUD::setMode(PRProgressHUDMode mode)
{
    {
        MutexLocker lock(m_observedMutex);
        m_mode = mode;
    }
    observeValueForKeyPath(Keypath::Mode);
}

float PRProgressHUD::progress() const
{
    MutexLocker lock(m_observedMutex);
    return m_progress;
}

void PRProgressHUD::setProgress(float progress)
{
    {
        MutexLocker lock(m_observedMutex);
        m_progress = progress;
    }
    observeValueForKeyPath(Keypath::Progress);
}

void PRProgressHUD::observeValueForKeyPath(Keypath keypath)
{
    if (NSThread::isMainThread()) {
        updateUIForKeypath(keypath);
        return;
    }
    // Made inside the block, so that no copy stays with this thread to be the last one let go.
    dispatch_async(dispatch_get_main_queue(), [protectedSelf = self(), keypath] { protectedSelf->updateUIForKeypath(keypath); });
}

void PRProgressHUD::updateUIForKeypath(Keypath keypath)
{
    switch (keypath) {
    case Keypath::Mode:
    case Keypath::CustomView:
        updateIndicators();
        break;
    case Keypath::LabelText:
        m_label->setText(labelText());
        break;
    case Keypath::LabelFont:
        m_label->setFont(labelFont());
        break;
    case Keypath::DetailsLabelText:
        m_detailsLabel->setText(detailsLabelText());
        break;
    case Keypath::DetailsLabelFont:
        m_detailsLabel->setFont(detailsLabelFont());
        break;
    case Keypath::Progress:
        if (auto round = std::dynamic_pointer_cast<PRRoundProgressView>(m_indicator))
            round->setProgress(progress());
        return;
    }
    setNeedsLayout();
    setNeedsDisplay();
}

// MARK: Layout and drawing

void PRProgressHUD::layoutSubviews()
{
    if (auto parent = superview())
        setFrame(parent->bounds());
    const CGRect all = bounds();
    const CGFloat maxWidth = all.size.width - 4 * m_margin;
    CGSize total = CGSizeZero;

    CGRect indicatorFrame = m_indicator ? m_indicator->bounds() : CGRectZero;
    indicatorFrame.size.width = std::min(indicatorFrame.size.width, maxWidth);
    total.width = indicatorFrame.size.width;
    total.height += indicatorFrame.size.height;

    const NSString text = m_label->text();
    CGSize labelSize = text.length() ? UIStringDrawing::sizeWithFont(text, m_label->font()) : CGSizeZero;
    labelSize.width = std::min(labelSize.width, maxWidth);
    total.width = std::max(total.width, labelSize.width);
    total.height += labelSize.height;
    if (labelSize.height > 0 && indicatorFrame.size.height > 0)
        total.height += kPadding;

    const CGFloat remainingHeight = all.size.height - total.height - kPadding - 4 * m_margin;
    const NSString details = m_detailsLabel->text();
    const CGSize detailsSize = details.length()
        ? UIStringDrawing::sizeWithFont(details, m_detailsLabel->font(), CGSizeMake(maxWidth, std::max<CGFloat>(remainingHeight, 0)),
            m_detailsLabel->lineBreakMode())
        : CGSizeZero;
    total.width = std::max(total.width, detailsSize.width);
    total.height += detailsSize.height;
    if (detailsSize.height > 0 && (indicatorFrame.size.height > 0 || labelSize.height > 0))
        total.height += kPadding;

    total.width += 2 * m_margin;
    total.height += 2 * m_margin;

    CGFloat y = std::round((all.size.height - total.height) / 2) + m_margin + m_yOffset;
    indicatorFrame.origin = CGPointMake(std::round((all.size.width - indicatorFrame.size.width) / 2) + m_xOffset, y);
    if (m_indicator)
        m_indicator->setFrame(indicatorFrame);
    y += indicatorFrame.size.height;
    if (labelSize.height > 0 && indicatorFrame.size.height > 0)
        y += kPadding;
    m_label->setFrame(CGRectMake(std::round((all.size.width - labelSize.width) / 2) + m_xOffset, y, labelSize.width, labelSize.height));
    y += labelSize.height;
    if (detailsSize.height > 0 && (indicatorFrame.size.height > 0 || labelSize.height > 0))
        y += kPadding;
    m_detailsLabel->setFrame(CGRectMake(std::round((all.size.width - detailsSize.width) / 2) + m_xOffset, y,
        detailsSize.width, detailsSize.height));

    if (m_square) {
        const CGFloat side = std::max(total.width, total.height);
        if (side <= all.size.width - 2 * m_margin)
            total.width = side;
        if (side <= all.size.height - 2 * m_margin)
            total.height = side;
    }
    total.width = std::max(total.width, m_minSize.width);
    total.height = std::max(total.height, m_minSize.height);
    m_size = total;
}

void PRProgressHUD::drawRect(CGRect)
{
    auto context = UIGraphicsGetCurrentContext();
    if (!context)
        return;
    const CGRect all = bounds();
    if (m_dimBackground) {
        const CGFloat components[] = { 0, 0, 0, 0, 0, 0, 0, 0.75 };
        const CGFloat locations[] = { 0, 1 };
        auto gradient = CGGradientCreateWithColorComponents(CGColorSpaceCreateDeviceRGB(), components, locations, 2);
        const CGPoint centre = CGPointMake(all.size.width / 2, all.size.height / 2);
        const CGFloat radius = std::min(all.size.width, all.size.height);
        CGContextDrawRadialGradient(context, gradient, centre, 0, centre, radius, kCGGradientDrawsAfterEndLocation);
    }
    if (m_color)
        CGContextSetFillColorWithColor(context, m_color);
    else
        CGContextSetGrayFillColor(context, 0, m_opacity);
    const CGRect box = CGRectMake(std::round((all.size.width - m_size.width) / 2) + m_xOffset,
        std::round((all.size.height - m_size.height) / 2) + m_yOffset, m_size.width, m_size.height);
    const CGFloat radius = 10;
    CGContextBeginPath(context);
    CGContextMoveToPoint(context, CGRectGetMinX(box) + radius, CGRectGetMinY(box));
    CGContextAddArc(context, CGRectGetMaxX(box) - radius, CGRectGetMinY(box) + radius, radius, 3 * M_PI / 2, 0, 0);
    CGContextAddArc(context, CGRectGetMaxX(box) - radius, CGRectGetMaxY(box) - radius, radius, 0, M_PI / 2, 0);
    CGContextAddArc(context, CGRectGetMinX(box) + radius, CGRectGetMaxY(box) - radius, radius, M_PI / 2, M_PI, 0);
    CGContextAddArc(context, CGRectGetMinX(box) + radius, CGRectGetMinY(box) + radius, radius, M_PI, 3 * M_PI / 2, 0);
    CGContextClosePath(context);
    CGContextFillPath(context);
}

// MARK: Orientation

void PRProgressHUD::deviceOrientationDidChange()
{
    auto parent = superview();
    if (!parent)
        return;
    if (std::dynamic_pointer_cast<UIWindow>(parent)) {
        setTransformForCurrentOrientation(true);
        return;
    }
    setBounds(parent->bounds());
    setNeedsDisplay();
}

void PRProgressHUD::setTransformForCurrentOrientation(bool animated)
{
    if (auto parent = superview()) {
        setBounds(parent->bounds());
        setNeedsDisplay();
    }
    CGFloat angle = 0;
    switch (UIApplication::sharedApplication()->statusBarOrientation()) {
    case UIInterfaceOrientation::LandscapeLeft:
        angle = -M_PI / 2;
        break;
    case UIInterfaceOrientation::LandscapeRight:
        angle = M_PI / 2;
        break;
    case UIInterfaceOrientation::PortraitUpsideDown:
        angle = M_PI;
        break;
    default:
        break;
    }
    if (angle == M_PI / 2 || angle == -M_PI / 2) {
        const CGRect current = bounds();
        setBounds(CGRectMake(0, 0, current.size.height, current.size.width));
    }
    m_rotationTransform = CGAffineTransformMakeRotation(angle);
    if (!animated) {
        setTransform(m_rotationTransform);
        return;
    }
    auto protectedSelf = self();
    UIView::animateWithDuration(kAnimationDuration, [protectedSelf] { protectedSelf->setTransform(protectedSelf->m_rotationTransform); });
}
