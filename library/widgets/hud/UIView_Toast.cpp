#include "library/widgets/hud/UIView_Toast.h"

#include "library/widgets/hud/ScreenWindow.h"

#include "platform/foundation/NSAssertMainThread.h"
#include "platform/foundation/NSTimer.h"
#include "platform/layers/NSValueGeometry.h"
#include "platform/text/UIStringDrawing.h"
#include "platform/uikit/UIActivityIndicatorView.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UITapGestureRecognizer.h"

#include <algorithm>
#include <cmath>

namespace Toast {

namespace {

constexpr CGFloat kMargin = 10;
constexpr CGFloat kCornerRadius = 10;
constexpr CGFloat kMaxWidthFraction = 0.8;
constexpr CGFloat kMaxHeightFraction = 0.8;
constexpr CGFloat kFontSize = 16;
constexpr CGFloat kImageSize = 80;
constexpr CGFloat kActivitySize = 100;
constexpr NSTimeInterval kFadeDuration = 0.2;

// The tap recogniser carries what the toast's own state would be: its hiding timer and the block
// a tap runs. It lives as long as the toast.
class ToastTapRecognizer : public UITapGestureRecognizer {
    NS_OBJECT(ToastTapRecognizer, UITapGestureRecognizer)
public:
    ~ToastTapRecognizer() override
    {
        if (auto pending = timer.lock())
            pending->invalidate();
    }
    // The run loop keeps the timer until it fires; held strongly here it would keep the toast it
    // hides, which keeps this recogniser.
    std::weak_ptr<NSTimer> timer;
    std::function<void()> tapCallback;

protected:
    void init() { UITapGestureRecognizer::init(); }
};

// The activity toast shown in each view; the view holds it through its subviews as well.
std::vector<std::pair<std::weak_ptr<UIView>, UIViewRef>>& activityViews()
{
    static std::vector<std::pair<std::weak_ptr<UIView>, UIViewRef>> views;
    std::erase_if(views, [](const auto& entry) { return entry.first.expired(); });
    return views;
}

UIViewRef activityViewOf(const UIViewRef& view)
{
    for (const auto& [host, activity] : activityViews())
        if (host.lock() == view)
            return activity;
    return nullptr;
}

void dressAsToast(UIView& panel)
{
    panel.setAutoresizingMask(UIViewAutoresizingFlexibleLeftMargin | UIViewAutoresizingFlexibleRightMargin
        | UIViewAutoresizingFlexibleTopMargin | UIViewAutoresizingFlexibleBottomMargin);
    panel.layer()->setCornerRadius(kCornerRadius);
    panel.layer()->setShadowColor(UIColor::blackColor()->CGColor());
    panel.layer()->setShadowOpacity(0.8f);
    panel.layer()->setShadowRadius(6);
    panel.layer()->setShadowOffset(CGSizeMake(4, 4));
    panel.setBackgroundColor(UIColor::blackColor()->colorWithAlphaComponent(0.8));
}

std::shared_ptr<UILabel> textLabel(const NSString& text, const UIFontRef& font, NSTextAlignment alignment)
{
    auto label = UILabel::create(CGRectZero);
    label->setNumberOfLines(0);
    label->setFont(font);
    label->setTextAlignment(alignment);
    label->setLineBreakMode(NSLineBreakByWordWrapping);
    label->setTextColor(UIColor::whiteColor());
    label->setBackgroundColor(UIColor::clearColor());
    label->setAlpha(1);
    label->setText(text);
    return label;
}

void handleToastTapped(ToastTapRecognizer& recognizer)
{
    if (auto timer = recognizer.timer.lock())
        timer->invalidate();
    auto toast = recognizer.view();
    auto callback = recognizer.tapCallback;
    if (callback)
        callback();
    if (toast)
        hideToast(toast->superview(), toast);
}

} // namespace

void makeToast(const UIViewRef& view, const NSString& message) { makeToast(view, message, kDefaultDuration, nullptr); }

void makeToast(const UIViewRef& view, const NSString& message, NSTimeInterval duration, const id& position)
{
    makeToast(view, message, duration, position, NSString(), nullptr);
}

void makeToast(const UIViewRef& view, const NSString& message, NSTimeInterval duration, const id& position, const NSString& title)
{
    makeToast(view, message, duration, position, title, nullptr);
}

void makeToast(const UIViewRef& view, const NSString& message, NSTimeInterval duration, const id& position, const UIImageRef& image)
{
    makeToast(view, message, duration, position, NSString(), image);
}

void makeToast(const UIViewRef& view, const NSString& message, NSTimeInterval duration, const id& position,
    const NSString& title, const UIImageRef& image)
{
    if (auto toast = viewForMessage(view, message, title, image))
        showToast(view, toast, duration, position);
}

void showToast(const UIViewRef& view, const UIViewRef& toast) { showToast(view, toast, kDefaultDuration, nullptr); }

void showToast(const UIViewRef& view, const UIViewRef& toast, NSTimeInterval duration, const id& position)
{
    showToast(view, toast, duration, position, nullptr);
}

void showToast(const UIViewRef& requested, const UIViewRef& toast, NSTimeInterval duration, const id& position,
    std::function<void()> tapCallback)
{
    NSAssertMainThread();
    if (!requested || !toast)
        return;
    // An alert's window would take the toast away with it as it fades.
    const UIViewRef view = ScreenWindow::hostFor(requested);
    toast->setCenter(centerPointForPosition(view, position, toast));
    toast->setAlpha(0);
    auto recognizer = ToastTapRecognizer::create();
    recognizer->addTarget(nullptr, [](UIGestureRecognizer& sender) {
        if (auto* tap = dynamic_cast<ToastTapRecognizer*>(&sender))
            handleToastTapped(*tap);
    });
    toast->addGestureRecognizer(recognizer);
    toast->setUserInteractionEnabled(true);
    toast->setExclusiveTouch(true);
    view->addSubview(toast);

    std::weak_ptr<UIView> weakView = view;
    std::weak_ptr<ToastTapRecognizer> weakRecognizer = recognizer;
    UIView::animateWithDuration(kFadeDuration, 0, UIViewAnimationOptionCurveEaseOut | UIViewAnimationOptionAllowUserInteraction,
        [toast] { toast->setAlpha(1); },
        [weakView, toast, weakRecognizer, duration, tapCallback = std::move(tapCallback)](bool) {
            // The timer keeps the host and the toast until it fires, as the platform's would.
            auto host = weakView.lock();
            auto timer = NSTimer::scheduledTimerWithTimeInterval(duration, [host, toast](const auto&) {
                hideToast(host, toast);
            }, false);
            if (auto recognizer = weakRecognizer.lock()) {
                recognizer->timer = timer;
                recognizer->tapCallback = tapCallback;
            }
        });
}

void hideToast(const UIViewRef&, const UIViewRef& toast)
{
    if (!toast)
        return;
    UIView::animateWithDuration(kFadeDuration, 0, UIViewAnimationOptionCurveEaseIn | UIViewAnimationOptionBeginFromCurrentState,
        [toast] { toast->setAlpha(0); },
        [toast](bool) { toast->removeFromSuperview(); });
}

void makeToastActivity(const UIViewRef& view) { makeToastActivity(view, NSString("center")); }

void makeToastActivity(const UIViewRef& view, const id& position)
{
    NSAssertMainThread();
    if (!view || activityViewOf(view))
        return;
    auto activity = UIView::create(CGRectMake(0, 0, kActivitySize, kActivitySize));
    activity->setCenter(centerPointForPosition(view, position, activity));
    dressAsToast(*activity);
    activity->setAlpha(0);
    auto spinner = UIActivityIndicatorView::create(UIActivityIndicatorViewStyleWhiteLarge);
    spinner->setCenter(CGPointMake(kActivitySize / 2, kActivitySize / 2));
    activity->addSubview(spinner);
    spinner->startAnimating();
    activityViews().emplace_back(view, activity);
    view->addSubview(activity);
    UIView::animateWithDuration(kFadeDuration, 0, UIViewAnimationOptionCurveEaseOut, [activity] { activity->setAlpha(1); }, nullptr);
}

void hideToastActivity(const UIViewRef& view)
{
    auto activity = activityViewOf(view);
    if (!activity)
        return;
    std::weak_ptr<UIView> weakView = view;
    UIView::animateWithDuration(kFadeDuration, 0, UIViewAnimationOptionCurveEaseIn | UIViewAnimationOptionBeginFromCurrentState,
        [activity] { activity->setAlpha(0); },
        [activity, weakView](bool) {
            activity->removeFromSuperview();
            auto host = weakView.lock();
            std::erase_if(activityViews(), [&](const auto& entry) { return entry.first.lock() == host && entry.second == activity; });
        });
}

CGPoint centerPointForPosition(const UIViewRef& view, const id& position, const UIViewRef& toast)
{
    const CGSize size = view->bounds().size;
    const CGFloat toastHeight = toast->frame().size.height;
    if (auto text = NSString::fromId(position); !text.isNil()) {
        if (text.caseInsensitiveCompare("top") == NSOrderedSame)
            return CGPointMake(size.width / 2, toastHeight / 2 + kMargin);
        if (text.caseInsensitiveCompare("center") == NSOrderedSame)
            return CGPointMake(size.width / 2, size.height / 2);
    } else if (auto value = std::dynamic_pointer_cast<NSValue>(position); value && value->holds<CGPoint>()) {
        return NSValueGeometry::CGPointValue(value);
    }
    return CGPointMake(size.width / 2, size.height - toastHeight / 2 - kMargin);
}

CGSize sizeForString(const NSString& string, const UIFontRef& font, CGSize constrainedToSize, NSLineBreakMode lineBreakMode)
{
    const CGSize size = UIStringDrawing::sizeWithFont(string, font, constrainedToSize, lineBreakMode);
    return CGSizeMake(std::ceil(float(size.width)), std::ceil(float(size.height)));
}

UIViewRef viewForMessage(const UIViewRef& view, const NSString& message, const NSString& title, const UIImageRef& image)
{
    if (message.isNil() && title.isNil() && !image)
        return nullptr;
    const CGSize hostSize = view ? view->bounds().size : CGSizeZero;
    auto wrapper = UIView::create(CGRectZero);
    dressAsToast(*wrapper);

    std::shared_ptr<UIImageView> imageView;
    CGFloat imageLeft = 0, imageWidth = 0, imageHeight = 0;
    if (image) {
        imageView = UIImageView::create(image);
        imageView->setContentMode(UIViewContentMode::ScaleAspectFit);
        imageView->setFrame(CGRectMake(kMargin, kMargin, kImageSize, kImageSize));
        imageLeft = kMargin;
        imageWidth = imageHeight = kImageSize;
    }
    const CGSize largest = CGSizeMake(hostSize.width * kMaxWidthFraction - imageWidth, hostSize.height * kMaxHeightFraction);

    std::shared_ptr<UILabel> titleLabel;
    if (!title.isNil()) {
        titleLabel = textLabel(title, UIFont::boldSystemFontOfSize(kFontSize), NSTextAlignmentLeft);
        const CGSize size = sizeForString(title, titleLabel->font(), largest, NSLineBreakByWordWrapping);
        titleLabel->setFrame(CGRectMake(0, 0, size.width, size.height));
    }
    std::shared_ptr<UILabel> messageLabel;
    if (!message.isNil()) {
        messageLabel = textLabel(message, UIFont::systemFontOfSize(kFontSize), NSTextAlignmentLeft);
        const CGSize size = sizeForString(message, messageLabel->font(), largest, NSLineBreakByWordWrapping);
        messageLabel->setFrame(CGRectMake(0, 0, size.width, size.height));
    }

    const CGFloat textLeft = imageLeft + imageWidth + kMargin;
    const CGSize titleSize = titleLabel ? titleLabel->bounds().size : CGSizeZero;
    const CGSize messageSize = messageLabel ? messageLabel->bounds().size : CGSizeZero;
    const CGFloat titleLeft = titleLabel ? textLeft : 0;
    const CGFloat messageLeft = messageLabel ? textLeft : 0;
    const CGFloat titleTop = titleLabel ? kMargin : 0;
    const CGFloat messageTop = messageLabel ? (titleLabel ? kMargin + titleSize.height + kMargin : kMargin) : 0;

    const CGFloat width = std::max(imageWidth + kMargin * 2,
        std::max(titleLeft, messageLeft) + std::max(titleSize.width, messageSize.width) + kMargin);
    const CGFloat lowerBottom = messageLabel ? messageTop + messageSize.height : (titleLabel ? titleTop + titleSize.height : 0);
    const CGFloat height = std::max(imageHeight + kMargin * 2, lowerBottom + kMargin);

    wrapper->setFrame(CGRectMake(0, 0, width, height));
    if (titleLabel) {
        titleLabel->setFrame(CGRectMake(titleLeft, kMargin, titleSize.width, titleSize.height));
        wrapper->addSubview(titleLabel);
    }
    if (messageLabel) {
        messageLabel->setFrame(CGRectMake(messageLeft, messageTop, messageSize.width, messageSize.height));
        wrapper->addSubview(messageLabel);
    }
    if (imageView)
        wrapper->addSubview(imageView);
    return wrapper;
}

} // namespace Toast
