// Untrusted pages through a web view on the headless host: parsed, laid out at the screen's width
// and at the page's own, drawn, and tapped where a link may be.
#include "platform/host/HeadlessHost.h"
#include "platform/uikit/UIViewController.h"
#include "platform/uikit/UIWebView.h"

#include <memory>
#include <string>

// The font map keeps fontconfig's patterns for the life of the process, through pointers stored
// as offsets that the leak checker cannot follow.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}

namespace {

struct Fixture {
    Fixture()
    {
        host = HeadlessHost::create();
        auto root = UIViewController::create();
        host->showRootViewController(root);
        webView = UIWebView::create(root->view()->bounds());
        root->view()->addSubview(webView);
        base = NSURL::fileURLWithPath(NSString(CORVANE_WEB_PAGES), true);
    }
    std::shared_ptr<HeadlessHost> host;
    UIWebViewRef webView;
    std::shared_ptr<NSURL> base;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Never destroyed: the host must not be torn down after the run loop's thread state at exit.
    static Fixture& fixture = *std::make_unique<Fixture>().release();
    // The first byte chooses the fitting, so both layout widths are reached.
    fixture.webView->setScalesPageToFit(size > 0 && (data[0] & 1));
    const std::string page(reinterpret_cast<const char*>(data), size);
    fixture.webView->loadHTMLString(NSString(page), fixture.base);
    fixture.host->runUntilIdle(1);
    (void)fixture.host->pixelAt(CGPointMake(10, 10));
    fixture.host->tap(CGPointMake(30, 30));
    fixture.host->runUntilIdle(1);
    (void)fixture.webView->stringByEvaluatingJavaScriptFromString("document.title");
    return 0;
}
