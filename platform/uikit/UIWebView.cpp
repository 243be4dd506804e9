#include "platform/uikit/UIWebView.h"

#include "platform/foundation/NSAssertMainThread.h"
#include "platform/foundation/NSData.h"
#include "platform/foundation/NSDictionary.h"
#include "platform/foundation/NSError.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/foundation/NSTimer.h"
#include "platform/graphics/UIGraphics.h"
#include "platform/net/NSHTTPURLResponse.h"
#include "platform/net/NSURLConnection.h"
#include "platform/net/NSURLError.h"
#include "platform/net/NSURLResponse.h"
#include "platform/uikit/UIColor.h"
#include "platform/uikit/UITapGestureRecognizer.h"
#include "platform/uikit/WebDocumentContainer.h"
#include "platform/uikit/WebLocalFile.h"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace {

// The width a page without a viewport declaration is laid out at, as on the platform.
constexpr CGFloat defaultLayoutWidth = 980;
// A picture larger than this fails to load rather than fill the memory.
constexpr std::size_t largestDownload = 32 * 1024 * 1024;
// Nor is a larger page shown: laid out, each of its characters takes tens of bytes.
constexpr std::size_t largestPage = 1024 * 1024;
// A page file not read in this time fails to load.
constexpr std::chrono::seconds localReadTimeLimit { 10 };

std::shared_ptr<NSError> loadError(NSInteger code, const std::shared_ptr<NSURL>& URL, const NSString& description)
{
    auto info = NSMutableDictionary::dictionary();
    info->setObject(NSString(description), NSLocalizedDescriptionKey);
    if (URL) {
        info->setObject(URL, NSURLErrorFailingURLErrorKey);
        info->setObject(URL->absoluteString(), NSURLErrorFailingURLStringErrorKey);
    }
    return NSError::errorWithDomain(NSURLErrorDomain, code, info);
}

bool isHTTP(const std::shared_ptr<NSURL>& URL)
{
    const NSString scheme = URL ? URL->scheme().lowercaseString() : NSString();
    return scheme == NSString("http") || scheme == NSString("https");
}

} // namespace

// Follows the visible part of the scroll view's content and draws the page there, so that a long
// page never needs a backing store of its whole height.
class WebDocumentView : public UIView {
    NS_OBJECT(WebDocumentView, UIView)
public:
    void drawRect(CGRect rect) override
    {
        auto webView = m_webView.lock();
        auto context = UIGraphicsGetCurrentContext();
        if (!webView || !context || !webView->m_container)
            return;
        const CGPoint origin = frame().origin;
        const CGFloat scale = webView->m_pageScale;
        CGContextSaveGState(context);
        CGContextTranslateCTM(context, -origin.x, -origin.y);
        CGContextScaleCTM(context, scale, scale);
        const CGRect clip = CGRectMake((rect.origin.x + origin.x) / scale, (rect.origin.y + origin.y) / scale,
            rect.size.width / scale, rect.size.height / scale);
        webView->m_container->draw(context, clip);
        CGContextRestoreGState(context);
    }

    void tapped(UITapGestureRecognizer& tap)
    {
        if (auto webView = m_webView.lock()) {
            const CGPoint point = tap.locationInView(self());
            webView->documentTapped(CGPointMake(point.x + frame().origin.x, point.y + frame().origin.y));
        }
    }

protected:
    void init(const std::shared_ptr<UIWebView>& webView)
    {
        UIView::init(CGRectZero);
        m_webView = webView;
        setBackgroundColor(UIColor::whiteColor());
        addGestureRecognizer(UITapGestureRecognizer::create(self(), &WebDocumentView::tapped));
    }

private:
    std::weak_ptr<UIWebView> m_webView;
};

namespace {

// The scroll view of a web view: every move of its content moves the page's view along.
class WebScrollView : public UIScrollView {
    NS_OBJECT(WebScrollView, UIScrollView)
public:
    std::function<void()> didMove;

