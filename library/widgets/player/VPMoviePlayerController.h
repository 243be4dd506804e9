#pragma once
// A movie player with a control overlay of its own (VPMoviePlayerControls) instead of the
// platform's, and a fullscreen mode of its own: the player's view moves onto the key window over a
// black background, in the interface's orientation (a desktop window's own, upright); Escape
// leaves it. A network video that is not ready 20 s after play() is
// reported to the delegate (movieTimedOut); playback goes on. Main thread only.
//
//     auto player = VPMoviePlayerController::create(CGRectMake(0, 79, 320, 246));
//     player->setDelegate(screen);
//     player->setControls(VPMoviePlayerControls::create(player, VPMoviePlayerControlsStyleDefault));
//     player->setContentURL(url);   // plays

#include "platform/foundation/NSNotification.h"
#include "platform/media/MPMoviePlayerController.h"
#include "platform/uikit/UIApplication.h"

#include <functional>

class VPMoviePlayerControls;

inline constexpr const char* VPMoviePlayerContentURLDidChangeNotification = "VPMoviePlayerContentURLDidChangeNotification";
inline constexpr const char* VPMoviePlayerControllerException = "VPMoviePlayerController Exception";

class VPMoviePlayerControllerDelegate {
public:
    virtual ~VPMoviePlayerControllerDelegate() = default;
    // The player is leaving its fullscreen: put its view back in place and give it its frame.
    virtual void moviePlayerWillMoveFromWindow() = 0;
    virtual void movieTimedOut() { }
};

class VPMoviePlayerController : public MPMoviePlayerController {
    NS_OBJECT(VPMoviePlayerController, MPMoviePlayerController)
public:
    static constexpr NSTimeInterval kLoadTimeout = 20.0;

    ~VPMoviePlayerController() override;

    std::shared_ptr<VPMoviePlayerControllerDelegate> delegate() const { return m_delegate.lock(); }
    void setDelegate(const std::shared_ptr<VPMoviePlayerControllerDelegate>& delegate) { m_delegate = delegate; }
    const std::shared_ptr<VPMoviePlayerControls>& controls() const { return m_controls; }
    // Lays the overlay over the player's view; it must come before the first content URL.
    void setControls(const std::shared_ptr<VPMoviePlayerControls>& controls);
    const std::shared_ptr<UIView>& movieBackgroundView() const { return m_movieBackgroundView; }
    void setMovieBackgroundView(const std::shared_ptr<UIView>& view) { m_movieBackgroundView = view; }

    // Throws NSException (VPMoviePlayerControllerException) when no controls are set; otherwise
    // sets the URL, posts VPMoviePlayerContentURLDidChangeNotification and plays.
    void setContentURL(const std::shared_ptr<NSURL>& url);
    void setFrame(CGRect frame);

    void play() override;
    // Also ends the loading watch: a stopped movie is not late.
    void stop() override;

    bool isFullscreen() const { return m_movieFullscreen; }
    void setMovieFullscreen(bool fullscreen) { m_movieFullscreen = fullscreen; }
    void setFullscreen(bool fullscreen, bool animated) override;
    void setFullscreen(bool fullscreen) { setFullscreen(fullscreen, false); }

    void rotateMoviePlayerForOrientation(UIInterfaceOrientation orientation, bool animated, std::function<void()> completion);
    CGFloat statusBarHeightInOrientation(UIInterfaceOrientation orientation) const;
    void statusBarOrientationWillChange(const std::shared_ptr<NSNotification>& notification);

    // Whether the loading watch is running (for tests and the screen's diagnostics).
    bool isWatchingLoad() const { return m_watchingLoad; }
    void movieTimedOut();
    void videoLoadStateChanged(const std::shared_ptr<NSNotification>& notification);

protected:
    bool init(CGRect frame);

private:
    void endLoadWatch();

    bool m_movieFullscreen { false };
    bool m_watchingLoad { false };
    std::weak_ptr<VPMoviePlayerControllerDelegate> m_delegate;
    std::shared_ptr<VPMoviePlayerControls> m_controls;
    std::shared_ptr<UIView> m_movieBackgroundView;
};
