#include "platform/uikit/UIImageView.h"

#include "platform/foundation/NSAssertMainThread.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/foundation/SystemClock.h"
#include "platform/graphics/UIGraphics.h"

#include <cmath>

namespace {

constexpr NSTimeInterval kDefaultFrameDuration = 1.0 / 30;
// Clock readings are dates far from zero, so a timer due at a frame's start may read a hair
// early; this share of a frame absorbs that.
constexpr double kFrameTolerance = 1e-3;

bool isResizable(const UIImageRef& image)
{
    return image && image->isResizable();
}

} // namespace

UIImageView::~UIImageView()
{
    if (m_timer)
        m_timer->invalidate();
}

void UIImageView::init(CGRect frame)
{
    super::init(frame);
    setUserInteractionEnabled(false);
}

void UIImageView::init(const UIImageRef& image) { init(image, nullptr); }

void UIImageView::init(const UIImageRef& image, const UIImageRef& highlightedImage)
{
    init(image ? CGRect { CGPointZero, image->size() } : CGRectZero);
    setImage(image);
    setHighlightedImage(highlightedImage);
}

void UIImageView::setImage(const UIImageRef& image)
{
    NSAssertMainThread();
    if (m_image == image)
        return;
    m_image = image;
    if (!m_animating)
        restartClock();
    displayedImageMayHaveChanged();
    invalidateIntrinsicContentSize();
}

void UIImageView::setHighlightedImage(const UIImageRef& image)
{
    NSAssertMainThread();
    if (m_highlightedImage == image)
        return;
    m_highlightedImage = image;
    if (m_highlighted)
        displayedImageMayHaveChanged();
}

void UIImageView::setHighlighted(bool highlighted)
{
    NSAssertMainThread();
    if (m_highlighted == highlighted)
        return;
    m_highlighted = highlighted;
    displayedImageMayHaveChanged();
}

void UIImageView::setAnimationImages(std::vector<UIImageRef> images)
{
    NSAssertMainThread();
    std::erase(images, nullptr);
    m_animationImages = std::move(images);
    if (m_animationImages.empty() && m_animating)
        stopAnimating();
    else if (m_animating)
        restartClock();
}

void UIImageView::setAnimationDuration(NSTimeInterval duration)
{
    NSAssertMainThread();
    m_animationDuration = std::isfinite(duration) && duration > 0 ? duration : 0;
}

void UIImageView::setAnimationRepeatCount(NSInteger count)
{
    NSAssertMainThread();
    m_animationRepeatCount = std::max<NSInteger>(0, count);
}

void UIImageView::startAnimating()
{
    NSAssertMainThread();
    if (m_animationImages.empty() || m_animating)
        return;
    m_animating = true;
    restartClock();
    displayedImageMayHaveChanged();
}

void UIImageView::stopAnimating()
{
    NSAssertMainThread();
    if (!m_animating)
        return;
    m_animating = false;
    restartClock();
    displayedImageMayHaveChanged();
}

const std::vector<UIImageRef>& UIImageView::playingFrames() const
{
    static const std::vector<UIImageRef> none;
    if (m_animating)
        return m_animationImages;
    return m_image ? m_image->images() : none;
}

NSTimeInterval UIImageView::playingDuration() const
{
    const auto& frames = playingFrames();
    const NSTimeInterval duration = m_animating ? m_animationDuration : (m_image ? m_image->duration() : 0);
    return duration > 0 ? duration : kDefaultFrameDuration * NSTimeInterval(frames.size());
}

void UIImageView::restartClock()
{
    if (m_timer) {
        m_timer->invalidate();
        m_timer = nullptr;
    }
    m_frameIndex = 0;
    const auto& frames = playingFrames();
    if (frames.size() < 2 && !m_animating)
        return;
    m_startTime = SystemClock::now();
    const NSTimeInterval frameDuration = playingDuration() / NSTimeInterval(std::max<std::size_t>(1, frames.size()));
    std::weak_ptr<UIImageView> weakSelf = self();
    m_timer = NSTimer::timerWithTimeInterval(frameDuration, [weakSelf](const auto&) {
        if (auto view = weakSelf.lock())
            view->tick();
    }, true);
    // Frames go on while a scroll view is tracked, as the platform's do.
    NSRunLoop::mainRunLoop()->addTimer(m_timer, NSRunLoopCommonModes);
}

void UIImageView::tick()
{
    const auto& frames = playingFrames();
    if (frames.empty())
        return;
    const NSTimeInterval duration = playingDuration();
    const NSTimeInterval elapsed = SystemClock::now() - m_startTime;
    const NSTimeInterval frameDuration = duration / NSTimeInterval(frames.size());
    const double framesShown = elapsed / frameDuration + kFrameTolerance;
    if (m_animating && m_animationRepeatCount > 0 && framesShown >= double(frames.size() * std::size_t(m_animationRepeatCount))) {
        stopAnimating();
        return;
    }
    const auto index = std::size_t(std::floor(framesShown)) % frames.size();
    if (index != m_frameIndex) {
        m_frameIndex = index;
        displayedImageMayHaveChanged();
    }
}

UIImageRef UIImageView::displayedImage() const
{
    const auto& frames = playingFrames();
    if (!frames.empty())
        return frames[std::min(m_frameIndex, frames.size() - 1)];
    if (m_highlighted && m_highlightedImage)
        return m_highlightedImage;
    return m_image;
}

void UIImageView::displayedImageMayHaveChanged()
{
    layer()->setNeedsDisplayOnBoundsChange(isResizable(displayedImage()));
    setNeedsDisplay();
}

bool UIImageView::displayLayer(CALayer& layer)
{
    if (&layer != this->layer().get())
        return super::displayLayer(layer);
    const UIImageRef shown = displayedImage();
    if (!shown) {
        layer.setContents(nullptr);
        return true;
    }
    if (!isResizable(shown)) {
        layer.setContentsScale(shown->scale());
        layer.setContents(shown->uprightCGImage());
        return true;
    }
    // Caps keep their size only when drawn at the view's own size.
    const CGSize size = bounds().size;
    if (size.width <= 0 || size.height <= 0) {
        layer.setContents(nullptr);
        return true;
    }
    UIGraphicsBeginImageContextWithOptions(size, false, 0);
    shown->drawInRect(CGRectMake(0, 0, size.width, size.height));
    const UIImageRef drawn = UIGraphicsGetImageFromCurrentImageContext();
    UIGraphicsEndImageContext();
    layer.setContentsScale(drawn ? drawn->scale() : UIGraphicsGetMainScreenScale());
    layer.setContents(drawn ? drawn->CGImage() : nullptr);
    return true;
}

CGSize UIImageView::sizeThatFits(CGSize) const
{
    const UIImageRef shown = displayedImage();
    return shown ? shown->size() : CGSizeZero;
}

CGSize UIImageView::intrinsicContentSize() const
{
    const UIImageRef shown = displayedImage();
    return shown ? shown->size() : CGSizeMake(-1, -1);
}
