#pragma once
// A heads-up display that covers its parent and draws a dark rounded box in the middle with an
// indicator (spinner, pie, ring, a custom view or none) above a bold label and a details label.
// It may wait a grace time before appearing, stays at least a minimum time, fades or zooms, and
// can run work on another thread while it is shown:
//
//     auto hud = PRProgressHUD::showHUDAddedTo(view(), true);
//     hud->setMode(PRProgressHUDModeDeterminate);
//     hud->setLabelText("正在下载");
//     ... hud->setProgress(0.5f);
//     hud->hide(true);
//
// The text, font, mode, custom view and progress setters may be called from any thread; the
// change reaches the views on the main thread. Everything else is main thread only.

#include "platform/foundation/Mutex.h"
#include "platform/foundation/NSDate.h"
#include "platform/foundation/NSTimer.h"
#include "platform/dispatch/dispatch.h"
#include "platform/uikit/UILabel.h"

#include <functional>

class PRProgressHUD;

enum PRProgressHUDMode : std::int32_t {
    PRProgressHUDModeIndeterminate = 0,
    PRProgressHUDModeDeterminate = 1,
    PRProgressHUDModeAnnularDeterminate = 2,
    PRProgressHUDModeCustomView = 3,
    PRProgressHUDModeText = 4,
};

enum PRProgressHUDAnimation : std::int32_t {
    PRProgressHUDAnimationFade = 0,
    PRProgressHUDAnimationZoom = 1,
};

class PRProgressHUDDelegate {
public:
    virtual ~PRProgressHUDDelegate() = default;
    virtual void hudWasHidden(PRProgressHUD&) { }
};

class PRProgressHUD : public UIView {
    NS_OBJECT(PRProgressHUD, UIView)
public:
    using CompletionBlock = std::function<void()>;
    ~PRProgressHUD() override;

    static std::shared_ptr<PRProgressHUD> showHUDAddedTo(const UIViewRef& view, bool animated);
    static bool hideHUDForView(const UIViewRef& view, bool animated);
    static NSUInteger hideAllHUDsForView(const UIViewRef& view, bool animated);
    static std::shared_ptr<PRProgressHUD> HUDForView(const UIViewRef& view);
    static std::vector<std::shared_ptr<PRProgressHUD>> allHUDsForView(const UIViewRef& view);

    void show(bool animated);
    void hide(bool animated);
    void hide(bool animated, NSTimeInterval afterDelay);
    // Runs the work on a thread of its own while the HUD is shown, then hides it.
    void showWhileExecuting(std::function<void()> method, bool animated);
    void showAnimated(bool animated, std::function<void()> whileExecutingBlock);
    void showAnimated(bool animated, std::function<void()> whileExecutingBlock, CompletionBlock completionBlock);
    void showAnimated(bool animated, std::function<void()> whileExecutingBlock, const dispatch_queue_t& onQueue);
    void showAnimated(bool animated, std::function<void()> whileExecutingBlock, const dispatch_queue_t& onQueue,
        CompletionBlock completionBlock);

    // Properties the HUD follows itself: settable from any thread.
    PRProgressHUDMode mode() const;
    void setMode(PRProgressHUDMode mode);
    UIViewRef customView() const;
    void setCustomView(const UIViewRef& view);
    NSString labelText() const;
    void setLabelText(const NSString& text);
    NSString detailsLabelText() const;
    void setDetailsLabelText(const NSString& text);
    UIFontRef labelFont() const;
    void setLabelFont(const UIFontRef& font);
    UIFontRef detailsLabelFont() const;
    void setDetailsLabelFont(const UIFontRef& font);
    float progress() const;
    void setProgress(float progress);

