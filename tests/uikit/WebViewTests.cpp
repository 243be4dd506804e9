#include "platform/foundation/NSError.h"
#include "platform/host/HeadlessHost.h"
#include "platform/net/NSURLError.h"
#include "platform/uikit/UIColor.h"
#include "platform/uikit/UIViewController.h"
#include "platform/uikit/UIWebView.h"
#include "tests/support/Waiting.h"

#include <gtest/gtest.h>

namespace {

const NSString pages = CORVANE_WEB_PAGES;

class WebRecorder : public UIWebViewDelegate {
public:
    std::optional<bool> shouldStartLoadWithRequest(UIWebView&, const std::shared_ptr<NSURLRequest>& request,
        UIWebViewNavigationType type) override
    {
        log.push_back("should " + std::to_string(type) + " " + request->URL()->lastPathComponent().UTF8String());
        return allowLinks || type != UIWebViewNavigationTypeLinkClicked;
    }
    void webViewDidStartLoad(UIWebView&) override { log.push_back("start"); }
    void webViewDidFinishLoad(UIWebView& webView) override
    {
        log.push_back("finish " + webView.stringByEvaluatingJavaScriptFromString("document.title").UTF8String());
    }
    void didFailLoadWithError(UIWebView&, const std::shared_ptr<NSError>& error) override
    {
        log.push_back("fail " + std::to_string(error->code()));
        lastError = error;
    }

    std::vector<std::string> log;
    std::shared_ptr<NSError> lastError;
    bool allowLinks { true };
};

using Pixel = std::array<uint8_t, 4>;

bool near(const Pixel& pixel, int red, int green, int blue)
{
    return std::abs(pixel[0] - red) < 40 && std::abs(pixel[1] - green) < 40 && std::abs(pixel[2] - blue) < 40;
}

bool dark(const Pixel& pixel)
{
    return pixel[0] < 128 && pixel[1] < 128 && pixel[2] < 128;
}

class WebViewScreen : public testing::Test {
protected:
    void SetUp() override
    {
        host = HeadlessHost::create();
        root = UIViewController::create();
        host->showRootViewController(root);
        webView = UIWebView::create(root->view()->bounds());
        webView->setScalesPageToFit(true);
        recorder = std::make_shared<WebRecorder>();
        webView->setDelegate(recorder);
        root->view()->addSubview(webView);
    }

    void loadPage(const NSString& name)
    {
        webView->loadRequest(NSURLRequest::requestWithURL(NSURL::fileURLWithPath(pages.stringByAppendingPathComponent(name))));
        settle();
    }

    // Page files are read on a queue of their own: waits for the load to end, then for the screen.
    void settle()
    {
        host->drainRunLoop();
        EXPECT_TRUE(testing_support::runLoopUntil([&] { return !webView->isLoading(); }));
        host->runUntilIdle();
    }

    // The first row, from the top, whose pixel in the column matches.
    std::optional<int> firstRow(CGFloat x, const std::function<bool(const Pixel&)>& matches, int from = 0, int to = 568)
    {
        for (int y = from; y < to; ++y)
            if (matches(host->pixelAt(CGPointMake(x, y + 0.5))))
                return y;
        return std::nullopt;
    }

    std::shared_ptr<HeadlessHost> host;
    std::shared_ptr<UIViewController> root;
    UIWebViewRef webView;
    std::shared_ptr<WebRecorder> recorder;
};

} // namespace

TEST_F(WebViewScreen, rendersABundlePageWithHeadingWrappedChineseTextAndARelativePicture)
{
    loadPage("article.html");
    EXPECT_EQ(recorder->log, (std::vector<std::string> { "should 5 article.html", "start", "finish 女士安全驾驶" }));
    EXPECT_FALSE(webView->isLoading());
    EXPECT_EQ(webView->layoutWidth(), 320);
    EXPECT_EQ(webView->pageScale(), 1);
    host->writePNG(NSString(CORVANE_WEB_SNAPSHOTS "/article.png"));

    // The heading in its own colour at the top, under the body's padding.
    const auto heading = firstRow(22, [](const Pixel& p) { return near(p, 0, 0, 255); }, 0, 60);
    ASSERT_TRUE(heading);
    EXPECT_GE(*heading, 10);

    // The paragraph: several lines of text, none crossing the padding on the right.
    int lines = 0;
    bool inLine = false;
    for (int y = 50; y < 250; ++y) {
        bool any = false;
        for (int x = 10; x < 310 && !any; x += 2)
            any = dark(host->pixelAt(CGPointMake(x + 0.5, y + 0.5)));
        for (int x = 311; x < 320; ++x)
            EXPECT_FALSE(dark(host->pixelAt(CGPointMake(x + 0.5, y + 0.5)))) << x << "," << y;
        lines += any && !inLine;
        inLine = any;
    }
    EXPECT_GE(lines, 4);

    // The picture read beside the page: 120 by 60 red pixels at the left padding, under the text.
    const auto picture = firstRow(20, [](const Pixel& p) { return near(p, 255, 0, 0); }, 100);
    ASSERT_TRUE(picture);
    EXPECT_TRUE(near(host->pixelAt(CGPointMake(125, *picture + 59.5)), 255, 0, 0));
    EXPECT_FALSE(near(host->pixelAt(CGPointMake(135, *picture + 30)), 255, 0, 0));
    EXPECT_FALSE(near(host->pixelAt(CGPointMake(20, *picture + 61)), 255, 0, 0));
}