    void setBounds(CGRect bounds) override
    {
        UIScrollView::setBounds(bounds);
        if (didMove)
            didMove();
    }
};

} // namespace

// Receives a page, a picture or a style sheet from the network for a web view that may be gone by
// then.
class WebPageLoader : public NSURLConnectionDelegate {
public:
    enum class Kind { Page, Image, StyleSheet };

    WebPageLoader(const std::shared_ptr<UIWebView>& webView, std::uint64_t load, Kind kind, NSString resourceKey = nullptr)
        : m_webView(webView)
        , m_load(load)
        , m_kind(kind)
        , m_resourceKey(std::move(resourceKey))
    {
    }

    void didReceiveResponse(NSURLConnection&, const std::shared_ptr<NSURLResponse>& response) override
    {
        if (response && response->URL())
            m_URL = response->URL();
        // An error page is no picture or style sheet, whatever its body says.
        auto http = std::dynamic_pointer_cast<NSHTTPURLResponse>(response);
        m_refused = m_kind != Kind::Page && http && http->statusCode() >= 400;
        m_body.clear();
    }
    void didReceiveData(NSURLConnection& connection, const std::shared_ptr<NSData>& data) override
    {
        if (!data || m_tooLarge)
            return;
        if (m_body.size() + data->length() > (m_kind == Kind::Page ? largestPage : largestDownload)) {
            m_tooLarge = true;
            connection.cancel();
            didFailWithError(connection, loadError(NSURLErrorDataLengthExceedsMaximum, m_URL, "The page is too large."));
            return;
        }
        m_body.append(reinterpret_cast<const char*>(data->bytes()), data->length());
    }
    void connectionDidFinishLoading(NSURLConnection& connection) override
    {
        auto webView = m_webView.lock();
        if (!webView)
            return;
        switch (m_kind) {
        case Kind::Image:
            if (!m_refused)
                webView->remoteImageArrived(m_resourceKey, NSData::dataWithBytes(m_body.data(), m_body.size()));
            return;
        case Kind::StyleSheet:
            webView->remoteStyleSheetArrived(m_load, m_resourceKey, m_refused ? std::string() : std::move(m_body));
            return;
        case Kind::Page:
            webView->showPage(m_load, m_body, m_URL ? m_URL : connection.originalRequest()->URL());
            return;
        }
    }
    void didFailWithError(NSURLConnection&, const std::shared_ptr<NSError>& error) override
    {
        auto webView = m_webView.lock();
        if (!webView)
            return;
        if (m_kind == Kind::Page)
            webView->failLoad(m_load, error);
        else if (m_kind == Kind::StyleSheet)
            webView->remoteStyleSheetArrived(m_load, m_resourceKey, std::string());
    }

private:
    std::weak_ptr<UIWebView> m_webView;
    std::uint64_t m_load;
    Kind m_kind;
    NSString m_resourceKey;
    std::shared_ptr<NSURL> m_URL;
    std::string m_body;
    bool m_tooLarge { false };
    bool m_refused { false };
};

UIWebView::~UIWebView()
{
    if (m_connection)
        m_connection->cancel();
    for (const auto& connection : m_resourceConnections)
        connection->cancel();
}

void UIWebView::init(CGRect frame)
{
    UIView::init(frame);
    setBackgroundColor(UIColor::whiteColor());
    auto scrollView = WebScrollView::create(bounds());
    std::weak_ptr<UIWebView> weakSelf = self();
    scrollView->didMove = [weakSelf] {
        auto webView = weakSelf.lock();
        if (!webView || !webView->m_documentView)
            return;
        webView->m_documentView->setFrame(webView->m_scrollView->bounds());
        webView->m_documentView->setNeedsDisplay();
    };
    scrollView->setShowsHorizontalScrollIndicator(false);
    m_scrollView = scrollView;
    m_documentView = WebDocumentView::create(self());
    m_documentView->setFrame(m_scrollView->bounds());
    m_scrollView->addSubview(m_documentView);
    addSubview(m_scrollView);
    m_container = std::make_shared<WebDocumentContainer>(WebDocumentContainer::Client {
        [weakSelf](const NSString& href) {
            if (auto webView = weakSelf.lock())
                webView->linkClicked(href);
        },
        [weakSelf](const std::shared_ptr<NSURL>& URL) {
            if (auto webView = weakSelf.lock())
                webView->fetchRemoteImage(URL);
        },
        [weakSelf](const std::shared_ptr<NSURL>& URL) {
            if (auto webView = weakSelf.lock())
                webView->fetchRemoteStyleSheet(URL);
        },
    });
}

