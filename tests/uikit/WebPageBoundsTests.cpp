// Pages made to exhaust the web view: nested past any page's need, larger than it shows, or naming
// local files that block or never end. Each is made here; each bound is read from a counter.
#include "platform/foundation/NSError.h"
#include "platform/graphics/CGBitmapContext.h"
#include "platform/host/HeadlessHost.h"
#include "platform/net/NSURLError.h"
#include "platform/uikit/UIViewController.h"
#include "platform/uikit/UIWebView.h"
#include "platform/uikit/WebDocumentContainer.h"
#include "platform/uikit/WebLocalFile.h"
#include "platform/uikit/WebMarkupFilter.h"
#include "tests/support/Waiting.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>

namespace {

std::string repeated(std::string_view piece, std::size_t count)
{
    std::string text;
    text.reserve(piece.size() * count);
    for (std::size_t i = 0; i < count; ++i)
        text += piece;
    return text;
}

// The html and body elements around the page, and a word at the bottom.
constexpr std::size_t deepestKept = WebMarkupFilter::defaultDepthLimit + 3;

struct Laid {
    WebDocumentContainer::Shape shape;
    CGSize size;
};

// The page as the web view's engine builds it, laid out at a phone's width and its top drawn.
Laid layOut(const std::string& html)
{
    WebDocumentContainer container({});
    container.load(html, nullptr);
    const CGSize size = container.layout(320, 568);
    auto context = CGBitmapContextCreate(nullptr, 320, 568, 8, 0, CGColorSpaceCreateDeviceRGB(), kCGImageAlphaPremultipliedLast);
    container.draw(context, CGRectMake(0, 0, 320, 568));
    return { container.shape(), size };
}

// Paragraphs in the innermost cell of tables nested in one another.
std::string paragraphsInTables(std::size_t tables, std::size_t paragraphs)
{
    return repeated("<table><tr><td>", tables) + repeated("<p>字 word</p>", paragraphs) + repeated("</td></tr></table>", tables);
}

std::filesystem::path sandbox()
{
    const char* home = std::getenv("CORVANE_HOME");
    return home ? std::filesystem::path(home) : std::filesystem::temp_directory_path();
}

} // namespace

TEST(WebMarkupFilter, deepMarkupIsBuiltNoDeeperThanTheLimitWhateverTheNesting)
{
    struct Page {
        const char* name;
        std::string html;
    };
    const Page pages[] = {
        { "unclosed bold", repeated("<b>", 25000) + "字" },
        { "nested divisions", repeated("<div>", 100000) + "字" + repeated("</div>", 100000) },
        { "bold closed across a block", repeated("<b><div></b>", 1000) + "字" },
        { "forms ended inside blocks", repeated("<form><div></form>", 1000) + "字" },
        { "tables in cells", repeated("<table><tr><td>", 1000) + "字" },
        { "tables straight in tables", repeated("<table><table><div>", 1000) + "字" },
        { "lists in items", repeated("<ul><li>", 1000) + "字" },
        { "formatting left open in paragraphs", repeated("<p><b id=a><i class=b>字", 1000) },
        { "formatting left open in tables", repeated("<table><b>字<tr></table>字", 1000) },
        { "a style sheet hiding tags", repeated("<select><style></select><b>", 1000) + "</style>" },
        { "quoted attributes hiding end tags", repeated("<a title=\"</a>\"><span>", 1000) },
        { "comments hiding end tags", repeated("<span><!-- </span> -->", 1000) },
        { "blocks breaking out of drawings", repeated("<svg><g><div>", 1000) + "字" },
    };
    for (const auto& page : pages) {
        SCOPED_TRACE(page.name);
        const auto filtered = WebMarkupFilter::filter(page.html);
        EXPECT_LE(filtered.deepest, WebMarkupFilter::defaultDepthLimit);
        // What the engine builds of it: the counter of the tree it laid out and drew.
        const auto laid = layOut(page.html);
        EXPECT_LE(laid.shape.depth, deepestKept);
        EXPECT_GT(laid.shape.elements, 3u);
    }
    // Past the limit, tags go and their text stays.
    const auto deep = WebMarkupFilter::filter(repeated("<div>", 1000) + "深处" + repeated("</div>", 1000));
    EXPECT_EQ(deep.deepest, WebMarkupFilter::defaultDepthLimit);
    EXPECT_EQ(deep.dropped, 1000 - WebMarkupFilter::defaultDepthLimit);
    EXPECT_EQ(deep.html, repeated("<div>", WebMarkupFilter::defaultDepthLimit) + "深处"
            + repeated("</div>", WebMarkupFilter::defaultDepthLimit));
}

