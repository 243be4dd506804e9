#include "platform/uikit/WebDefaultStyle.h"

namespace WebDefaultStyle {

const char* sheet()
{
    return R"css(
html { display: block; position: relative; }
head, meta, title, link, style, script, template, noscript, [hidden] { display: none; }
body { display: block; margin: 8px; }
address, article, aside, blockquote, center, dd, details, dialog, dir, div, dl, dt, fieldset,
figcaption, figure, footer, form, header, hgroup, hr, legend, main, menu, nav, ol, p, pre,
section, summary, ul { display: block; }
p, dl, multicol { margin-top: 1em; margin-bottom: 1em; }
blockquote, figure { margin: 1em 40px; }
dd { margin-left: 40px; }
br { display: block; } /* the engine breaks a line only at a block */
h1, h2, h3, h4, h5, h6 { display: block; font-weight: bold; }
h1 { font-size: 2em; margin: 0.67em 0; }
h2 { font-size: 1.5em; margin: 0.83em 0; }
h3 { font-size: 1.17em; margin: 1em 0; }
h4 { margin: 1.33em 0; }
h5 { font-size: 0.83em; margin: 1.67em 0; }
h6 { font-size: 0.67em; margin: 2.33em 0; }
ul, ol, menu, dir { margin-top: 1em; margin-bottom: 1em; padding-left: 40px; }
ul, menu, dir { list-style-type: disc; }
ol { list-style-type: decimal; }
ul ul, ol ul { list-style-type: circle; margin-top: 0; margin-bottom: 0; }
li { display: list-item; }
pre, code, kbd, samp, tt { font-family: monospace; }
pre { white-space: pre; margin: 1em 0; }
b, strong, th { font-weight: bold; }
i, em, cite, var, dfn, address { font-style: italic; }
u, ins { text-decoration: underline; }
s, strike, del { text-decoration: line-through; }
small { font-size: 0.83em; }
big { font-size: 1.17em; }
sub { vertical-align: sub; font-size: 0.83em; }
sup { vertical-align: super; font-size: 0.83em; }
center { text-align: center; }
a:link, a:visited, a[href] { color: #0000ee; text-decoration: underline; cursor: pointer; }
img { display: inline-block; }
hr { border: 1px inset #a0a0a0; margin: 0.5em auto; height: 0; }
table { display: table; border-collapse: separate; border-spacing: 2px; }
caption { display: table-caption; text-align: center; }
thead { display: table-header-group; vertical-align: middle; }
tbody { display: table-row-group; vertical-align: middle; }
tfoot { display: table-footer-group; vertical-align: middle; }
tr { display: table-row; vertical-align: inherit; }
td, th { display: table-cell; vertical-align: inherit; padding: 1px; }
th { text-align: center; }
col { display: table-column; }
colgroup { display: table-column-group; }
input, select, textarea, button { display: inline-block; }
)css";
}

} // namespace WebDefaultStyle
