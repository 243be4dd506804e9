#pragma once
// The HTML engine's view of the platform, private to the web view: fonts and text through the
// text layer, boxes, borders and pictures through CGContext, style sheets and pictures read
// relative to the page's base URL. Pictures and style sheets from the network are asked of the
// owner, which hands them back with addImage() and addStyleSheet() (then reparse()).

#include "platform/net/NSURL.h"
#include "platform/text/UIFont.h"
#include "platform/uikit/UIImage.h"
#include "platform/uikit/WebLayoutMeter.h"
#include "platform/uikit/WebMarkupFilter.h"

#include <litehtml/litehtml.h>

#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <set>

class WebDocumentContainer final : public litehtml::document_container {
public:
    // How long a page's parse waits in all for the local files it names; those that take longer
    // are left out.
    static constexpr std::chrono::milliseconds localReadWait { 2000 };
    // Deeper than this, a tree is shown as the page's text alone.
    static constexpr std::size_t deepestTree = 2 * WebMarkupFilter::defaultDepthLimit + 16;
    // So is a page whose layout lays out more elements than this, its table cells' content
    // counted each time a table lays it out again, so that no page of the megabyte a page may
    // have takes more than about a second to lay out.
    static constexpr std::size_t layoutBudget = 1'500'000;

    struct Client {
        std::function<void(const NSString& href)> anchorClicked;
        std::function<void(const std::shared_ptr<NSURL>& URL)> remoteImageWanted;
        std::function<void(const std::shared_ptr<NSURL>& URL)> remoteStyleSheetWanted;
    };

    explicit WebDocumentContainer(Client client);
    ~WebDocumentContainer();
    WebDocumentContainer(const WebDocumentContainer&) = delete;
    WebDocumentContainer& operator=(const WebDocumentContainer&) = delete;

    // Parses the page; the base URL resolves its links, style sheets and pictures.
    void load(const std::string& html, const std::shared_ptr<NSURL>& baseURL);
    // Parses the same page again with the pictures and style sheets that have arrived since.
    void reparse();
    bool hasDocument() const { return m_document != nullptr; }
    // Whether the page came from a file, and so may read files.
    bool isLocalPage() const { return m_localPage; }
    // Whether the page's tree came out deeper than the engine may go (or its style nests tables
    // deeper than the filter lets tags nest them, or its cells cost more layout than the budget),
    // so that it shows as its text alone; and whether the cells' cost alone was the reason.
    bool isShownAsText() const { return m_shownAsText; }
    bool hadCellsPastBudget() const { return m_cellsPastBudget; }
    // How deep the document's tree goes and how many elements it has, words included.
    struct Shape {
        std::size_t depth { 0 };
        std::size_t elements { 0 };
        // The most boxes laid out as tables (by their tags or their style) inside one another.
        std::size_t tables { 0 };
        // The layout work the table cells add, in elements laid out again: the engine lays a
        // cell's content out again for each pass of each table around it. Cells the layout
        // meters count at the fewest passes a table makes, others (those a style sheet makes of
        // other elements) at the most.
        double cellWork { 0 };
    };
    Shape shape() const;
    // Lays the page out at the width (CSS pixels) for a viewport of the height; answers the
    // page's size.
    CGSize layout(int width, int viewportHeight);
    // The width the page asks for in its viewport declaration: device-width (the view's width)
    // or a number; nullopt without a declaration.
    std::optional<int> declaredViewportWidth(int deviceWidth) const;
    // Draws the part of the page in clip (page coordinates) at the context's origin.
    void draw(const CGContextRef& context, CGRect clip);
    // A click at the point (page coordinates); a link under it reaches anchorClicked.
    void click(CGPoint point);
    // Where the element with the id or name starts, for fragments.
    std::optional<CGFloat> anchorTop(const NSString& name) const;

    NSString title() const { return m_title; }
    const std::shared_ptr<NSURL>& baseURL() const { return m_baseURL; }
    std::shared_ptr<NSURL> resolve(const NSString& text, const NSString& base = nullptr) const;
    void addImage(const NSString& URL, const UIImageRef& image);
    // A sheet that failed arrives empty, so it is not asked for again.
    void addStyleSheet(const NSString& URL, std::string text);

