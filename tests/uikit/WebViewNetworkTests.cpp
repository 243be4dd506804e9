#include "../net/LoopbackServer.h"
#include "tests/support/Waiting.h"

#include "platform/foundation/NSError.h"
#include "platform/host/HeadlessHost.h"
#include "platform/uikit/UIViewController.h"
#include "platform/uikit/UIWebView.h"

#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

namespace {

class LoadRecorder : public UIWebViewDelegate {
public:
    void webViewDidFinishLoad(UIWebView& webView) override
    {
        log.push_back("finish " + webView.stringByEvaluatingJavaScriptFromString("document.title").UTF8String());
    }
    void didFailLoadWithError(UIWebView&, const std::shared_ptr<NSError>& error) override
    {
        log.push_back("fail " + std::to_string(error->code()));
    }
    std::vector<std::string> log;
};

std::string fileContents(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

// A web view filling the screen of a headless host, its loads recorded.
class WebViewNetwork : public testing::Test {
protected:
    void SetUp() override
    {
        host->showRootViewController(root);
        root->view()->addSubview(webView);
        webView->setDelegate(recorder);
    }

    std::shared_ptr<HeadlessHost> host = HeadlessHost::create();
    std::shared_ptr<UIViewController> root = UIViewController::create();
    std::shared_ptr<UIWebView> webView = UIWebView::create(CGRectMake(0, 0, 320, 568));
    std::shared_ptr<LoadRecorder> recorder = std::make_shared<LoadRecorder>();
};

} // namespace

TEST_F(WebViewNetwork, loadsARemotePageAndItsPictureThroughTheURLLoadingLayer)
{
    loopback::Server server;
    server.routes().Get("/news/page.html", [](const httplib::Request&, httplib::Response& response) {
        response.set_content("<html><head><meta name='viewport' content='width=device-width'><title>远程</title></head>"
                             "<body style='margin:0'><img src='pictures/red.png'></body></html>",
            "text/html; charset=utf-8");
    });
    server.routes().Get("/news/pictures/red.png", [](const httplib::Request&, httplib::Response& response) {
        response.set_content(fileContents(CORVANE_WEB_PAGES "/images/picture.png"), "image/png");
    });
    server.start();


    webView->loadRequest(NSURLRequest::requestWithURL(NSURL::URLWithString(NSString(server.URL("/news/page.html")))));
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return !recorder->log.empty(); }));
    EXPECT_EQ(recorder->log, (std::vector<std::string> { "finish 远程" }));
    // The picture arrives after the page and takes its place in it.
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return server.requestCount() == 2 && host->pixelAt(CGPointMake(10, 10))[1] < 64; }));
    host->runUntilIdle();
    const auto pixel = host->pixelAt(CGPointMake(100, 50));
    EXPECT_GT(pixel[0], 200);
    EXPECT_LT(pixel[1], 64);

    recorder->log.clear();
    webView->loadRequest(NSURLRequest::requestWithURL(NSURL::URLWithString("http://127.0.0.1:1/nothing.html")));
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return !recorder->log.empty(); }));
    EXPECT_EQ(recorder->log, (std::vector<std::string> { "fail -1004" }));
    server.stop();
}

