#pragma once
// The decorations a link label draws from the runs of its lines: a box behind a run (fill,
// outline, padding, corner radius, line width) and a line struck through a run. Lines are given
// as drawn, in a y-down space, each with the origin of its baseline.

#include "platform/graphics/CGContext.h"
#include "platform/text/CTLine.h"
#include "platform/text/UIFont.h"
#include "platform/uikit/UIGeometry.h"

#include <vector>

namespace LKRunDecorations {

struct PlacedLine {
    CTLineRef line;
    CGPoint baselineOrigin;
};

struct Box {
    CGRect rect;
    CGFloat cornerRadius { 0 };
    CGFloat lineWidth { 0 };
    CGColorRef fill;
    CGColorRef stroke;
};

struct Strike {
    CGPoint from;
    CGPoint to;
    CGFloat width { 1 };
    CGColorRef colour;
};

// A colour attribute's CGColor, from a CGColor or a UIKit colour; nil for anything else.
CGColorRef colourOfValue(const id& value);

// Every run with a fill or an outline colour: its glyph box grown by the padding, no wider than
// its line, shrunk by the edge inset and then by the line width.
std::vector<Box> backgroundBoxes(const std::vector<PlacedLine>& lines, UIEdgeInsets edgeInset);
// Every run marked struck: a line through the middle of its glyph box (raised for subscripts,
// lowered for superscripts) in the run's colour, as thick as the font's underline.
std::vector<Strike> strikes(const std::vector<PlacedLine>& lines, const UIFontRef& font);

void drawBoxes(const CGContextRef& context, const std::vector<Box>& boxes);
void drawStrikes(const CGContextRef& context, const std::vector<Strike>& strikes);

} // namespace LKRunDecorations
