#include "platform/uikit/UIButton.h"

#include "platform/foundation/NSAssertMainThread.h"
#include "platform/graphics/UIGraphics.h"
#include "platform/uikit/UITapGestureRecognizer.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr CGFloat kTitleFontSize = 15;
// How much a custom button darkens its images, and a system button dims its content, while
// highlighted.
constexpr CGFloat kHighlightDarkening = 0.33;
constexpr CGFloat kSystemHighlightAlpha = 0.2;

CGFloat pixelRound(CGFloat value)
{
    const CGFloat scale = UIGraphicsGetMainScreenScale();
    return std::round(value * scale) / scale;
}

// The image under a translucent black, keeping its caps.
UIImageRef darkened(const UIImageRef& image)
{
    if (!image)
        return nullptr;
    const CGSize size = image->size();
    UIGraphicsBeginImageContextWithOptions(size, false, image->scale());
    const CGContextRef context = UIGraphicsGetCurrentContext();
    const CGRect whole = CGRectMake(0, 0, size.width, size.height);
    UIImage::imageWithCGImage(image->uprightCGImage(), image->scale())->drawInRect(whole);
    CGContextSetBlendMode(context, kCGBlendModeSourceAtop);
    CGContextSetRGBFillColor(context, 0, 0, 0, kHighlightDarkening);
    CGContextFillRect(context, whole);
    UIImageRef result = UIGraphicsGetImageFromCurrentImageContext();
    UIGraphicsEndImageContext();
    if (!result)
        return image;
    return image->isResizable() ? result->resizableImageWithCapInsets(image->capInsets(), image->resizingMode()) : result;
}

// White fading to nothing from the centre out.
UIImageRef glowImage()
{
    constexpr CGFloat side = 40;
    UIGraphicsBeginImageContextWithOptions(CGSizeMake(side, side), false, 0);
    const CGFloat components[] = { 1, 1, 1, 0.9, 1, 1, 1, 0 };
    const CGFloat locations[] = { 0, 1 };
    auto gradient = CGGradientCreateWithColorComponents(CGColorSpaceCreateDeviceRGB(), components, locations, 2);
    const CGPoint centre = CGPointMake(side / 2, side / 2);
    CGContextDrawRadialGradient(UIGraphicsGetCurrentContext(), gradient, centre, 0, centre, side / 2, 0);
    UIImageRef image = UIGraphicsGetImageFromCurrentImageContext();
    UIGraphicsEndImageContext();
    return image;
}

} // namespace

std::shared_ptr<UIButton> UIButton::buttonWithType(UIButtonType type)
{
    auto button = create(CGRectZero);
    button->m_buttonType = type;
    button->updateContents();
    return button;
}

void UIButton::init(CGRect frame)
{
    super::init(frame);
    updateContents();
}

template <class T>
void UIButton::storeForState(ControlStateValues<T>& values, const T& value, UIControlState state)
{
    NSAssertMainThread();
    values.set(value, state);
    updateContents();
}

void UIButton::setTitle(const NSString& title, UIControlState state) { storeForState(m_titles, title, state); }
void UIButton::setTitleColor(const UIColorRef& color, UIControlState state) { storeForState(m_titleColors, color, state); }
void UIButton::setTitleShadowColor(const UIColorRef& color, UIControlState state) { storeForState(m_titleShadowColors, color, state); }
void UIButton::setImage(const UIImageRef& image, UIControlState state) { storeForState(m_images, image, state); }
void UIButton::setBackgroundImage(const UIImageRef& image, UIControlState state) { storeForState(m_backgroundImages, image, state); }

NSString UIButton::titleForState(UIControlState state) const { return m_titles.forState(state); }
UIColorRef UIButton::titleColorForState(UIControlState state) const { return m_titleColors.forState(state); }
UIColorRef UIButton::titleShadowColorForState(UIControlState state) const { return m_titleShadowColors.forState(state); }
UIImageRef UIButton::imageForState(UIControlState state) const { return m_images.forState(state); }
UIImageRef UIButton::backgroundImageForState(UIControlState state) const { return m_backgroundImages.forState(state); }

NSString UIButton::currentTitle() const { return m_titles.shownIn(state()); }
UIImageRef UIButton::currentImage() const { return m_images.shownIn(state()); }
UIImageRef UIButton::currentBackgroundImage() const { return m_backgroundImages.shownIn(state()); }
UIColorRef UIButton::currentTitleShadowColor() const { return m_titleShadowColors.shownIn(state()); }

UIColorRef UIButton::currentTitleColor() const
{
    if (auto color = m_titleColors.shownIn(state()))
        return color;
    if (m_buttonType == UIButtonTypeCustom)
        return UIColor::whiteColor();
    return isEnabled() ? tintColor() : UIColor::colorWithWhite(0.56, 1);
}