bool UIWebView::mayLoad(const std::shared_ptr<NSURLRequest>& request, UIWebViewNavigationType type)
{
    auto delegate = this->delegate();
    return !delegate || delegate->shouldStartLoadWithRequest(*this, request, type).value_or(true);
}

void UIWebView::loadHTMLString(const NSString& string, const std::shared_ptr<NSURL>& baseURL)
{
    NSAssertMainThread();
    auto request = NSURLRequest::requestWithURL(baseURL ? baseURL : NSURL::URLWithString("about:blank"));
    if (!mayLoad(request, UIWebViewNavigationTypeOther))
        return;
    stopLoading();
    m_request = request;
    m_loading = true;
    const std::uint64_t load = ++m_load;
    std::weak_ptr<UIWebView> weakSelf = self();
    std::string html = string.isNil() ? std::string() : string.UTF8String();
    const bool tooLarge = html.size() > largestPage;
    if (tooLarge)
        html = std::string();
    NSRunLoop::mainRunLoop()->performBlock([weakSelf, load, html = std::move(html), baseURL, tooLarge] {
        auto webView = weakSelf.lock();
        if (!webView || load != webView->m_load)
            return;
        if (auto delegate = webView->delegate())
            delegate->webViewDidStartLoad(*webView);
        if (tooLarge)
            webView->failLoad(load, loadError(NSURLErrorDataLengthExceedsMaximum, baseURL, "The page is too large."));
        else
            webView->showPage(load, html, baseURL);
    });
}

void UIWebView::loadRequest(const std::shared_ptr<NSURLRequest>& request)
{
    NSAssertMainThread();
    if (!request || !mayLoad(request, UIWebViewNavigationTypeOther))
        return;
    startLoad(request);
}

void UIWebView::startLoad(const std::shared_ptr<NSURLRequest>& request)
{
    stopLoading();
    m_request = request;
    m_loading = true;
    const std::uint64_t load = ++m_load;
    std::weak_ptr<UIWebView> weakSelf = self();
    NSRunLoop::mainRunLoop()->performBlock([weakSelf, load, request] {
        auto webView = weakSelf.lock();
        if (!webView || load != webView->m_load)
            return;
        if (auto delegate = webView->delegate())
            delegate->webViewDidStartLoad(*webView);
        if (load != webView->m_load)
            return;
        const auto URL = request->URL();
        if (URL && URL->isFileURL()) {
            webView->readLocalPage(load, URL);
            return;
        }
        if (!isHTTP(URL)) {
            webView->failLoad(load, loadError(NSURLErrorUnsupportedURL, URL, "The page's address is not supported."));
            return;
        }
        webView->m_connection = NSURLConnection::connectionWithRequest(request,
            std::make_shared<WebPageLoader>(webView, load, WebPageLoader::Kind::Page));
    });
}

