// Draws the short clips of the video questions (4 s, 10 frames a second, 320x200, top view of
// a road) and encodes them as Theora in Ogg; each clip is one traffic situation a question asks
// about. Also turns the rendered drawings of picture questions into the JPEG files they name.
#include <cairo.h>
#include <gst/app/gstappsrc.h>
#include <gst/gst.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <string>

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 200;
constexpr int kFrames = 40;

void rgb(cairo_t* cr, unsigned hex) { cairo_set_source_rgb(cr, ((hex >> 16) & 255) / 255.0, ((hex >> 8) & 255) / 255.0, (hex & 255) / 255.0); }

void rect(cairo_t* cr, double x, double y, double w, double h, unsigned hex)
{
    rgb(cr, hex);
    cairo_rectangle(cr, x, y, w, h);
    cairo_fill(cr);
}

// A horizontal road across the frame: two lanes each way between y 50 and 150.
void road(cairo_t* cr)
{
    rect(cr, 0, 0, kWidth, kHeight, 0x7cb668);
    rect(cr, 0, 50, kWidth, 100, 0x555a60);
    rect(cr, 0, 98, kWidth, 4, 0xf2c230);
    for (int x = 0; x < kWidth; x += 30) {
        rect(cr, x, 74, 16, 2, 0xffffff);
        rect(cr, x, 124, 16, 2, 0xffffff);
    }
    rect(cr, 0, 50, kWidth, 2, 0xffffff);
    rect(cr, 0, 148, kWidth, 2, 0xffffff);
}

// A car seen from above, heading right (or left when `left`).
void car(cairo_t* cr, double x, double y, unsigned hex, bool left = false, bool blinkLeft = false, bool blinkRight = false)
{
    rect(cr, x, y, 40, 20, hex);
    rect(cr, left ? x + 8 : x + 22, y + 3, 10, 14, 0x9fd3f0);
    if (blinkLeft)
        rect(cr, left ? x - 3 : x + 37, left ? y + 15 : y - 3, 6, 6, 0xffa000);
    if (blinkRight)
        rect(cr, left ? x - 3 : x + 37, left ? y - 3 : y + 17, 6, 6, 0xffa000);
}

void person(cairo_t* cr, double x, double y, unsigned hex)
{
    rgb(cr, hex);
    cairo_arc(cr, x, y, 6, 0, 2 * M_PI);
    cairo_fill(cr);
    rgb(cr, 0x2b2b2b);
    cairo_arc(cr, x, y, 3, 0, 2 * M_PI);
    cairo_fill(cr);
}

void zebra(cairo_t* cr, double x)
{
    for (int y = 54; y < 146; y += 10)
        rect(cr, x, y, 24, 6, 0xffffff);
}

double clamp01(double v) { return v < 0 ? 0 : v > 1 ? 1 : v; }
// Eases a move from a to b over the part [from, to] of the clip.
double move(double t, double from, double to, double a, double b)
{
    const double u = clamp01((t - from) / (to - from));
    return a + (b - a) * (1 - std::cos(u * M_PI)) / 2;
}

using Scene = std::function<void(cairo_t*, double, int)>;