    // document_container
    litehtml::uint_ptr create_font(const char* faceName, int size, int weight, litehtml::font_style italic,
        unsigned int decoration, litehtml::font_metrics* fm) override;
    void delete_font(litehtml::uint_ptr font) override;
    int text_width(const char* text, litehtml::uint_ptr font) override;
    void draw_text(litehtml::uint_ptr hdc, const char* text, litehtml::uint_ptr font, litehtml::web_color color,
        const litehtml::position& pos) override;
    int pt_to_px(int pt) const override;
    int get_default_font_size() const override;
    const char* get_default_font_name() const override;
    void draw_list_marker(litehtml::uint_ptr hdc, const litehtml::list_marker& marker) override;
    void load_image(const char* src, const char* baseurl, bool redraw_on_ready) override;
    void get_image_size(const char* src, const char* baseurl, litehtml::size& sz) override;
    void draw_background(litehtml::uint_ptr hdc, const litehtml::background_paint& bg) override;
    void draw_borders(litehtml::uint_ptr hdc, const litehtml::borders& borders, const litehtml::position& draw_pos,
        bool root) override;
    void set_caption(const char* caption) override;
    void set_base_url(const char* base_url) override;
    void link(const std::shared_ptr<litehtml::document>& doc, const litehtml::element::ptr& el) override;
    void on_anchor_click(const char* url, const litehtml::element::ptr& el) override;
    void set_cursor(const char* cursor) override;
    void transform_text(litehtml::tstring& text, litehtml::text_transform tt) override;
    void import_css(litehtml::tstring& text, const litehtml::tstring& url, litehtml::tstring& baseurl) override;
    void set_clip(const litehtml::position& pos, const litehtml::border_radiuses& bdr_radius, bool valid_x,
        bool valid_y) override;
    void del_clip() override;
    void get_client_rect(litehtml::position& client) const override;
    std::shared_ptr<litehtml::element> create_element(const char* tag_name, const litehtml::string_map& attributes,
        const std::shared_ptr<litehtml::document>& doc) override;
    void get_media_features(litehtml::media_features& media) const override;
    void get_language(litehtml::tstring& language, litehtml::tstring& culture) const override;
    void split_text(const char* text, const std::function<void(const char*)>& on_word,
        const std::function<void(const char*)>& on_space) override;

private:
    struct Font {
        UIFontRef font;
        unsigned int decoration { 0 };
        // The measures the engine placed the text by: its baseline lies height - descent below
        // the top of the text's box.
        int height { 0 };
        int descent { 0 };
    };
    void parse();
    void parseWithinBounds();
    // Lays the document out unless it is laid out for that size already; false when the layout
    // went past its budget.
    bool render(int width, int viewportHeight);
    void showAsText();
    std::shared_ptr<NSData> localFile(const std::shared_ptr<NSURL>& URL, std::size_t limit);
    UIImageRef imageFor(const char* src, const char* baseurl) const;
    const Font* fontFor(litehtml::uint_ptr handle) const;

    Client m_client;
    std::map<litehtml::uint_ptr, Font> m_fonts;
    litehtml::uint_ptr m_nextFont { 1 };
    std::map<NSString, UIImageRef> m_images;
    std::set<NSString> m_requestedImages;
    std::map<NSString, std::string> m_styleSheets;
    std::set<NSString> m_requestedStyleSheets;
    std::string m_html;
    std::shared_ptr<NSURL> m_baseURL;
    NSString m_title;
    int m_clientWidth { 0 };
    int m_clientHeight { 0 };
    CGContextRef m_context;
    int m_clipDepth { 0 };
    bool m_localPage { false };
    bool m_shownAsText { false };
    bool m_cellsPastBudget { false };
    std::chrono::milliseconds m_localWaitLeft { 0 };
    litehtml::context m_engine;
    // The count of the current layout, which the document's cells charge.
    std::shared_ptr<WebLayoutMeter> m_meter;
    std::optional<std::pair<int, int>> m_laidOutFor;
    std::shared_ptr<litehtml::document> m_document;
};
