#include "platform/text/pango/FontLibrary.h"

#include <cairo.h>
#include <fontconfig/fontconfig.h>
#include <hb-ot.h>
#include <pango/pangocairo.h>
#include <pango/pangofc-font.h>
#include <pango/pangofc-fontmap.h>

#include <cstdio>
#include <fstream>
#include <sys/mman.h>
#include <cstdlib>
#include <cstring>
#include <strings.h>

#ifndef CORVANE_FONTS_CONF
#define CORVANE_FONTS_CONF "resources/fonts/fonts.conf"
#endif

FontLibrary& FontLibrary::shared()
{
    static FontLibrary* library = [] {
        auto created = createWithConfigurationFile(defaultConfigurationPath());
        if (!created) {
            // Text must still draw; only exact metrics are lost, and the log says why.
            std::fprintf(stderr, "text: cannot read %s, using the system font configuration\n", defaultConfigurationPath().c_str());
            created.reset(new FontLibrary);
            created->load({});
        }
        return created.release();
    }();
    return *library;
}

std::string FontLibrary::defaultConfigurationPath()
{
    if (const char* path = std::getenv("CORVANE_FONTS_CONF"); path && *path)
        return path;
    return CORVANE_FONTS_CONF;
}

std::unique_ptr<FontLibrary> FontLibrary::createWithConfigurationFile(const std::string& path)
{
    std::unique_ptr<FontLibrary> library(new FontLibrary);
    if (path.empty() || !library->load(path))
        return nullptr;
    return library;
}

bool FontLibrary::load(const std::string& path)
{
    if (path.empty()) {
        m_config = FcInitLoadConfigAndFonts();
    } else {
        m_config = FcConfigCreate();
        if (!FcConfigParseAndLoad(m_config, reinterpret_cast<const FcChar8*>(path.c_str()), FcTrue) || !FcConfigBuildFonts(m_config)) {
            FcConfigDestroy(m_config);
            m_config = nullptr;
            return false;
        }
    }
    if (FcFontSet* fonts = FcConfigGetFonts(m_config, FcSetSystem)) {
        for (int index = 0; index < fonts->nfont; ++index) {
            FcChar8* file = nullptr;
            if (FcPatternGetString(fonts->fonts[index], FC_FILE, 0, &file) == FcResultMatch && file)
                m_fontFiles.emplace(reinterpret_cast<const char*>(file));
        }
    }
    // The font map's first instance loads the system's whole configuration on a thread and waits
    // for it before matching, though it matches with this one: made current, it is taken as loaded.
    FcConfigSetCurrent(m_config);
    m_fontMap = pango_cairo_font_map_new_for_font_type(CAIRO_FONT_TYPE_FT);
    if (!m_fontMap)
        return false;
    pango_fc_font_map_set_config(PANGO_FC_FONT_MAP(m_fontMap), m_config);
    pango_cairo_font_map_set_resolution(PANGO_CAIRO_FONT_MAP(m_fontMap), 72);
    m_context = pango_font_map_create_context(m_fontMap);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    pango_cairo_context_set_font_options(m_context, options);
    cairo_font_options_destroy(options);
    pango_context_set_round_glyph_positions(m_context, FALSE);
    pango_context_set_language(m_context, pango_language_from_string("zh-cn"));
    pango_context_set_base_dir(m_context, PANGO_DIRECTION_LTR);
    return true;
}

FontLibrary::~FontLibrary()
{
    if (m_context)
        g_object_unref(m_context);
    if (m_fontMap)
        g_object_unref(m_fontMap);
    if (m_config)
        FcConfigDestroy(m_config);
}

bool FontLibrary::hasFontNamed(const std::string& name) const
{
    if (name.empty() || !m_config)
        return false;
    MutexLocker lock(m_mutex);
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(name.c_str()));
    FcConfigSubstitute(m_config, pattern, FcMatchPattern);
    FcChar8* first = nullptr;
    bool known = FcPatternGetString(pattern, FC_FAMILY, 0, &first) == FcResultMatch && strcasecmp(reinterpret_cast<const char*>(first), name.c_str()) != 0;
    if (!known) {
        FcDefaultSubstitute(pattern);
        FcResult result;
        if (FcPattern* match = FcFontMatch(m_config, pattern, &result)) {
            FcChar8* family = nullptr;
            for (int index = 0; FcPatternGetString(match, FC_FAMILY, index, &family) == FcResultMatch; ++index) {
                if (strcasecmp(reinterpret_cast<const char*>(family), name.c_str()) == 0)
                    known = true;
            }
            FcPatternDestroy(match);
        }
    }
    FcPatternDestroy(pattern);
    return known;
}

