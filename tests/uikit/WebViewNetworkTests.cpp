#include "../net/LoopbackServer.h"
#include "../net/RunLoopWaiting.h"

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

} // namespace

TEST(WebViewNetwork, loadsARemotePageAndItsPictureThroughTheURLLoadingLayer)
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

    auto host = HeadlessHost::create();
    auto root = UIViewController::create();
    host->showRootViewController(root);
    auto webView = UIWebView::create(root->view()->bounds());
    root->view()->addSubview(webView);
    auto recorder = std::make_shared<LoadRecorder>();
    webView->setDelegate(recorder);

    webView->loadRequest(NSURLRequest::requestWithURL(NSURL::URLWithString(NSString(server.URL("/news/page.html")))));
    ASSERT_TRUE(runUntil([&] { return !recorder->log.empty(); }));
    EXPECT_EQ(recorder->log, (std::vector<std::string> { "finish 远程" }));
    // The picture arrives after the page and takes its place in it.
    ASSERT_TRUE(runUntil([&] { return server.requestCount() == 2 && host->pixelAt(CGPointMake(10, 10))[1] < 64; }));
    host->runUntilIdle();
    const auto pixel = host->pixelAt(CGPointMake(100, 50));
    EXPECT_GT(pixel[0], 200);
    EXPECT_LT(pixel[1], 64);

    recorder->log.clear();
    webView->loadRequest(NSURLRequest::requestWithURL(NSURL::URLWithString("http://127.0.0.1:1/nothing.html")));
    ASSERT_TRUE(runUntil([&] { return !recorder->log.empty(); }));
    EXPECT_EQ(recorder->log, (std::vector<std::string> { "fail -1004" }));
    server.stop();
}
