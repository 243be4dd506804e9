#pragma once
// Shows an image in its bounds as the content mode places it, or the highlighted image while
// highlighted. A list of animation images plays on the main run loop's clock, each frame for an
// equal share of the duration, the given number of times (0: until stopped); an animated image
// set as the image plays the same way, without end.

#include "platform/foundation/NSTimer.h"
#include "platform/uikit/UIImage.h"
#include "platform/uikit/UIView.h"

class UIImageView : public UIView {
    NS_OBJECT(UIImageView, UIView)
public:
    ~UIImageView() override;

    const UIImageRef& image() const { return m_image; }
    void setImage(const UIImageRef& image);
    const UIImageRef& highlightedImage() const { return m_highlightedImage; }
    void setHighlightedImage(const UIImageRef& image);
    bool isHighlighted() const { return m_highlighted; }
    void setHighlighted(bool highlighted);

    const std::vector<UIImageRef>& animationImages() const { return m_animationImages; }
    void setAnimationImages(std::vector<UIImageRef> images);
    // Seconds for one pass; 0 means a thirtieth of a second per frame.
    NSTimeInterval animationDuration() const { return m_animationDuration; }
    void setAnimationDuration(NSTimeInterval duration);
    NSInteger animationRepeatCount() const { return m_animationRepeatCount; }
    void setAnimationRepeatCount(NSInteger count);
    // Starting without animation images does nothing.
    void startAnimating();
    void stopAnimating();
    bool isAnimating() const { return m_animating; }

    // The picture on screen now: a frame, the highlighted image or the image; nil for none.
    UIImageRef displayedImage() const;

    CGSize sizeThatFits(CGSize size) const override;
    CGSize intrinsicContentSize() const override;
    bool displayLayer(CALayer& layer) override;

protected:
    void init(CGRect frame) override;
    // Framed to the image's size.
    void init(const UIImageRef& image);
    void init(const UIImageRef& image, const UIImageRef& highlightedImage);

private:
    const std::vector<UIImageRef>& playingFrames() const;
    NSTimeInterval playingDuration() const;
    void restartClock();
    void tick();
    void displayedImageMayHaveChanged();

    UIImageRef m_image;
    UIImageRef m_highlightedImage;
    bool m_highlighted { false };
    std::vector<UIImageRef> m_animationImages;
    NSTimeInterval m_animationDuration { 0 };
    NSInteger m_animationRepeatCount { 0 };
    bool m_animating { false };
    std::shared_ptr<NSTimer> m_timer;
    NSTimeInterval m_startTime { 0 };
    std::size_t m_frameIndex { 0 };
};

using UIImageViewRef = std::shared_ptr<UIImageView>;