PangoFont* FontLibrary::loadFont(const PangoFontDescription* description) const
{
    MutexLocker lock(m_mutex);
    return pango_font_map_load_font(m_fontMap, m_context, description);
}

FontFaceMetrics FontLibrary::metricsOfFont(PangoFont* font) const
{
    if (!font)
        return {};
    MutexLocker lock(m_mutex);
    return metricsOfFontLocked(font);
}

FontFaceMetrics FontLibrary::metricsOfFontLocked(PangoFont* font) const
{
    FontFaceMetrics metrics;
    if (!font)
        return metrics;
    hb_font_t* pangoFont = pango_font_get_hb_font(font);
    if (!pangoFont)
        return metrics;
    hb_face_t* face = hb_font_get_face(pangoFont);
    // Keyed by file and face index: a face object may be freed and its address reused.
    std::string key;
    if (PANGO_IS_FC_FONT(font)) {
        FcPattern* pattern = pango_fc_font_get_pattern(PANGO_FC_FONT(font));
        FcChar8* file = nullptr;
        int index = 0;
        FcPatternGetString(pattern, FC_FILE, 0, &file);
        FcPatternGetInteger(pattern, FC_INDEX, 0, &index);
        key = std::string(file ? reinterpret_cast<const char*>(file) : "") + "#" + std::to_string(index);
    }
    if (auto cached = m_state.metricsByFace.find(key); !key.empty() && cached != m_state.metricsByFace.end())
        return cached->second;

    // Read in font units from a font of our own: Pango's scales by its own rules.
    const double unitsPerEm = hb_face_get_upem(face);
    hb_font_t* unscaled = hb_font_create(face);
    hb_font_set_scale(unscaled, static_cast<int>(unitsPerEm), static_cast<int>(unitsPerEm));
    auto read = [&](hb_ot_metrics_tag_t tag) {
        hb_position_t position = 0;
        hb_ot_metrics_get_position_with_fallback(unscaled, tag, &position);
        return position / unitsPerEm;
    };
    hb_font_extents_t extents {};
    hb_font_get_h_extents(unscaled, &extents);
    metrics.ascent = extents.ascender / unitsPerEm;
    metrics.descent = -extents.descender / unitsPerEm;
    metrics.lineGap = extents.line_gap / unitsPerEm;
    metrics.capHeight = read(HB_OT_METRICS_TAG_CAP_HEIGHT);
    metrics.xHeight = read(HB_OT_METRICS_TAG_X_HEIGHT);
    metrics.underlinePosition = read(HB_OT_METRICS_TAG_UNDERLINE_OFFSET);
    metrics.underlineThickness = read(HB_OT_METRICS_TAG_UNDERLINE_SIZE);
    hb_font_destroy(unscaled);
    if (!key.empty())
        m_state.metricsByFace.emplace(key, metrics);
    return metrics;
}

size_t FontLibrary::releaseResidentFontPages() const
{
    if (m_fontFiles.empty())
        return 0;
    MutexLocker lock(m_mutex);
    // Lines read "start-end perms offset device inode   path".
    std::ifstream maps("/proc/self/maps");
    std::string line;
    size_t released = 0;
    while (std::getline(maps, line)) {
        const auto slash = line.find('/');
        if (slash == std::string::npos || !m_fontFiles.contains(line.substr(slash)))
            continue;
        char* end = nullptr;
        const auto start = std::strtoull(line.c_str(), &end, 16);
        if (!end || *end != '-')
            continue;
        const auto stop = std::strtoull(end + 1, &end, 16);
        // Only read-only mappings: their pages are the file's and nothing is lost by dropping them.
        if (stop <= start || !end || std::strncmp(end, " r--", 4) != 0)
            continue;
        if (madvise(reinterpret_cast<void*>(start), stop - start, MADV_DONTNEED) == 0)
            released += stop - start;
    }
    return released;
}
