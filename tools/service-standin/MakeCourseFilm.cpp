// Encodes one course film for the stand-in: the drawn title card held for the film's length, with
// a bar along the bottom that fills as it plays, and a soft tone on the sound track (Theora and
// Vorbis in Ogg, 320x180 at 10 frames a second).
#include <cairo.h>
#include <gst/gst.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

struct Film {
    double seconds { 0 };
};

void drawProgress(GstElement*, cairo_t* cairo, guint64 timestamp, guint64, gpointer data)
{
    const auto* film = static_cast<const Film*>(data);
    const double elapsed = static_cast<double>(timestamp) / GST_SECOND;
    const double fraction = film->seconds > 0 ? elapsed / film->seconds : 0;
    cairo_set_source_rgba(cairo, 1, 1, 1, 0.35);
    cairo_rectangle(cairo, 0, 174, 320, 6);
    cairo_fill(cairo);
    cairo_set_source_rgb(cairo, 1, 1, 1);
    cairo_rectangle(cairo, 0, 174, 320 * fraction, 6);
    cairo_fill(cairo);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 5) {
        std::fprintf(stderr, "usage: %s CARD.png SECONDS TONE-HZ OUTPUT.ogv\n", argv[0]);
        return 2;
    }
    gst_init(nullptr, nullptr);
    Film film { std::atof(argv[2]) };
    const int frames = static_cast<int>(film.seconds * 10);
    const int soundBuffers = static_cast<int>(film.seconds * 10);
    const std::string description = "filesrc location=\"" + std::string(argv[1]) + "\" ! pngdec ! imagefreeze num-buffers="
        + std::to_string(frames) + " ! videoconvert ! video/x-raw,format=BGRx,width=320,height=180,framerate=10/1 "
        + "! cairooverlay name=overlay ! videoconvert ! theoraenc keyframe-force=10 ! mux. "
        + "audiotestsrc num-buffers=" + std::to_string(soundBuffers) + " samplesperbuffer=2205 freq=" + argv[3]
        + " volume=0.08 ! audio/x-raw,rate=22050,channels=1 ! audioconvert ! vorbisenc ! mux. "
        + "oggmux name=mux ! filesink location=\"" + argv[4] + "\"";
    GError* error = nullptr;
    GstElement* pipeline = gst_parse_launch(description.c_str(), &error);
    if (!pipeline) {
        std::fprintf(stderr, "%s\n", error ? error->message : "no pipeline");
        return 1;
    }
    GstElement* overlay = gst_bin_get_by_name(GST_BIN(pipeline), "overlay");
    g_signal_connect(overlay, "draw", G_CALLBACK(drawProgress), &film);
    gst_object_unref(overlay);
    gst_element_set_state(pipeline, GST_STATE_PLAYING);
    GstBus* bus = gst_element_get_bus(pipeline);
    GstMessage* message = gst_bus_timed_pop_filtered(bus, 120 * GST_SECOND, static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
    const bool ok = message && GST_MESSAGE_TYPE(message) == GST_MESSAGE_EOS;
    if (message)
        gst_message_unref(message);
    gst_object_unref(bus);
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(pipeline);
    if (!ok)
        std::fprintf(stderr, "encoding failed\n");
    return ok ? 0 : 1;
}
