#pragma once

#include "app/screens/base/NoXibViewController.h"
#include "platform/uikit/UIWebView.h"

// One HTML page of the application's resources under a given title, loaded again every time the
// screen comes into view. There is no script to fit the page to the view: the pages declare
// their viewport as the device's width.
class WebViewViewController : public NoXibViewController, public UIWebViewDelegate {
    NS_OBJECT(WebViewViewController, NoXibViewController)
public:
    // "title": the bar's text; "url": the page's resource name without ".html".
    const std::shared_ptr<NSDictionary>& data() const { return m_data; }
    void setData(const std::shared_ptr<NSDictionary>& data) { m_data = data; }
    const std::shared_ptr<UIWebView>& webView() const { return m_webView; }

    void loadView() override;
    void viewWillAppear(bool animated) override;
    void didFailLoadWithError(UIWebView&, const std::shared_ptr<NSError>&) override;
    // The page's text as last loaded; nil when it could not be read.
    const NSString& pageText() const { return m_pageText; }

private:
    void showLoadFailure();

    std::shared_ptr<NSDictionary> m_data;
    std::shared_ptr<UIWebView> m_webView;
    NSString m_pageText;
};
