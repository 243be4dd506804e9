#include "app/screens/settings/SettingsLayout.h"

#include "app/AppDelegate.h"
#include "app/screens/base/InsetsLabel.h"
#include "app/screens/base/UIColor_Addition.h"
#include "library/network/images/RIImageManager.h"
#include "library/network/images/RIImageViewCategories.h"
#include "platform/foundation/NSBundle.h"
#include "platform/foundation/TypedValues.h"
#include "platform/uikit/UIImage.h"

#include <algorithm>
#include <string>

using UIColor_Addition::colorWithHexString;

namespace SettingsLayout {

std::shared_ptr<User> currentUser()
{
    auto delegate = AppDelegate::shared();
    return delegate ? delegate->user() : nullptr;
}

void prepareScreen(ParentViewController& screen, const NSString& title)
{
    auto view = screen.view();
    view->setBackgroundColor(colorWithHexString("f6f6f6"));
    view->setClipsToBounds(true);
    screen.m_viewNaviBar()->setRightBtn(nullptr);
    screen.m_viewNaviBar()->setTitle(title);
}
std::shared_ptr<UIScrollView> scrollerBelowBar(ParentViewController& screen)
{
    auto view = screen.view();
    const CGFloat y0 = screen.getNaviBarRect().size.height;
    auto scroller = UIScrollView::create(CGRectMake(0, y0, view->bounds().size.width, view->bounds().size.height - y0));
    scroller->setBackgroundColor(UIColor::clearColor());
    scroller->setShowsVerticalScrollIndicator(false);
    scroller->setShowsHorizontalScrollIndicator(false);
    view->addSubview(scroller);
    return scroller;
}
CGFloat separatorBelow(const std::shared_ptr<UIView>& parent, const UIView& above)
{
    auto line = UIView::create(CGRectMake(0, CGRectGetMaxY(above.frame()), above.frame().size.width, 0.5));
    line->setBackgroundColor(UIColor::lightGrayColor());
    parent->addSubview(line);
    return CGRectGetMaxY(line->frame());
}
std::shared_ptr<UIView> sectionHeader(CGRect frame, const NSString& text, CGFloat labelY)
{
    auto header = UIView::create(frame);
    header->setBackgroundColor(UIColor::whiteColor());
    header->addSubview(plainLabel<InsetsLabel>(CGRectMake(0, labelY, frame.size.width, 21), text, 16, UIColor::blackColor(),
        UIColor::whiteColor(), UIEdgeInsetsMake(0, 20, 0, 0)));
    auto marker = UILabel::create(CGRectMake(0, 0, 15, frame.size.height));
    marker->setBackgroundColor(colorWithHexString("e66444"));
    header->addSubview(marker);
    return header;
}
std::shared_ptr<UIImageView> arrowIn(const std::shared_ptr<UIView>& row)
{
    auto arrow = UIImage::imageNamed("ico_rig");
    const CGSize size = arrow ? arrow->size() : CGSizeMake(10, 16);
    auto view = UIImageView::create(CGRectMake(row->frame().size.width - 10 - size.width, (row->frame().size.height - size.height) / 2,
        size.width, size.height));
    view->setImage(arrow);
    row->addSubview(view);
    return view;
}
NSString shortVersion()
{
    return ns::stringValue(NSBundle::mainBundle()->objectForInfoDictionaryKey("CFBundleShortVersionString"));
}
NSString photoCacheKey(const std::shared_ptr<NSURL>& url, const NSString& sessionKey)
{
    if (!url)
        return NSString();
    const std::string address = url->absoluteString().UTF8String();
    const auto question = address.find('?');
    if (question == std::string::npos || sessionKey.length() == 0)
        return url->absoluteString();
    const auto hash = address.find('#', question);
    const std::string query = address.substr(question + 1, hash == std::string::npos ? std::string::npos : hash - question - 1);
    const std::string sessionItem = std::string("key=") + sessionKey.UTF8String();
    std::string kept;
    for (std::size_t at = 0; at <= query.size();) {
        const auto end = std::min(query.find('&', at), query.size());
        const std::string item = query.substr(at, end - at);
        if (!item.empty() && item != sessionItem) {
            kept += kept.empty() ? "?" : "&";
            kept += item;
        }
        at = end + 1;
    }
    return NSString(address.substr(0, question) + kept + (hash == std::string::npos ? std::string() : address.substr(hash)));
}

NSString sessionKeyOf(const NSString& address)
{
    const std::string text = address.length() ? address.UTF8String() : "";
    const auto question = text.find('?');
    if (question == std::string::npos)
        return NSString();
    const std::string query = text.substr(question + 1, text.find('#', question) - question - 1);
    for (std::size_t at = 0; at <= query.size();) {
        const auto end = std::min(query.find('&', at), query.size());
        if (query.compare(at, 4, "key=") == 0 && end > at + 4)
            return NSString(query.substr(at + 4, end - at - 4));
        at = end + 1;
    }
    return NSString();
}

void loadPhoto(const std::shared_ptr<UIImageView>& imageView, const UIImageRef& placeholder, const NSString& urlText)
{
    // Only the pictures that carry this session's key lose it from their cache key; any other
    // picture, whatever its address holds, keeps its own.
    if (const NSString sessionKey = sessionKeyOf(urlText); sessionKey.length()) {
        RIImageManager::sharedManager()->setCacheKeyFilter(
            [sessionKey](const std::shared_ptr<NSURL>& url) { return photoCacheKey(url, sessionKey); });
    }
    auto url = urlText.length() ? NSURL::URLWithString(urlText) : nullptr;
    UIImageView_RemoteImage::ri_setImageWithURL(imageView, url, placeholder, 0, nullptr,
        [weakView = std::weak_ptr<UIImageView>(imageView)](const UIImageRef& image, const std::shared_ptr<NSError>&, RIImageCacheType,
            const std::shared_ptr<NSURL>&) {
            auto view = weakView.lock();
            if (view && !image)
                view->setImage(UIImage::imageNamed("img_gr"));
        });
}
} // namespace SettingsLayout
