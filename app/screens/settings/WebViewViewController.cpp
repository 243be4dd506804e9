#include "app/screens/settings/WebViewViewController.h"

#include "app/screens/settings/SettingsLayout.h"
#include "library/widgets/hud/UIView_Toast.h"
#include "platform/foundation/NSBundle.h"
#include "platform/foundation/TypedValues.h"

using namespace SettingsLayout;

void WebViewViewController::loadView()
{
    NoXibViewController::loadView();
    prepareScreen(*this, ns::stringForKey(m_data, "title"));
    setAutomaticallyAdjustsScrollViewInsets(false);
    auto view = this->view();
    const CGFloat y0 = getNaviBarRect().size.height;
    m_webView = UIWebView::create(CGRectMake(0, y0, view->bounds().size.width, view->bounds().size.height - y0));
    m_webView->setScalesPageToFit(true);
    m_webView->setDelegate(std::static_pointer_cast<UIWebViewDelegate>(self()));
    view->addSubview(m_webView);
}

void WebViewViewController::viewWillAppear(bool animated)
{
    NoXibViewController::viewWillAppear(animated);
    auto bundle = NSBundle::mainBundle();
    const NSString path = bundle->pathForResource(ns::stringForKey(m_data, "url"), "html");
    m_pageText = path.isNil() ? NSString() : NSString::stringWithContentsOfFile(path, NSUTF8StringEncoding, nullptr);
    // A page that cannot be read would otherwise show as an empty page without a word.
    if (m_pageText.isNil())
        return showLoadFailure();
    m_webView->loadHTMLString(m_pageText, NSURL::fileURLWithPath(bundle->bundlePath(), true));
}

void WebViewViewController::didFailLoadWithError(UIWebView&, const std::shared_ptr<NSError>&) { showLoadFailure(); }

void WebViewViewController::showLoadFailure() { Toast::makeToast(view(), "加载失败!", 1.0, NSString("center")); }