TEST(WebMarkupFilter, ordinaryMarkupComesOutClosedAsTheParserWouldCloseIt)
{
    const auto filtered = [](std::string_view html) { return WebMarkupFilter::filter(html).html; };
    EXPECT_EQ(filtered("<p>一<p>二<div>三</div>"), "<p>一</p><p>二</p><div>三</div>");
    EXPECT_EQ(filtered("<ul><li>一<li>二</ul>"), "<ul><li>一</li><li>二</li></ul>");
    EXPECT_EQ(filtered("<table><td>一<td>二<tr><th>三</table>"),
        "<table><tbody><tr><td>一</td><td>二</td></tr><tr><th>三</th></tr></tbody></table>");
    EXPECT_EQ(filtered("<b>粗<i>斜</b>正</i>"), "<b>粗<i>斜</i></b>正");
    EXPECT_EQ(filtered("<a href='/一'>一<a href=\"/二\" title='>'>二</a>"), "<a href='/一'>一</a><a href=\"/二\" title='>'>二</a>");
    EXPECT_EQ(filtered("<br/>一</br><img src=x alt='<b>'>"), "<br/>一<br><img src=x alt='&lt;b>'>");
    // Comments and drawings go; text that opens no tag is escaped; text elements keep no '<'.
    EXPECT_EQ(filtered("<!DOCTYPE html><!-- 注释 <b> -->一 < 二<svg><text>图</text></svg>三"),
        "<!DOCTYPE html>一 &lt; 二三");
    EXPECT_EQ(filtered("<title>a<b</title><style><!-- p { color: red } --></style><textarea></textarea>"),
        "<title>a&lt;b</title><style>     p { color: red } --></style><textarea></textarea>");
    EXPECT_EQ(filtered("<script>if (a < b) {}</script>x"), "<script>if (a   b) {}</script>x");
    // Parts of a table outside one, a form in a form and stray end tags are left out.
    EXPECT_EQ(filtered("<td>一</td><form><form>二</form></form></span>三"), "一<form>二</form>三");
}

TEST(WebMarkupFilter, aPageOfManyElementsKeepsTheFirstAndTheWholeText)
{
    const auto filtered = WebMarkupFilter::filter(repeated("<br>", 60000) + repeated("<span>字</span>", 10));
    EXPECT_EQ(filtered.elements, WebMarkupFilter::defaultElementLimit);
    EXPECT_EQ(filtered.dropped, 60010 - WebMarkupFilter::defaultElementLimit);
    EXPECT_NE(filtered.html.find(repeated("字", 10)), std::string::npos);
}

TEST(WebDocumentContainer, nestingLaysOutInTimeProportionalToThePage)
{
    // Ten thousand divisions nested and a hundred thousand: the same tree to lay out.
    const auto ten = layOut(repeated("<div style='padding-left:1px'>", 10000) + "字" + repeated("</div>", 10000));
    const auto hundred = layOut(repeated("<div style='padding-left:1px'>", 100000) + "字" + repeated("</div>", 100000));
    EXPECT_EQ(ten.shape.elements, hundred.shape.elements);
    EXPECT_EQ(ten.shape.depth, deepestKept);
    EXPECT_EQ(ten.size.height, hundred.size.height);
}

