#pragma once
// The fonts the text layer lays out and draws with: one fontconfig configuration read from the
// project's own file, and a Pango font map over it at 72 dpi, so one point is one unit of user
// space and measured text is the same on every machine.
//
// Pango and fontconfig objects are not thread-safe; every use of them goes under mutex(). The
// lock is a plain one: nothing that takes it is called with it held, so code holding it never
// makes a font (the first use of the default font loads one).

#include "platform/foundation/Mutex.h"

#include <pango/pango.h>

#include <map>
#include <memory>
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

    Mutex& mutex() const RETURN_CAPABILITY(m_mutex) { return m_mutex; }
    // A context configured for device-independent layout: no hinting, unrounded positions.
    PangoContext* context() const REQUIRES(m_mutex) { return m_context; }

    // Whether a font name means a face of the configuration: a name the file maps, or the
    // family name of an installed face. Fontconfig itself always substitutes something.
    bool hasFontNamed(const std::string& name) const EXCLUDES(m_mutex);
    // The primary face for a description; owned by the caller (g_object_unref).
    PangoFont* loadFont(const PangoFontDescription* description) const EXCLUDES(m_mutex);
    FontFaceMetrics metricsOfFont(PangoFont* font) const EXCLUDES(m_mutex);
    FontFaceMetrics metricsOfFontLocked(PangoFont* font) const REQUIRES(m_mutex);

    // Drops this process's page-table entries for the font files. The shaper and the rasteriser
    // each map a file whole, and every glyph read faults in the 64 KiB around it (the kernel's
    // fault-around, which no madvise hint turns off): a CJK face held 4 to 5 MB of resident pages
    // for a few hundred glyphs. The pages stay in the page cache, so a later read costs a minor
    // fault. Returns the bytes of font mappings it went over.
    size_t releaseResidentFontPages() const EXCLUDES(m_mutex);

private:
    FontLibrary() = default;
    bool load(const std::string& path);

    mutable Mutex m_mutex;
    // Set once by load(), before the library is shared; what they point to is used under the lock.
    FcConfig* m_config { nullptr };
    PangoFontMap* m_fontMap { nullptr };
    PangoContext* m_context { nullptr };
    std::set<std::string> m_fontFiles;
    struct State {
        std::map<std::string, FontFaceMetrics> metricsByFace;
    };
    mutable State m_state GUARDED_BY(m_mutex);
};
