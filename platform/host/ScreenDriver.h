#pragma once
// What both hosts share: the picture of the screen (the compositor over the screen's layer),
// the run loop's turns between frames, and the turning of input into touches.

#include "platform/layers/LayerCompositor.h"
#include "platform/uikit/UIApplication.h"

class ScreenDriver : public NSObject {
    NS_OBJECT(ScreenDriver, NSObject)
public:
    static constexpr NSTimeInterval frameInterval = 1.0 / 60;
    // How long the screen rests, no frame drawn, before the pages the font files were read
    // through are let go. Longer than the client's steady cadences of redrawing (a countdown
    // ticking each second, taps and keys in a burst), during which the next frame reads the
    // same glyphs again; short enough that the memory comes back soon after a screen settles.
    static constexpr NSTimeInterval fontPagesRest = 2.0;

    const std::shared_ptr<LayerCompositor>& compositor() const { return m_compositor; }
    // Commits pending layer changes; true when the screen shows something new since the last frame.
    bool needsFrame() const;
    // Draws a frame if one is needed; true when it did. When none is, and the screen has rested
    // fontPagesRest since the last (on the host's clock), lets go of the font files' pages once.
    bool renderFrameIfNeeded();
    void renderFrame();
    // How many times the font files' pages were let go.
    NSUInteger fontPageReleaseCount() const { return m_fontPageReleases; }

    // A screen point in straight RGBA, from the last frame.
    std::array<uint8_t, 4> pixelAt(CGPoint point) const;
    bool writePNG(const NSString& path);
    // The view alone, drawn again at the screen's scale, origin at its bounds' top left.
    static bool writePNG(const std::shared_ptr<UIView>& view, const NSString& path);
    // The window's views as indented lines: class, frame, text and hidden.
    static NSString viewTree(const std::shared_ptr<UIView>& root);

    // Where the view's centre is on the screen; nothing when it is in no window.
    static std::optional<CGPoint> screenPointOfView(const std::shared_ptr<UIView>& view);

protected:
    // At the screen's scale, or drawn at another number of pixels a point (a dense display).
    void init() { init(0); }
    void init(CGFloat scale);

private:
    void didDrawFrame();

    std::shared_ptr<LayerCompositor> m_compositor;
    NSTimeInterval m_lastFrame { 0 };
    // Whether glyphs may have been read since the pages were last let go.
    bool m_fontPagesRead { true };
    NSUInteger m_fontPageReleases { 0 };
};