TEST(WebDocumentContainer, tablesNestOnlyAFewDeepWhetherByTagOrByStyle)
{
    // The engine lays a table out again for each table around it: sixteen deep took seconds.
    const auto tags = layOut(repeated("<table><tr><td>", 12) + "字");
    EXPECT_EQ(tags.shape.tables, WebMarkupFilter::tableNestingLimit);

    WebDocumentContainer styled({});
    styled.load(repeated("<div style='display:table'><div style='display:table-cell'>", 40) + "字", nullptr);
    EXPECT_TRUE(styled.isShownAsText());
    EXPECT_EQ(styled.shape().tables, 0u);
    styled.layout(320, 568);

    // Nor by a style sheet from the network that arrives after the page.
    WebDocumentContainer late({});
    late.load("<head><link rel=stylesheet href='tables.css'></head>" + repeated("<div>", 40) + "字",
        NSURL::URLWithString("http://127.0.0.1/page.html"));
    EXPECT_FALSE(late.isShownAsText());
    late.addStyleSheet("http://127.0.0.1/tables.css", "div { display: table }");
    late.reparse();
    EXPECT_TRUE(late.isShownAsText());
    EXPECT_EQ(late.shape().tables, 0u);
    late.layout(320, 568);

    WebDocumentContainer ordinary({});
    ordinary.load(repeated("<div style='display:table'><div style='display:table-cell'>", 3) + "字", nullptr);
    EXPECT_FALSE(ordinary.isShownAsText());
    EXPECT_EQ(ordinary.shape().tables, 3u);
}

TEST(WebDocumentContainer, cellsThatWouldMultiplyTheLayoutPastItsBudgetShowThePageAsText)
{
    // Eight tables around two thousand paragraphs took seconds to lay out; 45,000, forty-six.
    WebDocumentContainer nested({});
    nested.load(paragraphsInTables(WebMarkupFilter::tableNestingLimit, 2000), nullptr);
    EXPECT_TRUE(nested.isShownAsText());
    EXPECT_TRUE(nested.hadCellsPastBudget());
    EXPECT_EQ(nested.shape().tables, 0u);
    const CGSize size = nested.layout(320, 568);
    EXPECT_GT(size.height, 568) << "the text is all there";

    // Tables nested past the filter's limit leave their rows and cells in the deepest one.
    WebDocumentContainer cells({});
    cells.load(repeated("<table><tr><td>x", 1000), nullptr);
    EXPECT_TRUE(cells.hadCellsPastBudget());

    // What pages hold in their tables is laid out as it is.
    for (const auto& [tables, paragraphs] : { std::pair { 2, 2000 }, std::pair { 4, 1000 }, std::pair { 8, 20 } }) {
        WebDocumentContainer ordinary({});
        ordinary.load(paragraphsInTables(std::size_t(tables), std::size_t(paragraphs)), nullptr);
        EXPECT_FALSE(ordinary.isShownAsText()) << tables << " tables around " << paragraphs;
        EXPECT_EQ(ordinary.shape().tables, std::size_t(tables));
    }

    // Cells a style sheet makes count as those of tags.
    WebDocumentContainer styled({});
    styled.load(repeated("<div style='display:table'><div style='display:table-cell'>", 8) + repeated("<p>字 word</p>", 2000), nullptr);
    EXPECT_TRUE(styled.hadCellsPastBudget());
}

TEST(WebDocumentContainer, everyShapeOfTableLaysOutWithinTheBudgetOrShowsAsText)
{
    // Each table lays its cells out again a number of times that depends on its shape: full
    // width with percentage columns, or a float beside another column, makes more passes than
    // a table of one column and auto widths.
    const auto nested = [](std::string_view open, std::string_view close, std::size_t tables, std::size_t paragraphs) {
        return repeated(open, tables) + repeated("<p>字 word</p>", paragraphs) + repeated(close, tables);
    };
    const std::string percent = "<table width='100%'><tr><td width='30%'>甲</td><td width='70%'>";
    const std::string floated = "<table><tr><td>甲</td><td><div style='float:left'>";
    for (const auto& page : { nested(percent, "</td></tr></table>", 8, 100), nested(floated, "</div></td></tr></table>", 8, 30),
             nested(percent, "</td></tr></table>", 6, 1000) }) {
        WebDocumentContainer container({});
        container.load(page, nullptr);
        EXPECT_TRUE(container.isShownAsText());
        EXPECT_TRUE(container.hadCellsPastBudget());
        EXPECT_GT(container.layout(320, 568).height, 100) << "the text is all there";
    }
    // Cells a style sheet makes of elements the layout does not count are estimated at the
    // most a table costs.
    WebDocumentContainer spans({});
    spans.load(nested("<span style='display:table'><span style='display:table-cell'>甲</span><span style='display:table-cell'>",
                   "</span></span>", 8, 30),
        nullptr);
    EXPECT_TRUE(spans.hadCellsPastBudget());

    // Such tables as pages hold are laid out, at any width.
    for (const auto& page : { nested(percent, "</td></tr></table>", 4, 300), nested(floated, "</div></td></tr></table>", 3, 300) }) {
        WebDocumentContainer container({});
        container.load(page, nullptr);
        EXPECT_FALSE(container.isShownAsText());
        EXPECT_GT(container.layout(320, 568).height, 568);
        EXPECT_GT(container.layout(768, 1024).height, 0);
        EXPECT_FALSE(container.isShownAsText());
    }
}

