#pragma once
// The fonts the text layer lays out and draws with: one fontconfig configuration read from the
// project's own file, and a Pango font map over it at 72 dpi, so one point is one unit of user
// space and measured text is the same on every machine.
//
// Pango and fontconfig objects are not thread-safe; every use of them goes under mutex().

#include <pango/pango.h>

#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>

typedef struct _FcConfig FcConfig;

// Vertical metrics of a face in ems; descent and line gap are positive distances.
struct FontFaceMetrics {
    double ascent { 0 };
    double descent { 0 };
    double lineGap { 0 };
    double capHeight { 0 };
    double xHeight { 0 };
    double underlinePosition { 0 };
    double underlineThickness { 0 };
};

class FontLibrary {
public:
    // The library every font and layout of the process uses, read from defaultConfigurationPath().
    static FontLibrary& shared();
    // A separate library over a configuration file; nullptr when the file cannot be read.
    static std::unique_ptr<FontLibrary> createWithConfigurationFile(const std::string& path);
    // $CORVANE_FONTS_CONF when set, else resources/fonts/fonts.conf of the source tree.
    static std::string defaultConfigurationPath();

    ~FontLibrary();
    FontLibrary(const FontLibrary&) = delete;
    FontLibrary& operator=(const FontLibrary&) = delete;

    std::recursive_mutex& mutex() const { return m_mutex; }
    // A context configured for device-independent layout: no hinting, unrounded positions.
    PangoContext* context() const { return m_context; }

    // Whether a font name means a face of the configuration: a name the file maps, or the
    // family name of an installed face. Fontconfig itself always substitutes something.
    bool hasFontNamed(const std::string& name) const;
    // The primary face for a description; owned by the caller (g_object_unref).
    PangoFont* loadFont(const PangoFontDescription* description) const;
    FontFaceMetrics metricsOfFont(PangoFont* font) const;

    // Drops this process's page-table entries for the font files. The shaper and the rasteriser
    // each map a file whole, and every glyph read faults in the 64 KiB around it (the kernel's
    // fault-around, which no madvise hint turns off): a CJK face held 4 to 5 MB of resident pages
    // for a few hundred glyphs. The pages stay in the page cache, so a later read costs a minor
    // fault. Returns the bytes of font mappings it went over.
    size_t releaseResidentFontPages() const;

private:
    FontLibrary() = default;
    bool load(const std::string& path);

    mutable std::recursive_mutex m_mutex;
    FcConfig* m_config { nullptr };
    PangoFontMap* m_fontMap { nullptr };
    PangoContext* m_context { nullptr };
    mutable std::map<std::string, FontFaceMetrics> m_metricsByFace;
    std::set<std::string> m_fontFiles;
};