void UIWebView::readLocalPage(std::uint64_t load, const std::shared_ptr<NSURL>& URL)
{
    std::weak_ptr<UIWebView> weakSelf = self();
    // A read that never answers (a file on a hung mount) fails the load on the clock.
    m_localReadTimer = NSTimer::scheduledTimerWithTimeInterval(NSTimeInterval(localReadTimeLimit.count()),
        [weakSelf, load, URL](const std::shared_ptr<NSTimer>&) {
            if (auto webView = weakSelf.lock())
                webView->failLoad(load, loadError(NSURLErrorTimedOut, URL, "The page took too long to read."));
        },
        false);
    WebLocalFile::readInBackground(URL->path().UTF8String(), largestPage, localReadTimeLimit,
        [weakSelf, load, URL](WebLocalFile::Contents contents) {
            NSRunLoop::mainRunLoop()->performBlock([weakSelf, load, URL, contents = std::move(contents)] {
                auto webView = weakSelf.lock();
                if (!webView || load != webView->m_load || !webView->m_loading)
                    return;
                switch (contents.outcome) {
                case WebLocalFile::Outcome::Read:
                    webView->showPage(load,
                        std::string(reinterpret_cast<const char*>(contents.data->bytes()), contents.data->length()), URL);
                    return;
                case WebLocalFile::Outcome::TooLarge:
                    webView->failLoad(load, loadError(NSURLErrorDataLengthExceedsMaximum, URL, "The page is too large."));
                    return;
                case WebLocalFile::Outcome::TimedOut:
                    webView->failLoad(load, loadError(NSURLErrorTimedOut, URL, "The page took too long to read."));
                    return;
                case WebLocalFile::Outcome::Unreadable:
                    webView->failLoad(load, loadError(NSURLErrorFileDoesNotExist, URL, "The requested page was not found."));
                    return;
                }
            });
        });
}

void UIWebView::stopLoading()
{
    NSAssertMainThread();
    ++m_load;
    m_loading = false;
    if (auto timer = std::exchange(m_localReadTimer, nullptr))
        timer->invalidate();
    if (auto connection = std::exchange(m_connection, nullptr))
        connection->cancel();
}

void UIWebView::reload()
{
    NSAssertMainThread();
    if (m_request && (m_request->URL() && (m_request->URL()->isFileURL() || isHTTP(m_request->URL()))))
        if (mayLoad(m_request, UIWebViewNavigationTypeReload))
            startLoad(m_request);
}

void UIWebView::showPage(std::uint64_t load, const std::string& html, const std::shared_ptr<NSURL>& baseURL)
{
    if (load != m_load)
        return;
    for (const auto& connection : m_resourceConnections)
        connection->cancel();
    m_resourceConnections.clear();
    if (auto timer = std::exchange(m_localReadTimer, nullptr))
        timer->invalidate();
    m_container->load(html, baseURL);
    m_laidOutFor = CGSizeZero;
    relayout();
    m_scrollView->setContentOffset(m_scrollView->minimumContentOffset());
    m_connection = nullptr;
    m_loading = false;
    if (auto delegate = this->delegate())
        delegate->webViewDidFinishLoad(*this);
}

void UIWebView::failLoad(std::uint64_t load, const std::shared_ptr<NSError>& error)
{
    if (load != m_load || !m_loading)
        return;
    if (auto timer = std::exchange(m_localReadTimer, nullptr))
        timer->invalidate();
    m_connection = nullptr;
    m_loading = false;
    if (auto delegate = this->delegate())
        delegate->didFailLoadWithError(*this, error);
}

void UIWebView::fetchRemoteImage(const std::shared_ptr<NSURL>& URL)
{
    auto connection = NSURLConnection::connectionWithRequest(NSURLRequest::requestWithURL(URL),
        std::make_shared<WebPageLoader>(self(), m_load, WebPageLoader::Kind::Image, URL->absoluteString()));
    if (connection)
        m_resourceConnections.push_back(connection);
}

void UIWebView::fetchRemoteStyleSheet(const std::shared_ptr<NSURL>& URL)
{
    auto connection = NSURLConnection::connectionWithRequest(NSURLRequest::requestWithURL(URL),
        std::make_shared<WebPageLoader>(self(), m_load, WebPageLoader::Kind::StyleSheet, URL->absoluteString()));
    if (connection)
        m_resourceConnections.push_back(connection);
}

void UIWebView::remoteStyleSheetArrived(std::uint64_t load, const NSString& URL, std::string text)
{
    if (load != m_load || !m_container->hasDocument())
        return;
    const bool empty = text.empty();
    m_container->addStyleSheet(URL, std::move(text));
    if (empty)
        return; // the page stays as drawn, without it
    m_container->reparse();
    m_laidOutFor = CGSizeZero;
    relayout();
}