const UILabelRef& UIButton::titleLabel()
{
    if (!m_titleLabel) {
        m_titleLabel = UILabel::create(CGRectZero);
        m_titleLabel->setFont(UIFont::systemFontOfSize(kTitleFontSize));
        m_titleLabel->setLineBreakMode(NSLineBreakByTruncatingMiddle);
        // Above the background and the image.
        addSubview(m_titleLabel);
        updateContents();
    }
    return m_titleLabel;
}

const UIImageViewRef& UIButton::imageView()
{
    if (!m_imageView) {
        m_imageView = UIImageView::create(CGRectZero);
        m_imageView->setContentMode(UIViewContentMode::Center);
        if (m_backgroundView)
            insertSubviewAboveSubview(m_imageView, m_backgroundView);
        else
            insertSubview(m_imageView, 0);
        updateContents();
    }
    return m_imageView;
}

void UIButton::setContentEdgeInsets(UIEdgeInsets insets)
{
    NSAssertMainThread();
    if (m_contentEdgeInsets == insets)
        return;
    m_contentEdgeInsets = insets;
    setNeedsLayout();
}

void UIButton::setTitleEdgeInsets(UIEdgeInsets insets)
{
    NSAssertMainThread();
    if (m_titleEdgeInsets == insets)
        return;
    m_titleEdgeInsets = insets;
    setNeedsLayout();
}

void UIButton::setImageEdgeInsets(UIEdgeInsets insets)
{
    NSAssertMainThread();
    if (m_imageEdgeInsets == insets)
        return;
    m_imageEdgeInsets = insets;
    setNeedsLayout();
}

void UIButton::setAdjustsImageWhenHighlighted(bool adjusts)
{
    NSAssertMainThread();
    if (m_adjustsImageWhenHighlighted == adjusts)
        return;
    m_adjustsImageWhenHighlighted = adjusts;
    updateContents();
}

void UIButton::setShowsTouchWhenHighlighted(bool shows)
{
    NSAssertMainThread();
    if (m_showsTouchWhenHighlighted == shows)
        return;
    m_showsTouchWhenHighlighted = shows;
    updateContents();
}

void UIButton::stateDidChange() { updateContents(); }

bool UIButton::gestureRecognizerShouldBegin(UIGestureRecognizer& recognizer)
{
    const auto* tap = dynamic_cast<UITapGestureRecognizer*>(&recognizer);
    if (tap && isEnabled() && recognizer.view().get() != this && tap->numberOfTapsRequired() == 1
        && tap->numberOfTouchesRequired() == 1)
        return false;
    return super::gestureRecognizerShouldBegin(recognizer);
}

void UIButton::tintColorDidChange() { updateContents(); }

void UIButton::updateContents()
{
    const bool highlighted = isHighlighted();
    const bool darkens = highlighted && m_adjustsImageWhenHighlighted && m_buttonType == UIButtonTypeCustom;
    const bool dims = highlighted && m_buttonType != UIButtonTypeCustom;

    const NSString title = currentTitle();
    if (!title.isNil() && !m_titleLabel)
        titleLabel();
    if (m_titleLabel) {
        m_titleLabel->setText(title);
        m_titleLabel->setTextColor(currentTitleColor());
        m_titleLabel->setShadowColor(currentTitleShadowColor());
        m_titleLabel->setAlpha(dims ? kSystemHighlightAlpha : 1);
    }

    const UIImageRef image = currentImage();
    if (image && !m_imageView)
        imageView();
    if (m_imageView) {
        const bool ownHighlight = highlighted && imageForState(state());
        m_imageView->setImage(darkens && !ownHighlight ? darkened(image) : image);
        m_imageView->setAlpha(dims ? kSystemHighlightAlpha : 1);
    }

    const UIImageRef background = currentBackgroundImage();
    if (background && !m_backgroundView) {
        m_backgroundView = UIImageView::create(CGRectZero);
        insertSubview(m_backgroundView, 0);
    }
    if (m_backgroundView) {
        const bool ownHighlight = highlighted && backgroundImageForState(state());
        m_backgroundView->setImage(darkens && !ownHighlight ? darkened(background) : background);
    }

    const bool glows = highlighted && m_showsTouchWhenHighlighted;
    if (glows && !m_glowView) {
        m_glowView = UIImageView::create(glowImage());
        addSubview(m_glowView);
    }
    if (m_glowView) {
        if (glows)
            bringSubviewToFront(m_glowView);
        m_glowView->setHidden(!glows);
    }
    setNeedsLayout();
}

CGSize UIButton::titleSize() const
{
    if (!m_titleLabel || m_titleLabel->text().isNil() || m_titleLabel->text().length() == 0)
        return CGSizeZero;
    return m_titleLabel->sizeThatFits(CGSizeZero);
}

