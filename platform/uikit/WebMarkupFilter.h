#pragma once
// Rewrites a page before the HTML engine reads it, so that the tree the engine builds stays
// bounded whatever the markup: at most depthLimit elements inside one another and elementLimit
// elements in all, and at most tableNestingLimit tables inside one another. The page comes out as its own markup with every element closed explicitly
// where it would be closed anyway, stray end tags, comments, frames and embedded SVG or MathML
// left out, and every '<' that opens no tag escaped, so that the engine's parser sees exactly the
// tags counted here and nests them no deeper. A start tag past a limit is dropped with its end
// tag; its text stays in the element around it.

#include <cstddef>
#include <string>
#include <string_view>

class WebMarkupFilter {
public:
    static constexpr std::size_t defaultDepthLimit = 128;
    static constexpr std::size_t defaultElementLimit = 50000;
    // Tables inside one another: the engine lays a table out again for each table it is in.
    static constexpr std::size_t tableNestingLimit = 8;

    struct Result {
        std::string html;
        // The most elements open at once, and the elements kept.
        std::size_t deepest { 0 };
        std::size_t elements { 0 };
        // Start tags left out for a limit.
        std::size_t dropped { 0 };
    };

    static Result filter(std::string_view html, std::size_t depthLimit = defaultDepthLimit,
        std::size_t elementLimit = defaultElementLimit);
};
