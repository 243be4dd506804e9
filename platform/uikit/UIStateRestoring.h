#pragma once
// State restoration: a controller that takes part writes what it needs to come back as it was
// into a keyed archive and reads it back. Controllers it refers to are written by their
// restoration identifier and found again among the living controllers that carry one, as the
// platform's restoration finds them by their identifier path:
//
//     UIStateRestoration::setRestorationIdentifier(menu, "menu");
//     auto state = UIStateRestoration::archiveRestorableState(*drawer);
//     ... later, with the controllers made again and given their identifiers:
//     UIStateRestoration::restoreState(*drawer, state);

#include "platform/foundation/NSCoder.h"
#include "platform/uikit/UIViewController.h"

class UIStateRestoring {
public:
    virtual ~UIStateRestoring() = default;
    virtual void encodeRestorableStateWithCoder(NSCoder& coder) { (void)coder; }
    virtual void decodeRestorableStateWithCoder(NSCoder& coder) { (void)coder; }
};

namespace UIStateRestoration {

// Main thread only. A nil or empty identifier takes the controller out of restoration.
void setRestorationIdentifier(const UIViewControllerRef& controller, const NSString& identifier);
NSString restorationIdentifier(const UIViewController& controller);
// The living controller with the identifier; nil when none.
UIViewControllerRef viewControllerWithRestorationIdentifier(const NSString& identifier);

// A controller without identifier is not written, so it is absent when read back.
void encodeViewController(NSCoder& coder, const UIViewControllerRef& controller, const NSString& key);
UIViewControllerRef decodeViewController(NSCoder& coder, const NSString& key);

std::shared_ptr<NSData> archiveRestorableState(UIStateRestoring& object);
// False for data that is no restoration archive; the object is then left as it was.
bool restoreState(UIStateRestoring& object, const std::shared_ptr<NSData>& data);

} // namespace UIStateRestoration