TEST_F(WebViewScreen, scrollsVerticallyToTheEndOfThePage)
{
    loadPage("article.html");
    auto scrollView = webView->scrollView();
    EXPECT_GT(scrollView->contentSize().height, 1300);
    EXPECT_EQ(scrollView->contentSize().width, 320);
    EXPECT_FALSE(near(host->pixelAt(CGPointMake(160, 540)), 255, 0, 255));

    for (int drag = 0; drag < 20 && scrollView->contentOffset().y < scrollView->maximumContentOffset().y; ++drag) {
        host->drag(CGPointMake(160, 500), CGPointMake(160, 100), 0.2);
        host->runUntilIdle();
    }
    EXPECT_EQ(scrollView->contentOffset().y, scrollView->maximumContentOffset().y);
    EXPECT_EQ(scrollView->contentOffset().x, 0);
    // The footer just above the body's padding at the bottom, the tall block above it.
    EXPECT_TRUE(near(host->pixelAt(CGPointMake(160, 540)), 255, 0, 255));
    EXPECT_TRUE(near(host->pixelAt(CGPointMake(160, 564)), 255, 255, 255));
    EXPECT_TRUE(near(host->pixelAt(CGPointMake(160, 400)), 0, 255, 0));
    host->writePNG(NSString(CORVANE_WEB_SNAPSHOTS "/article-end.png"));
}

TEST_F(WebViewScreen, reportsAMissingPageAsAFailureWithItsError)
{
    loadPage("missing.html");
    EXPECT_EQ(recorder->log, (std::vector<std::string> { "should 5 missing.html", "start", "fail -1100" }));
    ASSERT_TRUE(recorder->lastError);
    EXPECT_EQ(recorder->lastError->domain(), NSString(NSURLErrorDomain));
    EXPECT_FALSE(webView->isLoading());

    recorder->log.clear();
    webView->loadRequest(NSURLRequest::requestWithURL(NSURL::URLWithString("ftp://127.0.0.1/page.html")));
    host->runUntilIdle();
    EXPECT_EQ(recorder->log, (std::vector<std::string> { "should 5 page.html", "start", "fail -1002" }));

    // A device that never ends is no page (reading it whole would take all memory).
    recorder->log.clear();
    webView->loadRequest(NSURLRequest::requestWithURL(NSURL::fileURLWithPath("/dev/zero", false)));
    settle();
    EXPECT_EQ(recorder->log, (std::vector<std::string> { "should 5 zero", "start", "fail -1100" }));
}

TEST_F(WebViewScreen, asksItsDelegateBeforeFollowingALink)
{
    loadPage("article.html");
    const auto link = firstRow(300, [](const Pixel& p) { return near(p, 255, 255, 0); });
    ASSERT_TRUE(link);
    recorder->log.clear();

    recorder->allowLinks = false;
    host->tap(CGPointMake(40, *link + 20));
    host->runUntilIdle();
    EXPECT_EQ(recorder->log, (std::vector<std::string> { "should 0 second.html" }));
    EXPECT_EQ(webView->stringByEvaluatingJavaScriptFromString("document.title"), NSString("女士安全驾驶"));

    recorder->log.clear();
    recorder->allowLinks = true;
    host->tap(CGPointMake(40, *link + 20));
    settle();
    EXPECT_EQ(recorder->log, (std::vector<std::string> { "should 0 second.html", "start", "finish 第二页" }));
    EXPECT_EQ(webView->request()->URL()->lastPathComponent(), NSString("second.html"));
    EXPECT_TRUE(near(host->pixelAt(CGPointMake(300, 300)), 0, 255, 255));

    // A tap away from any link asks nothing.
    recorder->log.clear();
    host->tap(CGPointMake(300, 300));
    host->runUntilIdle();
    EXPECT_TRUE(recorder->log.empty());
}