CGSize UIButton::imageSize() const
{
    const UIImageRef image = currentImage();
    return image ? image->size() : CGSizeZero;
}

CGRect UIButton::contentRectForBounds(CGRect bounds) const { return UIEdgeInsetsInsetRect(bounds, m_contentEdgeInsets); }

CGRect UIButton::imageRectForContentRect(CGRect contentRect) const
{
    const CGRect area = UIEdgeInsetsInsetRect(contentRect, m_imageEdgeInsets);
    const CGSize image = imageSize();
    if (image == CGSizeZero)
        return CGRectMake(CGRectGetMidX(area), CGRectGetMidY(area), 0, 0);
    CGFloat width = std::min(image.width, std::max<CGFloat>(0, area.size.width));
    CGFloat height = std::min(image.height, std::max<CGFloat>(0, area.size.height));
    const CGFloat titleWidth = std::min(titleSize().width, std::max<CGFloat>(0, area.size.width - width));
    CGFloat x = area.origin.x;
    switch (contentHorizontalAlignment()) {
    case UIControlContentHorizontalAlignmentCenter: x += (area.size.width - width - titleWidth) / 2; break;
    case UIControlContentHorizontalAlignmentRight: x = CGRectGetMaxX(area) - titleWidth - width; break;
    default: break;
    }
    CGFloat y = area.origin.y;
    switch (contentVerticalAlignment()) {
    case UIControlContentVerticalAlignmentCenter: y += (area.size.height - height) / 2; break;
    case UIControlContentVerticalAlignmentBottom: y = CGRectGetMaxY(area) - height; break;
    case UIControlContentVerticalAlignmentFill: height = std::max<CGFloat>(0, area.size.height); break;
    default: break;
    }
    if (contentHorizontalAlignment() == UIControlContentHorizontalAlignmentFill && titleWidth == 0)
        width = std::max<CGFloat>(0, area.size.width);
    return CGRectMake(pixelRound(x), pixelRound(y), width, height);
}

CGRect UIButton::titleRectForContentRect(CGRect contentRect) const
{
    const CGRect area = UIEdgeInsetsInsetRect(contentRect, m_titleEdgeInsets);
    const CGSize title = titleSize();
    if (title == CGSizeZero)
        return CGRectMake(CGRectGetMidX(area), CGRectGetMidY(area), 0, 0);
    const CGFloat imageWidth = std::min(imageSize().width, std::max<CGFloat>(0, area.size.width));
    const CGFloat available = std::max<CGFloat>(0, area.size.width - imageWidth);
    CGFloat width = std::min(title.width, available);
    CGFloat height = std::min(title.height, std::max<CGFloat>(0, area.size.height));
    CGFloat x = area.origin.x + imageWidth;
    switch (contentHorizontalAlignment()) {
    case UIControlContentHorizontalAlignmentCenter: x = area.origin.x + (area.size.width - imageWidth - width) / 2 + imageWidth; break;
    case UIControlContentHorizontalAlignmentRight: x = CGRectGetMaxX(area) - width; break;
    case UIControlContentHorizontalAlignmentFill: width = available; break;
    default: break;
    }
    CGFloat y = area.origin.y;
    switch (contentVerticalAlignment()) {
    case UIControlContentVerticalAlignmentCenter: y += (area.size.height - height) / 2; break;
    case UIControlContentVerticalAlignmentBottom: y = CGRectGetMaxY(area) - height; break;
    case UIControlContentVerticalAlignmentFill: height = std::max<CGFloat>(0, area.size.height); break;
    default: break;
    }
    return CGRectMake(pixelRound(x), pixelRound(y), width, height);
}

void UIButton::layoutSubviews()
{
    super::layoutSubviews();
    const CGRect bounds = this->bounds();
    if (m_backgroundView)
        m_backgroundView->setFrame(backgroundRectForBounds(bounds));
    const CGRect content = contentRectForBounds(bounds);
    if (m_imageView)
        m_imageView->setFrame(imageRectForContentRect(content));
    if (m_titleLabel)
        m_titleLabel->setFrame(titleRectForContentRect(content));
    if (m_glowView)
        m_glowView->setCenter(CGPointMake(CGRectGetMidX(bounds), CGRectGetMidY(bounds)));
}

CGSize UIButton::sizeThatFits(CGSize) const
{
    const CGSize title = titleSize();
    const CGSize image = imageSize();
    CGSize size = CGSizeMake(title.width + image.width + m_contentEdgeInsets.left + m_contentEdgeInsets.right,
        std::max(title.height, image.height) + m_contentEdgeInsets.top + m_contentEdgeInsets.bottom);
    if (const UIImageRef background = currentBackgroundImage()) {
        size.width = std::max(size.width, background->size().width);
        size.height = std::max(size.height, background->size().height);
    }
    return size;
}
