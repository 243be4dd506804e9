#include "platform/uikit/UIProgressView.h"

#include "platform/foundation/NSAssertMainThread.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr NSTimeInterval kSlide = 0.25;

UIColorRef defaultTrack() { return UIColor::colorWithWhite(183.0 / 255, 1); }

} // namespace

void UIProgressView::init(CGRect frame)
{
    super::init(frame);
    m_track = UIImageView::create(bounds());
    m_fill = UIImageView::create(fillRect());
    for (const auto& part : { m_track, m_fill }) {
        part->setUserInteractionEnabled(false);
        addSubview(part);
    }
    setUserInteractionEnabled(false);
    applyColors();
}

void UIProgressView::init(UIProgressViewStyle style)
{
    init(CGRectMake(0, 0, 150, kHeight));
    m_style = style;
    applyColors();
}

void UIProgressView::setProgressViewStyle(UIProgressViewStyle style)
{
    NSAssertMainThread();
    m_style = style;
    applyColors();
}

CGRect UIProgressView::fillRect() const
{
    const CGRect bounds = this->bounds();
    return CGRectMake(bounds.origin.x, bounds.origin.y, bounds.size.width * m_progress, bounds.size.height);
}

void UIProgressView::setProgress(float progress, bool animated)
{
    NSAssertMainThread();
    if (std::isnan(progress))
        return;
    m_progress = std::clamp(progress, 0.0f, 1.0f);
    if (animated && window())
        UIView::animateWithDuration(kSlide, [this] { m_fill->setFrame(fillRect()); });
    else
        UIView::performWithoutAnimation([this] { m_fill->setFrame(fillRect()); });
}

void UIProgressView::layoutSubviews()
{
    m_track->setFrame(bounds());
    m_fill->setFrame(fillRect());
}

CGSize UIProgressView::sizeThatFits(CGSize size) const
{
    return CGSizeMake(size.width > 0 ? size.width : bounds().size.width, kHeight);
}

void UIProgressView::setProgressTintColor(const UIColorRef& color)
{
    NSAssertMainThread();
    m_progressTint = color;
    applyColors();
}

void UIProgressView::setTrackTintColor(const UIColorRef& color)
{
    NSAssertMainThread();
    m_trackTint = color;
    applyColors();
}

void UIProgressView::setProgressImage(const UIImageRef& image)
{
    NSAssertMainThread();
    m_fill->setImage(image);
    applyColors();
}

void UIProgressView::setTrackImage(const UIImageRef& image)
{
    NSAssertMainThread();
    m_track->setImage(image);
    applyColors();
}

void UIProgressView::applyColors()
{
    // An image replaces the colour; the bar style's track is clear, as over a toolbar.
    const UIColorRef track = m_trackTint ? m_trackTint
        : (m_style == UIProgressViewStyleBar ? UIColor::clearColor() : defaultTrack());
    m_track->setBackgroundColor(m_track->image() ? UIColor::clearColor() : track);
    m_fill->setBackgroundColor(m_fill->image() ? UIColor::clearColor() : (m_progressTint ? m_progressTint : tintColor()));
    m_fill->setContentMode(UIViewContentMode::ScaleToFill);
    m_track->setContentMode(UIViewContentMode::ScaleToFill);
}
