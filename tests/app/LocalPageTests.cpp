#include "tests/app/ClientSession.h"

#include "platform/foundation/NSBundle.h"
#include "platform/foundation/TypedValues.h"

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

namespace {

std::string contentsOf(const std::filesystem::path& path)
{
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

} // namespace

class LocalPages : public ClientSession {
protected:
    // Pushes the page screen for the row and waits for the page to be shown; notes whether the
    // failure toast came up meanwhile.
    std::shared_ptr<WebViewViewController> open(const std::shared_ptr<NSDictionary>& row)
    {
        auto page = WebViewViewController::create();
        page->setData(row);
        navigation()->pushViewController(page, false);
        host->drainRunLoop();
        host->advance(0.3);
        failed = host->findViewWithText("加载失败!") != nullptr;
        EXPECT_TRUE(waitUntil([&] { return !page->webView()->isLoading(); })) << ns::stringForKey(row, "url").UTF8String();
        return page;
    }

    void close()
    {
        host->advance(2);
        navigation()->popViewControllerAnimated(false);
        host->runUntilIdle();
    }

    static std::shared_ptr<NSDictionary> row(const char* title, const char* url)
    {
        return ns::mutableDictionary({ { "title", NSString(title) }, { "url", NSString(url) } });
    }

    bool failed { false };
};

// Every page the reading lists name loads without a failure, declares its viewport as the
// device's width, shares the one style sheet and finds every picture it names in the bundle.
TEST_F(LocalPages, everyPageOfTheReadingListsLoadsWithItsPictures)
{
    const std::filesystem::path bundle = NSBundle::mainBundle()->bundlePath().UTF8String();
    const std::regex source(R"re((?:src|href)="([^"]+)")re");
    for (const auto& list : { HomeScreen::baoDianList(), HomeScreen::faiGuiList() }) {
        for (NSUInteger index = 0; index < list->count(); ++index) {
            auto entry = ns::dictionaryValue(list->objectAtIndex(index));
            const std::string name = ns::stringForKey(entry, "url").UTF8String();
            SCOPED_TRACE(name);
            const std::string html = contentsOf(bundle / (name + ".html"));
            ASSERT_FALSE(html.empty());
            EXPECT_NE(html.find(R"(<meta name="viewport" content="width=device-width">)"), std::string::npos);
            EXPECT_NE(html.find(R"(href="article.css")"), std::string::npos);
            for (auto match = std::sregex_iterator(html.begin(), html.end(), source); match != std::sregex_iterator(); ++match)
                EXPECT_TRUE(std::filesystem::is_regular_file(bundle / (*match)[1].str())) << (*match)[1].str();

            auto page = open(entry);
            EXPECT_EQ(page->m_viewNaviBar()->m_labelTitle()->text(), ns::stringForKey(entry, "title"));
            EXPECT_FALSE(failed);
            // Laid out at the view's width, not at the 980 pixels of a page without a viewport.
            EXPECT_EQ(page->webView()->layoutWidth(), page->webView()->frame().size.width);
            EXPECT_GT(page->webView()->scrollView()->contentSize().height, 200);
            shot("page-" + name);
            close();
        }
    }
}

TEST_F(LocalPages, aMissingPageSaysItFailedAndTheScreenStaysOpen)
{
    auto page = open(row("不存在", "no-such-page"));
    EXPECT_TRUE(page->pageText().isNil());
    EXPECT_TRUE(failed);
    EXPECT_EQ(top<WebViewViewController>(), page);
    // A page that the web view cannot show says so the same way.
    host->advance(2);
    ASSERT_FALSE(host->findViewWithText("加载失败!"));
    page->didFailLoadWithError(*page->webView(), NSError::errorWithDomain("NSURLErrorDomain", -1100, "gone"));
    host->advance(0.3);
    EXPECT_TRUE(host->findViewWithText("加载失败!"));
    EXPECT_EQ(top<WebViewViewController>(), page);
    close();
}

TEST_F(LocalPages, comingBackToThePageLoadsItAgainFromTheResources)
{
    auto page = open(row("驾照换证", "huanzheng"));
    const auto first = page->webView()->request();
    ASSERT_TRUE(first);
    navigation()->pushViewController(AboutViewController::create(), false);
    host->runUntilIdle();
    navigation()->popViewControllerAnimated(false);
    host->drainRunLoop();
    host->advance(0.3);
    EXPECT_FALSE(host->findViewWithText("加载失败!"));
    ASSERT_TRUE(waitUntil([&] { return !page->webView()->isLoading(); }));
    EXPECT_NE(page->webView()->request(), first);
    EXPECT_TRUE(page->webView()->request()->URL()->isFileURL());
}