const std::map<std::string, Scene>& scenes()
{
    static const std::map<std::string, Scene> all {
        // A pedestrian crosses on the zebra; the car stops before it and goes on when the way is clear.
        { "clip_crossing", [](cairo_t* cr, double t, int) {
             road(cr);
             zebra(cr, 200);
             rect(cr, 192, 102, 3, 46, 0xffffff);
             person(cr, 212, move(t, 0.05, 0.75, 160, 40), 0xd9412b);
             car(cr, t < 0.75 ? move(t, 0, 0.35, 10, 140) : move(t, 0.75, 1, 140, 330), 103, 0x2f6fd6);
         } },
        // A car signals left, checks, overtakes the slow lorry on its left and returns to its lane.
        { "clip_overtake", [](cairo_t* cr, double t, int frame) {
             road(cr);
             rect(cr, 60 + 60 * t, 126, 70, 22, 0x8a6d3b);
             const double x = move(t, 0, 1, 0, 300);
             const double y = t < 0.25 ? 127 : t < 0.45 ? move(t, 0.25, 0.45, 127, 103) : t < 0.7 ? 103 : move(t, 0.7, 0.9, 103, 127);
             const bool blink = (frame / 3) % 2 == 0;
             car(cr, x, y, 0x2f6fd6, false, t < 0.45 && blink, t > 0.6 && t < 0.9 && blink);
         } },
        // The light ahead turns yellow and red; the car stops behind the stop line.
        { "clip_redlight", [](cairo_t* cr, double t, int) {
             road(cr);
             rect(cr, 230, 102, 3, 46, 0xffffff);
             rect(cr, 245, 152, 30, 44, 0x222222);
             const unsigned light = t < 0.3 ? 0x2ecc40 : t < 0.45 ? 0xffc400 : 0xe8202a;
             rgb(cr, light);
             cairo_arc(cr, 260, t < 0.3 ? 186 : t < 0.45 ? 174 : 162, 5, 0, 2 * M_PI);
             cairo_fill(cr);
             car(cr, move(t, 0, 0.7, 10, 185), 127, 0x2f6fd6);
         } },
        // Two cars on an expressway: the follower keeps its distance when the leader slows down.
        { "clip_distance", [](cairo_t* cr, double t, int) {
             road(cr);
             const double lead = 120 + 150 * t - 40 * move(t, 0.3, 0.7, 0, 1);
             car(cr, lead, 103, 0xc0392b);
             car(cr, lead - 100, 103, 0x2f6fd6);
         } },
        // An ambulance with flashing lights comes from behind; the car moves right and gives way.
        { "clip_ambulance", [](cairo_t* cr, double t, int frame) {
             road(cr);
             car(cr, move(t, 0, 1, 80, 200), move(t, 0.15, 0.45, 103, 127), 0x2f6fd6, false, false, t < 0.5 && (frame / 3) % 2 == 0);
             const double ax = move(t, 0, 1, -50, 330);
             rect(cr, ax, 102, 50, 22, 0xffffff);
             rect(cr, ax + 20, 102, 6, 22, 0xe8202a);
             rect(cr, ax + 30, 104, 6, 6, (frame % 2) ? 0x1e6ff0 : 0xe8202a);
         } },
        // A ball rolls out from between parked cars; the driver brakes, a child follows it.
        { "clip_ball", [](cairo_t* cr, double t, int) {
             road(cr);
             car(cr, 170, 126, 0x7f8c8d);
             car(cr, 230, 126, 0x95a5a6);
             rgb(cr, 0xf39c12);
             cairo_arc(cr, 222, move(t, 0.15, 0.55, 160, 95), 5, 0, 2 * M_PI);
             cairo_fill(cr);
             person(cr, 222, move(t, 0.5, 0.9, 165, 140), 0x27ae60);
             car(cr, move(t, 0, 0.55, 10, 140), 104, 0x2f6fd6);
         } },
        // In fog the car drives slowly with its fog and position lights on.
        { "clip_fog", [](cairo_t* cr, double t, int frame) {
             road(cr);
             car(cr, move(t, 0, 1, 10, 200), 127, 0x2f6fd6);
             rgb(cr, 0xfff6b0);
             cairo_arc(cr, move(t, 0, 1, 10, 200) + 44, 137, 4 + (frame % 2), 0, 2 * M_PI);
             cairo_fill(cr);
             cairo_set_source_rgba(cr, 0.85, 0.85, 0.88, 0.7);
             cairo_paint(cr);
         } },
        // A car turning right at a crossing waits for the cyclist going straight on its right.
        { "clip_cyclist", [](cairo_t* cr, double t, int frame) {
             road(cr);
             rect(cr, 250, 0, 60, kHeight, 0x555a60);
             rect(cr, 250, 50, 60, 100, 0x5d6268);
             const bool blink = (frame / 3) % 2 == 0;
             const double x = t < 0.6 ? move(t, 0, 0.4, 20, 200) : move(t, 0.6, 1, 200, 250);
             const double y = t < 0.6 ? 122 : move(t, 0.6, 1, 122, 190);
             car(cr, x, y, 0x2f6fd6, false, false, blink);
             rect(cr, move(t, 0, 0.65, 120, 330), 143, 18, 6, 0x16a085);
             person(cr, move(t, 0, 0.65, 120, 330) + 9, 146, 0x16a085);
         } },
    };
    return all;
}

