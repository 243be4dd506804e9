#pragma once
// The Pango half of fonts and lines, for the platform's back-end code only (text and layers
// draw through it); nothing outside platform/ includes this header.

#include "platform/text/CTFrame.h"
#include "platform/text/UIFont.h"

#include <cairo.h>
#include <pango/pango.h>

class UIFont::Backend {
public:
    explicit Backend(PangoFontDescription* description) : m_description(description) { }
    ~Backend() { pango_font_description_free(m_description); }
    Backend(const Backend&) = delete;
    Backend& operator=(const Backend&) = delete;

    // Family is the platform name, which the configuration resolves.
    const PangoFontDescription* description() const { return m_description; }

private:
    PangoFontDescription* m_description;
};

class CTLine::Backend {
public:
    // Takes a reference to the line (under the font library's lock).
    explicit Backend(PangoLayoutLine* line) : m_line(pango_layout_line_ref(line)) { }
    ~Backend();
    Backend(const Backend&) = delete;
    Backend& operator=(const Backend&) = delete;

    PangoLayoutLine* line() const { return m_line; }
    // Draws with the baseline origin at a point of the Cairo context's user space. yUp: that
    // space has y going up, as the text engine's does; glyphs stay upright in it. Text that
    // takes its colour from the context draws with the Cairo context's source.
    void draw(cairo_t* cairo, CGPoint origin, bool yUp) const;

private:
    PangoLayoutLine* m_line;
};

// Draws at the Cairo context's current point, y up.
void CTLineDraw(const CTLineRef& line, cairo_t* cairo);
// Draws every line in the Cairo context's user space, taken as y up.
void CTFrameDraw(const CTFrameRef& frame, cairo_t* cairo);