TEST(WebDocumentContainer, aWordAndTheSpaceAfterItAreOnePieceOfThePage)
{
    // Each piece of text is an element of the engine, about a quarter of a kilobyte.
    const std::string text = repeated("lorem ipsum dolor sit amet, consectetur adipiscing elit ", 200);
    const auto laid = layOut("<p>" + text + "</p>");
    EXPECT_LT(laid.shape.elements, text.size() / 6);
    // Spaces in a row still count one each where they show, in preformatted text.
    const auto spaced = layOut("<pre>a     b</pre>");
    const auto single = layOut("<pre>a b</pre>");
    EXPECT_EQ(spaced.shape.elements, single.shape.elements + 5);
}

TEST(WebLocalFile, readsOnlyRegularFilesOfStoredFilesystemsWithinTheirBounds)
{
    const auto forever = std::chrono::steady_clock::now() + std::chrono::hours(1);
    const auto folder = sandbox() / "web-local-files";
    std::filesystem::create_directories(folder);
    const auto page = folder / "page.html";
    std::ofstream(page) << "<p>本地</p>";
    const auto fifo = folder / "pipe";
    std::filesystem::remove(fifo);
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);

    const auto read = WebLocalFile::read(page, 1024, forever);
    ASSERT_EQ(read.outcome, WebLocalFile::Outcome::Read);
    EXPECT_EQ(read.data->length(), std::string("<p>本地</p>").size());
    EXPECT_EQ(WebLocalFile::read(page, 4, forever).outcome, WebLocalFile::Outcome::TooLarge);
    EXPECT_EQ(WebLocalFile::read(page, 1024, std::chrono::steady_clock::now()).outcome, WebLocalFile::Outcome::TimedOut);
    // None of these may block the reader or fill its memory: each answers at once.
    for (const char* path : { "/proc/kmsg", "/proc/self/status", "/sys/kernel/mm/transparent_hugepage/enabled",
             "/dev/zero", "/dev/null", "/", "/no/such/file" })
        EXPECT_EQ(WebLocalFile::read(path, 1024, forever).outcome, WebLocalFile::Outcome::Unreadable) << path;
    EXPECT_EQ(WebLocalFile::read(fifo, 1024, forever).outcome, WebLocalFile::Outcome::Unreadable);
    std::filesystem::remove(fifo);
}

namespace {

class BoundsRecorder : public UIWebViewDelegate {
public:
    void webViewDidFinishLoad(UIWebView&) override { log.push_back("finish"); }
    void didFailLoadWithError(UIWebView&, const std::shared_ptr<NSError>& error) override
    {
        log.push_back("fail " + std::to_string(error->code()));
    }
    std::vector<std::string> log;
};

class WebViewBounds : public testing::Test {
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
    std::shared_ptr<BoundsRecorder> recorder = std::make_shared<BoundsRecorder>();
};

} // namespace