TEST_F(WebViewScreen, loadsATextWithTheBundleFolderAsBaseAndAnswersOnlyTheTitle)
{
    const NSString html = NSString::stringWithContentsOfFile(pages.stringByAppendingPathComponent("article.html"),
        NSUTF8StringEncoding, nullptr);
    webView->loadHTMLString(html, NSURL::fileURLWithPath(pages, true));
    EXPECT_TRUE(webView->isLoading());
    EXPECT_TRUE(recorder->log.size() == 1);
    host->runUntilIdle();
    EXPECT_EQ(recorder->log.back(), "finish 女士安全驾驶");
    EXPECT_TRUE(firstRow(20, [](const Pixel& p) { return near(p, 255, 0, 0); }, 100));

    EXPECT_EQ(webView->stringByEvaluatingJavaScriptFromString("  document.title ; "), NSString("女士安全驾驶"));
    EXPECT_TRUE(webView->stringByEvaluatingJavaScriptFromString("document.body.innerHTML").isNil());
    EXPECT_TRUE(webView->stringByEvaluatingJavaScriptFromString(
        "document.getElementsByName(\"viewport\")[0].content = \"width=320\"").isNil());
    EXPECT_TRUE(webView->stringByEvaluatingJavaScriptFromString(nullptr).isNil());
}

TEST_F(WebViewScreen, scalesAPageWithoutViewportDownToTheViewWhenAsked)
{
    webView->loadHTMLString("<html><head><title></title></head><body><div style='width:900px;height:2000px;"
                            "background-color:#ff0000'></div></body></html>",
        nullptr);
    host->runUntilIdle();
    EXPECT_EQ(recorder->log.back(), "finish ");
    EXPECT_EQ(webView->layoutWidth(), 980);
    EXPECT_NEAR(webView->pageScale(), 320.0 / 980, 1e-9);
    EXPECT_EQ(webView->scrollView()->contentSize().width, 320);

    webView->setScalesPageToFit(false);
    host->runUntilIdle();
    EXPECT_EQ(webView->pageScale(), 1);
    EXPECT_EQ(webView->scrollView()->contentSize().width, 980);
}

TEST_F(WebViewScreen, aLaterLoadReplacesAnEarlierOneAndADeclinedLoadChangesNothing)
{
    loadPage("article.html");
    recorder->log.clear();
    webView->loadHTMLString("<title>一</title>", nullptr);
    webView->loadHTMLString("<title>二</title>", nullptr);
    host->runUntilIdle();
    EXPECT_EQ(recorder->log, (std::vector<std::string> { "should 5 blank", "should 5 blank", "start", "finish 二" }));

    class Refusing : public UIWebViewDelegate {
        std::optional<bool> shouldStartLoadWithRequest(UIWebView&, const std::shared_ptr<NSURLRequest>&,
            UIWebViewNavigationType) override
        {
            return false;
        }
    };
    auto refusing = std::make_shared<Refusing>();
    webView->setDelegate(refusing);
    webView->loadHTMLString("<title>三</title>", nullptr);
    host->runUntilIdle();
    EXPECT_EQ(webView->stringByEvaluatingJavaScriptFromString("document.title"), NSString("二"));
    EXPECT_FALSE(webView->isLoading());

    webView->setDelegate(nullptr);
    webView->loadHTMLString("<title>四</title>", nullptr);
    webView->stopLoading();
    host->runUntilIdle();
    EXPECT_EQ(webView->stringByEvaluatingJavaScriptFromString("document.title"), NSString("二"));
}

TEST_F(WebViewScreen, hostileMarkupEndsInAPageNotACrash)
{
    const char* pagesOfNonsense[] = {
        "<table><tr><td><table><td><tr></table></div></span>",
        "<div style='width:-99999999px;height:99999999999px;border:9999px solid red;border-radius:50%'>x</div>",
        "<table><tr><td style='border:1px solid;border-radius:4999999999999999999999px'>角</td></tr></table>",
        "<img src='../../../../../../dev/zero'><img src='data:image/png;base64,AAAA'><img src=''>",
        "<style>@import url(\"style.css\"); * { font-size: 0; float: left; position: fixed }</style><p>字</p>",
        "<ol><li>一<li>二<ul><li>三</ul></ol><p style='text-transform:uppercase'>abc</p>\xff\xfe\xc3",
        "<a href='#nowhere'>跳</a><a href='javascript:alert(1)'>js</a><a href=''></a>",
    };
    for (const char* page : pagesOfNonsense) {
        webView->loadHTMLString(page, NSURL::fileURLWithPath(pages, true));
        host->runUntilIdle();
        host->pixelAt(CGPointMake(10, 10));
        host->tap(CGPointMake(10, 10));
        host->runUntilIdle();
    }
    EXPECT_FALSE(webView->isLoading());
}

