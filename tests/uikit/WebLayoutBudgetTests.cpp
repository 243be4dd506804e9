// Pages whose table cells multiply the engine's layout work within every bound of the markup:
// past the layout budget they show as their text, as pages too deep do.
#include "platform/graphics/CGBitmapContext.h"
#include "platform/uikit/WebDocumentContainer.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string repeated(std::string_view piece, std::size_t count)
{
    std::string text;
    for (std::size_t i = 0; i < count; ++i)
        text += piece;
    return text;
}

std::string paragraphsInTables(std::size_t tables, std::size_t paragraphs)
{
    return repeated("<table><tr><td>", tables) + repeated("<p>字 word</p>", paragraphs) + repeated("</td></tr></table>", tables);
}

} // namespace

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
