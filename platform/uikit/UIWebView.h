#pragma once
// A view that shows an HTML page: from a text with a base URL, from a file of the bundle, or from
// the network through the URL loading layer. The page is laid out at its viewport's width (the
// width its viewport declaration asks for, else 980 CSS pixels) and, with scalesPageToFit, scaled
// down to the view's width; it scrolls vertically in scrollView(). A tap on a link asks the
// delegate, then follows it. Loads end asynchronously on the main run loop: didStartLoad, then
// didFinishLoad or didFailLoadWithError (a missing file, an unreachable host). Pictures and style
// sheets of a page from the network follow it in the background and are laid in as they arrive;
// one that fails leaves the page without it. Only a page read from a file (or given with a file
// URL as its base) reads local files: page files and the pictures and style sheets they name are
// read on a queue of their own, from regular files only, within a size and a time. A page larger
// than a megabyte fails to load; one nested deeper than anyone writes is laid out flattened.
//
// There is no script engine: stringByEvaluatingJavaScriptFromString answers the title for
// "document.title" and nil for anything else.

#include "platform/net/NSURLRequest.h"
#include "platform/uikit/UIScrollView.h"

class NSTimer;
class NSURLConnection;
class UIWebView;
class WebDocumentContainer;
class WebDocumentView;
class WebPageLoader;

enum UIWebViewNavigationType : NSInteger {
    UIWebViewNavigationTypeLinkClicked = 0,
    UIWebViewNavigationTypeFormSubmitted = 1,
    UIWebViewNavigationTypeBackForward = 2,
    UIWebViewNavigationTypeReload = 3,
    UIWebViewNavigationTypeFormResubmitted = 4,
    UIWebViewNavigationTypeOther = 5,
};

class UIWebViewDelegate {
public:
    virtual ~UIWebViewDelegate() = default;
    // nullopt: not implemented, and the load goes ahead.
    virtual std::optional<bool> shouldStartLoadWithRequest(UIWebView&, const std::shared_ptr<NSURLRequest>&,
        UIWebViewNavigationType)
    {
        return std::nullopt;
    }
    virtual void webViewDidStartLoad(UIWebView&) { }
    virtual void webViewDidFinishLoad(UIWebView&) { }
    virtual void didFailLoadWithError(UIWebView&, const std::shared_ptr<NSError>&) { }
};

class UIWebView : public UIView {
    NS_OBJECT(UIWebView, UIView)
public:
    ~UIWebView() override;

    std::shared_ptr<UIWebViewDelegate> delegate() const { return m_delegate.lock(); }
    void setDelegate(const std::shared_ptr<UIWebViewDelegate>& delegate) { m_delegate = delegate; }

    // A nil base URL resolves nothing relative; a directory's file URL ends in "/".
    void loadHTMLString(const NSString& string, const std::shared_ptr<NSURL>& baseURL);
    void loadRequest(const std::shared_ptr<NSURLRequest>& request);
    void stopLoading();
    void reload();
    bool isLoading() const { return m_loading; }
    // The request of the page shown or being loaded.
    const std::shared_ptr<NSURLRequest>& request() const { return m_request; }

    NSString stringByEvaluatingJavaScriptFromString(const NSString& script) const;

    bool scalesPageToFit() const { return m_scalesPageToFit; }
    void setScalesPageToFit(bool scales);
    const std::shared_ptr<UIScrollView>& scrollView() const { return m_scrollView; }

    // The page's layout width in CSS pixels, and how many points one CSS pixel takes.
    CGFloat layoutWidth() const { return m_layoutWidth; }
    CGFloat pageScale() const { return m_pageScale; }

    void layoutSubviews() override;

protected:
    void init(CGRect frame) override;

private:
    friend class WebDocumentView;
    friend class WebPageLoader;

    void startLoad(const std::shared_ptr<NSURLRequest>& request);
    void readLocalPage(std::uint64_t load, const std::shared_ptr<NSURL>& URL);
    void showPage(std::uint64_t load, const std::string& html, const std::shared_ptr<NSURL>& baseURL);
    void failLoad(std::uint64_t load, const std::shared_ptr<NSError>& error);
    void remoteImageArrived(const NSString& URL, const std::shared_ptr<NSData>& data);
    void fetchRemoteImage(const std::shared_ptr<NSURL>& URL);
    void fetchRemoteStyleSheet(const std::shared_ptr<NSURL>& URL);
    void remoteStyleSheetArrived(std::uint64_t load, const NSString& URL, std::string text);
    void linkClicked(const NSString& href);
    bool mayLoad(const std::shared_ptr<NSURLRequest>& request, UIWebViewNavigationType type);
    void relayout();
    void documentTapped(CGPoint pointInContent);

    std::weak_ptr<UIWebViewDelegate> m_delegate;
    std::shared_ptr<UIScrollView> m_scrollView;
    std::shared_ptr<WebDocumentView> m_documentView;
    std::shared_ptr<WebDocumentContainer> m_container;
    std::shared_ptr<NSURLRequest> m_request;
    std::shared_ptr<NSURLConnection> m_connection;
    std::shared_ptr<NSTimer> m_localReadTimer;
    // The page's pictures and style sheets on their way.
    std::vector<std::shared_ptr<NSURLConnection>> m_resourceConnections;
    // Each load has a number; a late step of an earlier load sees it is stale and does nothing.
    std::uint64_t m_load { 0 };
    bool m_loading { false };
    bool m_scalesPageToFit { false };
    CGFloat m_layoutWidth { 0 };
    CGFloat m_pageScale { 1 };
    CGSize m_laidOutFor;
};

using UIWebViewRef = std::shared_ptr<UIWebView>;
