#pragma once
// Short notices over any view: a dark rounded panel with a message (and optionally a title and an
// image) at the top, the centre or the bottom of the view, or at a point. It fades in for 0.2 s,
// stays for its duration, then fades out; a tap hides it early. Toasts are not queued: each call
// adds its own panel. Main thread only.
//
//     Toast::makeToast(view(), "评价成功！", 1.0, "center");

#include "platform/text/NSParagraphStyle.h"
#include "platform/text/UIFont.h"
#include "platform/uikit/UIImage.h"
#include "platform/uikit/UIView.h"

#include <functional>

namespace Toast {

inline constexpr NSTimeInterval kDefaultDuration = 3.0;

// Positions: a string "top" or "center" (any case), any other string or nil the bottom, 10 points
// from the edge; an NSValue holding a CGPoint puts the toast's centre there.
void makeToast(const UIViewRef& view, const NSString& message);
void makeToast(const UIViewRef& view, const NSString& message, NSTimeInterval duration, const id& position);
void makeToast(const UIViewRef& view, const NSString& message, NSTimeInterval duration, const id& position, const NSString& title);
void makeToast(const UIViewRef& view, const NSString& message, NSTimeInterval duration, const id& position, const UIImageRef& image);
void makeToast(const UIViewRef& view, const NSString& message, NSTimeInterval duration, const id& position,
    const NSString& title, const UIImageRef& image);

void showToast(const UIViewRef& view, const UIViewRef& toast);
void showToast(const UIViewRef& view, const UIViewRef& toast, NSTimeInterval duration, const id& position);
void showToast(const UIViewRef& view, const UIViewRef& toast, NSTimeInterval duration, const id& position,
    std::function<void()> tapCallback);
void hideToast(const UIViewRef& view, const UIViewRef& toast);

// A spinner on a dark square until hideToastActivity; one per view.
void makeToastActivity(const UIViewRef& view);
void makeToastActivity(const UIViewRef& view, const id& position);
void hideToastActivity(const UIViewRef& view);

CGPoint centerPointForPosition(const UIViewRef& view, const id& position, const UIViewRef& toast);
CGSize sizeForString(const NSString& string, const UIFontRef& font, CGSize constrainedToSize, NSLineBreakMode lineBreakMode);
// Nil when message, title and image are all nil.
UIViewRef viewForMessage(const UIViewRef& view, const NSString& message, const NSString& title, const UIImageRef& image);

} // namespace Toast