TEST_F(WebViewBounds, aPageLargerThanTheViewShowsFailsAndOneJustUnderLoads)
{
    // A comment costs the engine nothing: only the size counts here.
    constexpr std::size_t largest = 1024 * 1024;
    const auto page = [](std::size_t size) { return "<!--" + std::string(size - 7, 'a') + "-->"; };
    webView->loadHTMLString(NSString(page(largest + 1)), nullptr);
    host->runUntilIdle();
    EXPECT_EQ(recorder->log, (std::vector<std::string> { "fail -1103" }));

    webView->loadHTMLString(NSString(page(largest)), nullptr);
    host->runUntilIdle();
    EXPECT_EQ(recorder->log.back(), "finish");

    // A page file too, read beside the page.
    const auto file = sandbox() / "large-page.html";
    std::ofstream(file) << page(largest + 1);
    webView->loadRequest(NSURLRequest::requestWithURL(NSURL::fileURLWithPath(NSString(file.string()), false)));
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return !webView->isLoading(); }));
    EXPECT_EQ(recorder->log.back(), "fail -1103");
    std::filesystem::remove(file);
}

TEST_F(WebViewBounds, aPageFileNotReadInTimeFailsOnTheClockAndItsLateContentsAreDropped)
{
    const auto file = sandbox() / "late-page.html";
    std::ofstream(file) << "<title>迟到</title>";
    // A reading queue that answers nothing stands for a file on a hung mount.
    dispatch_suspend(WebLocalFile::readingQueue());
    webView->loadRequest(NSURLRequest::requestWithURL(NSURL::fileURLWithPath(NSString(file.string()), false)));
    host->advance(9);
    EXPECT_TRUE(webView->isLoading());
    host->advance(1.5);
    EXPECT_FALSE(webView->isLoading());
    EXPECT_EQ(recorder->log, (std::vector<std::string> { "fail -1001" }));

    dispatch_resume(WebLocalFile::readingQueue());
    // The read ends, and its answer changes nothing.
    auto done = std::make_shared<std::atomic<bool>>(false);
    dispatch_async(WebLocalFile::readingQueue(), [done] { *done = true; });
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return done->load(); }));
    host->runUntilIdle();
    EXPECT_EQ(recorder->log, (std::vector<std::string> { "fail -1001" }));
    EXPECT_NE(webView->stringByEvaluatingJavaScriptFromString("document.title"), NSString("迟到"));
    std::filesystem::remove(file);
}

TEST_F(WebViewBounds, aLocalPageNamingKernelFilesAndFifosShowsWithoutThem)
{
    const auto fifo = sandbox() / "picture-pipe";
    std::filesystem::remove(fifo);
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // Each would block a reader for ever, or never end.
    webView->loadHTMLString(NSString("<title>本地</title><img src='file:///proc/kmsg'><img src='" + fifo.string()
                                + "'><link rel=stylesheet href='/proc/kmsg'><img src='/dev/zero'><p>正文</p>"),
        NSURL::fileURLWithPath("/", true));
    host->drainRunLoop();
    EXPECT_EQ(recorder->log, (std::vector<std::string> { "finish" }));
    EXPECT_EQ(webView->stringByEvaluatingJavaScriptFromString("document.title"), NSString("本地"));

    webView->loadRequest(NSURLRequest::requestWithURL(NSURL::fileURLWithPath("/proc/kmsg", false)));
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return !webView->isLoading(); }));
    EXPECT_EQ(recorder->log.back(), "fail -1100");
    webView->loadRequest(NSURLRequest::requestWithURL(NSURL::fileURLWithPath(NSString(fifo.string()), false)));
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return !webView->isLoading(); }));
    EXPECT_EQ(recorder->log.back(), "fail -1100");
    std::filesystem::remove(fifo);
}

TEST_F(WebViewBounds, aDeepPageShowsItsTextAndScrolls)
{
    webView->loadHTMLString(NSString("<p style='color:#ff0000;font-size:40px'>最上面</p>" + repeated("<b>", 25000)
                                + repeated("<div>", 100000) + "<p>最深处"),
        nullptr);
    host->runUntilIdle();
    EXPECT_EQ(recorder->log, (std::vector<std::string> { "finish" }));
    bool red = false;
    for (int y = 0; y < 100 && !red; ++y)
        for (int x = 0; x < 320 && !red; x += 2) {
            const auto pixel = host->pixelAt(CGPointMake(x + 0.5, y + 0.5));
            red = pixel[0] > 200 && pixel[1] < 80 && pixel[2] < 80;
        }
    EXPECT_TRUE(red);
    host->writePNG(NSString(CORVANE_WEB_SNAPSHOTS "/deep-page.png"));
}