TEST_F(WebViewNetwork, aRemotePagesStyleSheetArrivesAfterItAndColoursItsHeading)
{
    loopback::Server server;
    server.routes().Get("/news/styled.html", [](const httplib::Request&, httplib::Response& response) {
        response.set_content("<html><head><meta name='viewport' content='width=device-width'><title>样式</title>"
                             "<link rel='stylesheet' href='style/missing.css'>"
                             "<link rel='stylesheet' href='style/refused.css'>"
                             "<link rel='stylesheet' href='style/heading.css'></head>"
                             "<body style='margin:0'><h1>通知</h1><p>正文</p></body></html>",
            "text/html; charset=utf-8");
    });
    server.routes().Get("/news/style/heading.css", [](const httplib::Request&, httplib::Response& response) {
        response.set_content("h1 { margin: 0; height: 60px; color: #ffffff; background-color: #00c000; }", "text/css");
    });
    // An error page's body is no style sheet, even when it reads like one.
    server.routes().Get("/news/style/refused.css", [](const httplib::Request&, httplib::Response& response) {
        response.status = 500;
        response.set_content("body { background-color: #0000ff; }", "text/css");
    });
    server.start();


    webView->loadRequest(NSURLRequest::requestWithURL(NSURL::URLWithString(NSString(server.URL("/news/styled.html")))));
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return !recorder->log.empty(); }));
    EXPECT_EQ(recorder->log, (std::vector<std::string> { "finish 样式" }));
    // The heading turns green once its sheet is in; the missing and refused sheets change nothing.
    auto green = [](const std::array<uint8_t, 4>& pixel) { return pixel[0] < 40 && pixel[1] > 150 && pixel[2] < 40; };
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return server.requestCount() == 4 && green(host->pixelAt(CGPointMake(300, 30))); }));
    host->runUntilIdle();
    EXPECT_TRUE(green(host->pixelAt(CGPointMake(300, 30))));
    const auto below = host->pixelAt(CGPointMake(300, 400));
    EXPECT_GT(below[0], 240); // white: the refused sheet's blue never applied
    EXPECT_GT(below[2], 240);
    EXPECT_EQ(recorder->log.size(), 1u); // a failing sheet is not a failing page
    // Laid in again, nothing is asked twice.
    host->runUntilIdle();
    EXPECT_EQ(server.requestCount(), 4u);

    // A bundle page keeps reading its sheets from files, without the network.
    recorder->log.clear();
    webView->loadHTMLString("<html><head><link rel='stylesheet' href='nowhere.css'></head><body><h1>本地</h1></body></html>",
        NSURL::fileURLWithPath(CORVANE_WEB_PAGES "/"));
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return !recorder->log.empty(); }));
    host->runUntilIdle();
    EXPECT_EQ(server.requestCount(), 4u);
    server.stop();
}

TEST_F(WebViewNetwork, aRemotePageReadsNoLocalFileAndFollowsNoLinkToOne)
{
    const std::string folder = "file://" CORVANE_WEB_PAGES "/";
    loopback::Server server;
    // Local files named outright, and through a base naming the local folder.
    server.routes().Get("/news/named.html", [&](const httplib::Request&, httplib::Response& response) {
        response.set_content("<html><head><meta name='viewport' content='width=device-width'><title>远程</title>"
                             "<link rel='stylesheet' href='" + folder + "style.css'></head><body style='margin:0'>"
                             "<a href='file:///etc/passwd' style='display:block;height:60px;background-color:#ffff00'>密码</a>"
                             "<img src='" + folder + "images/picture.png'><div class='tall'></div></body></html>",
            "text/html; charset=utf-8");
    });
    server.routes().Get("/news/based.html", [&](const httplib::Request&, httplib::Response& response) {
        response.set_content("<html><head><meta name='viewport' content='width=device-width'><title>基准</title>"
                             "<base href='" + folder + "'><link rel='stylesheet' href='style.css'></head>"
                             "<body style='margin:0'><a href='second.html' style='display:block;height:60px;"
                             "background-color:#ffff00'>下一页</a><img src='images/picture.png'><div class='tall'></div>"
                             "</body></html>",
            "text/html; charset=utf-8");
    });
    server.start();

    for (const char* name : { "/news/named.html", "/news/based.html" }) {
        SCOPED_TRACE(name);
        recorder->log.clear();
        const auto address = NSURL::URLWithString(NSString(server.URL(name)));
        webView->loadRequest(NSURLRequest::requestWithURL(address));
        ASSERT_TRUE(testing_support::runLoopUntil([&] { return !recorder->log.empty(); }));
        host->runUntilIdle();
        EXPECT_EQ(recorder->log.size(), 1u);
        EXPECT_EQ(recorder->log.front().rfind("finish ", 0), 0u);
        // No picture and no style sheet from the disk: below the link, the page stays white.
        for (int y = 70; y < 400; y += 10) {
            const auto pixel = host->pixelAt(CGPointMake(50, y));
            EXPECT_TRUE(pixel[0] > 240 && pixel[1] > 240 && pixel[2] > 240) << y;
        }
        // A tap on the link to a local file opens nothing.
        host->tap(CGPointMake(40, 30));
        host->runUntilIdle();
        EXPECT_EQ(recorder->log.size(), 1u);
        EXPECT_FALSE(webView->isLoading());
        EXPECT_EQ(webView->request()->URL()->absoluteString(), address->absoluteString());
    }
    EXPECT_EQ(server.requestCount(), 2u);
    server.stop();
}