// Runs a pipeline to its end; the output is written under a temporary name and renamed.
bool run(const std::string& description, const std::string& temporary, const std::string& output,
    const std::function<void(GstElement*)>& feed = {})
{
    GError* error = nullptr;
    GstElement* pipeline = gst_parse_launch(description.c_str(), &error);
    if (!pipeline) {
        std::fprintf(stderr, "%s\n", error ? error->message : "no pipeline");
        return false;
    }
    gst_element_set_state(pipeline, GST_STATE_PLAYING);
    if (feed) {
        GstElement* frames = gst_bin_get_by_name(GST_BIN(pipeline), "frames");
        feed(frames);
        gst_object_unref(frames);
    }
    GstBus* bus = gst_element_get_bus(pipeline);
    GstMessage* message = gst_bus_timed_pop_filtered(bus, 60 * GST_SECOND, static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
    const bool ok = message && GST_MESSAGE_TYPE(message) == GST_MESSAGE_EOS;
    if (message)
        gst_message_unref(message);
    gst_object_unref(bus);
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(pipeline);
    if (!ok || std::rename(temporary.c_str(), output.c_str()) != 0) {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

void feedFrames(GstElement* source, const Scene& scene)
{
    for (int frame = 0; frame < kFrames; ++frame) {
        cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kWidth, kHeight);
        cairo_t* cr = cairo_create(surface);
        scene(cr, double(frame) / (kFrames - 1), frame);
        cairo_destroy(cr);
        cairo_surface_flush(surface);
        const int stride = cairo_image_surface_get_stride(surface);
        GstBuffer* buffer = gst_buffer_new_allocate(nullptr, gsize(kWidth * 4 * kHeight), nullptr);
        GstMapInfo map;
        gst_buffer_map(buffer, &map, GST_MAP_WRITE);
        for (int y = 0; y < kHeight; ++y)
            std::memcpy(map.data + y * kWidth * 4, cairo_image_surface_get_data(surface) + y * stride, kWidth * 4);
        gst_buffer_unmap(buffer, &map);
        cairo_surface_destroy(surface);
        GST_BUFFER_PTS(buffer) = gst_util_uint64_scale(frame, GST_SECOND, 10);
        GST_BUFFER_DURATION(buffer) = GST_SECOND / 10;
        gst_app_src_push_buffer(GST_APP_SRC(source), buffer);
    }
    gst_app_src_end_of_stream(GST_APP_SRC(source));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::string(argv[1]) == "--picture") {
        gst_init(nullptr, nullptr);
        const std::string temporary = std::string(argv[3]) + ".writing";
        const bool ok = run("filesrc location=\"" + std::string(argv[2]) + "\" ! pngdec ! videoconvert ! jpegenc quality=90 ! filesink location=\""
                + temporary + "\"",
            temporary, argv[3]);
        if (!ok)
            std::fprintf(stderr, "%s: not turned into a JPEG picture\n", argv[2]);
        return ok ? 0 : 1;
    }
    if (argc != 3 || !scenes().contains(argv[1])) {
        std::fprintf(stderr, "usage: %s --picture INPUT.png OUTPUT.jpg, or %s CLIP OUTPUT.ogv; clips:", argv[0], argv[0]);
        for (const auto& [name, scene] : scenes())
            std::fprintf(stderr, " %s", name.c_str());
        std::fprintf(stderr, "\n");
        return 2;
    }
    const Scene& scene = scenes().at(argv[1]);
    gst_init(nullptr, nullptr);
    const std::string temporary = std::string(argv[2]) + ".writing";
    const bool ok = run("appsrc name=frames format=time caps=video/x-raw,format=BGRx,width=320,height=200,framerate=10/1 "
                        "! videoconvert ! theoraenc keyframe-force=10 ! oggmux ! filesink location=\"" + temporary + "\"",
        temporary, argv[2], [&](GstElement* source) { feedFrames(source, scene); });
    if (!ok)
        std::fprintf(stderr, "encoding %s failed\n", argv[1]);
    return ok ? 0 : 1;
}