TEST_F(WebViewScreen, aLinkToAPlaceInThePageScrollsThereAndLoadsNothing)
{
    const auto page = [](const std::string& body) {
        return NSString("<html><head><title>目录</title><meta name='viewport' content='width=device-width'></head>"
                        "<body style='margin:0'>" + body + "</body></html>");
    };
    webView->loadHTMLString(page("<a href='#part3' style='display:block;height:40px'>第三节</a>"
                                 "<a href='#end' style='display:block;height:40px'>末尾</a>"
                                 "<a href='#nowhere' style='display:block;height:40px'>无</a>"
                                 "<div style='height:600px'></div><div id='part3' style='height:600px'></div>"
                                 "<p style='margin:0;line-height:20px'>一<br>二<br>三 <a name='end'>尾</a></p><div style='height:2000px'></div>"),
        NSURL::fileURLWithPath(pages, true));
    host->runUntilIdle();
    ASSERT_EQ(recorder->log.back(), "finish 目录");
    auto scrollView = webView->scrollView();
    ASSERT_EQ(webView->pageScale(), 1);
    recorder->log.clear();

    host->tap(CGPointMake(30, 20));
    host->runUntilIdle();
    EXPECT_EQ(scrollView->contentOffset().y, 720);
    // A named anchor in the third line of a paragraph: that line, not the paragraph's top.
    scrollView->setContentOffset(CGPointZero);
    host->tap(CGPointMake(30, 60));
    host->runUntilIdle();
    EXPECT_NEAR(scrollView->contentOffset().y, 1360, 4);
    scrollView->setContentOffset(CGPointZero);
    host->tap(CGPointMake(30, 100));
    host->runUntilIdle();
    EXPECT_EQ(scrollView->contentOffset().y, 0);
    // The delegate was asked each time; nothing started loading.
    EXPECT_EQ(recorder->log.size(), 3u);
    for (const auto& entry : recorder->log)
        EXPECT_EQ(entry.rfind("should 0", 0), 0u) << entry;
    EXPECT_FALSE(webView->isLoading());

    // An empty anchor between blocks is where the next block starts; near the end the page stops
    // at its last screenful.
    webView->loadHTMLString(page("<a href='#middle' style='display:block;height:40px'>中</a>"
                                 "<a href='#last' style='display:block;height:40px'>尾</a>"
                                 "<div style='height:500px'></div><a name='middle'></a><div style='height:1000px'></div>"
                                 "<a name='last'></a><div style='height:100px'></div>"),
        NSURL::fileURLWithPath(pages, true));
    host->runUntilIdle();
    host->tap(CGPointMake(30, 20));
    host->runUntilIdle();
    EXPECT_EQ(scrollView->contentOffset().y, 580);
    scrollView->setContentOffset(CGPointZero);
    host->tap(CGPointMake(30, 60));
    host->runUntilIdle();
    EXPECT_EQ(scrollView->contentOffset().y, scrollView->maximumContentOffset().y);
    EXPECT_EQ(webView->stringByEvaluatingJavaScriptFromString("document.title"), NSString("目录"));
}

TEST_F(WebViewScreen, aReloadLoadsTheLastPageAgainButNotAGivenText)
{
    loadPage("article.html");
    recorder->log.clear();
    webView->reload();
    settle();
    EXPECT_EQ(recorder->log, (std::vector<std::string> { "should 3 article.html", "start", "finish 女士安全驾驶" }));

    webView->loadHTMLString("<title>文本</title>", nullptr);
    host->runUntilIdle();
    recorder->log.clear();
    webView->reload();
    host->runUntilIdle();
    EXPECT_TRUE(recorder->log.empty());
    EXPECT_EQ(webView->stringByEvaluatingJavaScriptFromString("document.title"), NSString("文本"));
}

TEST_F(WebViewScreen, chineseAndLatinTextOfOneLineStandOnOneBaseline)
{
    // The cashier's "订单号" beside its number: the Chinese glyphs come from a fallback face that
    // reaches higher than the page's font, and must not sink below the line for it.
    webView->setScalesPageToFit(false);
    webView->loadHTMLString("<html><head><meta name='viewport' content='width=device-width'></head>"
                            "<body style='margin:0;padding:20px;font-size:40px;color:#000;background:#fff'>"
                            "<span>日</span><span>HH</span></body></html>",
        nullptr);
    settle();
    const auto lowestInk = [&](CGFloat from, CGFloat to) {
        int lowest = -1;
        for (CGFloat x = from; x < to; x += 0.5) {
            for (int y = 0; y < 200; ++y) {
                if (dark(host->pixelAt(CGPointMake(x, y + 0.5))))
                    lowest = std::max(lowest, y);
            }
        }
        return lowest;
    };
    const int chinese = lowestInk(22, 58);
    const int latin = lowestInk(64, 110);
    ASSERT_GT(chinese, 0);
    ASSERT_GT(latin, 0);
    // An ideograph's foot reaches a little under the baseline, never a fifth of the size.
    EXPECT_LE(std::abs(chinese - latin), 4) << "日 ends at " << chinese << ", H at " << latin;
}