void UIWebView::remoteImageArrived(const NSString& URL, const std::shared_ptr<NSData>& data)
{
    auto image = UIImage::imageWithData(data);
    if (!image)
        return;
    m_container->addImage(URL, image);
    m_laidOutFor = CGSizeZero;
    relayout();
}

void UIWebView::linkClicked(const NSString& href)
{
    auto URL = m_container->resolve(href);
    // A page from the network opens no local file, whatever its links say.
    if (!URL || (URL->isFileURL() && !m_container->isLocalPage()))
        return;
    auto request = NSURLRequest::requestWithURL(URL);
    if (!mayLoad(request, UIWebViewNavigationTypeLinkClicked))
        return;
    const std::string text = href.UTF8String();
    const auto start = text.find_first_not_of(" \t\r\n");
    if (start != std::string::npos && text[start] == '#') {
        // A place in the page itself: scroll there, load nothing.
        if (auto top = m_container->anchorTop(NSString(text.substr(start + 1)))) {
            const CGFloat y = std::clamp(*top * m_pageScale, m_scrollView->minimumContentOffset().y,
                m_scrollView->maximumContentOffset().y);
            m_scrollView->setContentOffset(CGPointMake(m_scrollView->contentOffset().x, y));
        }
        return;
    }
    startLoad(request);
}

void UIWebView::documentTapped(CGPoint pointInContent)
{
    if (m_pageScale > 0)
        m_container->click(CGPointMake(pointInContent.x / m_pageScale, pointInContent.y / m_pageScale));
}

NSString UIWebView::stringByEvaluatingJavaScriptFromString(const NSString& script) const
{
    std::string text = script.isNil() ? std::string() : script.UTF8String();
    while (!text.empty() && (std::isspace(static_cast<unsigned char>(text.back())) || text.back() == ';'))
        text.pop_back();
    const auto start = text.find_first_not_of(" \t\r\n");
    if (start == std::string::npos || text.substr(start) != "document.title")
        return nullptr;
    const NSString title = m_container->title();
    return title.isNil() ? NSString("") : title;
}

void UIWebView::setScalesPageToFit(bool scales)
{
    NSAssertMainThread();
    if (m_scalesPageToFit == scales)
        return;
    m_scalesPageToFit = scales;
    m_laidOutFor = CGSizeZero;
    setNeedsLayout();
}

void UIWebView::layoutSubviews()
{
    m_scrollView->setFrame(bounds());
    if (bounds().size != m_laidOutFor)
        relayout();
}

void UIWebView::relayout()
{
    const CGSize size = bounds().size;
    m_laidOutFor = size;
    if (!m_container->hasDocument() || size.width < 1) {
        m_documentView->setFrame(m_scrollView->bounds());
        m_documentView->setNeedsDisplay();
        return;
    }
    const int deviceWidth = int(std::lround(size.width));
    m_layoutWidth = m_container->declaredViewportWidth(deviceWidth).value_or(defaultLayoutWidth);
    m_pageScale = m_scalesPageToFit ? size.width / m_layoutWidth : 1;
    const CGSize page = m_container->layout(int(m_layoutWidth), int(std::ceil(size.height / m_pageScale)));
    m_scrollView->setContentSize(CGSizeMake(std::floor(std::max<CGFloat>(page.width, m_layoutWidth) * m_pageScale),
        std::ceil(page.height * m_pageScale)));
    const CGPoint offset = m_scrollView->contentOffset();
    const CGPoint minimum = m_scrollView->minimumContentOffset(), maximum = m_scrollView->maximumContentOffset();
    m_scrollView->setContentOffset(CGPointMake(std::clamp(offset.x, minimum.x, std::max(minimum.x, maximum.x)),
        std::clamp(offset.y, minimum.y, std::max(minimum.y, maximum.y))));
    m_documentView->setFrame(m_scrollView->bounds());
    m_documentView->setNeedsDisplay();
}
