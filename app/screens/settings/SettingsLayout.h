#pragma once
// The pieces the settings, password, personal-data and about screens are laid out from.

#include "app/screens/base/ParentViewController.h"
#include "app/session/User.h"
#include "platform/text/UIFont.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UIScrollView.h"

namespace SettingsLayout {

// The session's user; nil before a login.
std::shared_ptr<User> currentUser();
// Every screen here: the grey background, clipped, the bar with its title and no right button.
void prepareScreen(ParentViewController& screen, const NSString& title);
// A clear scroller without indicators filling the view below the bar.
std::shared_ptr<UIScrollView> scrollerBelowBar(ParentViewController& screen);
// A half-point grey line along the bottom of the view; answers the line's bottom.
CGFloat separatorBelow(const std::shared_ptr<UIView>& parent, const UIView& above);
// The white section header with the red marker at its left edge.
std::shared_ptr<UIView> sectionHeader(CGRect frame, const NSString& text, CGFloat labelY);
std::shared_ptr<UIImageView> arrowIn(const std::shared_ptr<UIView>& row);
// The application's short version from its information list.
NSString shortVersion();
// Shows the placeholder, then the picture at the address through the shared image manager, or
// "img_gr" when there is none or it does not load. The photo's address carries the key of the
// session that may fetch it, new at each login; it is cached under its address without the key,
// so that each login finds the one copy instead of adding another.
void loadPhoto(const std::shared_ptr<UIImageView>& imageView, const UIImageRef& placeholder, const NSString& urlText);
// The address without the session's key, when it carries that key: the key the image manager
// caches such a picture under. Any other address is its own key.
NSString photoCacheKey(const std::shared_ptr<NSURL>& url, const NSString& sessionKey);
// The "key" value of the address's query, empty when it has none.
NSString sessionKeyOf(const NSString& address);

template <class Label = UILabel, class... Extra>
std::shared_ptr<Label> plainLabel(CGRect frame, const NSString& text, CGFloat fontSize, const UIColorRef& color, const UIColorRef& background,
    Extra&&... extra)
{
    auto label = Label::create(frame, std::forward<Extra>(extra)...);
    label->setBackgroundColor(background);
    label->setFont(UIFont::systemFontOfSize(fontSize));
    label->setTextColor(color);
    label->setText(text);
    return label;
}

} // namespace SettingsLayout