    bool isSquare() const { return m_square; }
    void setSquare(bool square) { m_square = square; }
    bool dimBackground() const { return m_dimBackground; }
    void setDimBackground(bool dim) { m_dimBackground = dim; }
    bool taskInProgress() const { return m_taskInProgress; }
    void setTaskInProgress(bool inProgress) { m_taskInProgress = inProgress; }
    bool removeFromSuperViewOnHide() const { return m_removeFromSuperViewOnHide; }
    void setRemoveFromSuperViewOnHide(bool remove) { m_removeFromSuperViewOnHide = remove; }
    PRProgressHUDAnimation animationType() const { return m_animationType; }
    void setAnimationType(PRProgressHUDAnimation type) { m_animationType = type; }
    float opacity() const { return m_opacity; }
    void setOpacity(float opacity) { m_opacity = opacity; }
    float xOffset() const { return m_xOffset; }
    void setXOffset(float offset) { m_xOffset = offset; }
    float yOffset() const { return m_yOffset; }
    void setYOffset(float offset) { m_yOffset = offset; }
    float margin() const { return m_margin; }
    void setMargin(float margin) { m_margin = margin; }
    float graceTime() const { return m_graceTime; }
    void setGraceTime(float seconds) { m_graceTime = seconds; }
    float minShowTime() const { return m_minShowTime; }
    void setMinShowTime(float seconds) { m_minShowTime = seconds; }
    std::shared_ptr<PRProgressHUDDelegate> delegate() const { return m_delegate.lock(); }
    void setDelegate(const std::shared_ptr<PRProgressHUDDelegate>& delegate) { m_delegate = delegate; }
    const CGColorRef& color() const { return m_color; }
    void setColor(const CGColorRef& color) { m_color = color; }
    const CompletionBlock& completionBlock() const { return m_completionBlock; }
    void setCompletionBlock(CompletionBlock block) { m_completionBlock = std::move(block); }
    CGSize minSize() const { return m_minSize; }
    void setMinSize(CGSize size) { m_minSize = size; }
    // The box found by the last layout.
    CGSize size() const { return m_size; }

    bool isFinished() const { return m_isFinished; }
    bool useAnimation() const { return m_useAnimation; }
    const std::shared_ptr<NSDate>& showStarted() const { return m_showStarted; }
    const UIViewRef& indicator() const { return m_indicator; }
    const UILabelRef& label() const { return m_label; }
    const UILabelRef& detailsLabel() const { return m_detailsLabel; }
    const std::shared_ptr<NSTimer>& graceTimer() const { return m_graceTimer; }
    const std::shared_ptr<NSTimer>& minShowTimer() const { return m_minShowTimer; }
    CGAffineTransform rotationTransform() const { return m_rotationTransform; }

    void layoutSubviews() override;
    void drawRect(CGRect rect) override;
    void deviceOrientationDidChange();

protected:
    void init(CGRect frame) override;
    void init(const UIViewRef& view);

private:
    enum class Keypath { Mode, CustomView, LabelText, LabelFont, DetailsLabelText, DetailsLabelFont, Progress };

    void handleGraceTimer();
    void handleMinShowTimer();
    void showUsingAnimation(bool animated);
    void hideUsingAnimation(bool animated);
    void done();
    // What a worker runs: the HUD and the work, both handed back to the main thread when done.
    struct Execution {
        std::shared_ptr<PRProgressHUD> hud;
        std::function<void()> work;
    };
    static void launchExecution(const std::shared_ptr<Execution>& execution);
    void executeInBackground(const std::function<void(std::function<void()>)>& start, std::function<void()> work);
    void cleanUp();
    void setupLabels();
    void updateIndicators();
    // The change of an observed property, applied now on the main thread or sent there.
    void observeValueForKeyPath(Keypath keypath);
    void updateUIForKeypath(Keypath keypath);
    void setTransformForCurrentOrientation(bool animated);

    bool m_useAnimation { false };
    std::function<void()> m_methodForExecution;
    UILabelRef m_label;
    UILabelRef m_detailsLabel;
    bool m_isFinished { false };
    CGAffineTransform m_rotationTransform { CGAffineTransformIdentity };
    bool m_square { false };
    bool m_dimBackground { false };
    bool m_taskInProgress { false };
    bool m_removeFromSuperViewOnHide { false };
    PRProgressHUDAnimation m_animationType { PRProgressHUDAnimationFade };
    float m_opacity { 0.8f };
    float m_xOffset { 0 };
    float m_yOffset { 0 };
    float m_margin { 20 };
    float m_graceTime { 0 };
    float m_minShowTime { 0 };
    std::weak_ptr<PRProgressHUDDelegate> m_delegate;
    CGColorRef m_color;
    UIViewRef m_indicator;
    std::shared_ptr<NSTimer> m_graceTimer;
    std::shared_ptr<NSTimer> m_minShowTimer;
    std::shared_ptr<NSDate> m_showStarted;
    CompletionBlock m_completionBlock;
    CGSize m_minSize { CGSizeZero };
    CGSize m_size { CGSizeZero };

    // The observed properties, which other threads may set.
    mutable Mutex m_observedMutex;
    PRProgressHUDMode m_mode GUARDED_BY(m_observedMutex) { PRProgressHUDModeIndeterminate };
    UIViewRef m_customView GUARDED_BY(m_observedMutex);
    NSString m_labelText GUARDED_BY(m_observedMutex);
    NSString m_detailsLabelText GUARDED_BY(m_observedMutex);
    UIFontRef m_labelFont GUARDED_BY(m_observedMutex);
    UIFontRef m_detailsLabelFont GUARDED_BY(m_observedMutex);
    float m_progress GUARDED_BY(m_observedMutex) { 0 };
};
