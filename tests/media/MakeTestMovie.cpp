// Encodes a short test-pattern movie (3 s, 10 frames a second, 64x48) with a tone on its sound
// track (3 s of mono Vorbis) for the media tests.
#include <gst/gst.h>

#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT\n", argv[0]);
        return 2;
    }
    gst_init(nullptr, nullptr);
    const std::string description = "videotestsrc num-buffers=30 pattern=smpte ! video/x-raw,width=64,height=48,framerate=10/1 "
                                    "! theoraenc keyframe-force=10 ! mux. "
                                    "audiotestsrc num-buffers=30 samplesperbuffer=2205 freq=440 volume=0.2 "
                                    "! audio/x-raw,rate=22050,channels=1 ! audioconvert ! vorbisenc ! mux. "
                                    "oggmux name=mux ! filesink location=\"" + std::string(argv[1]) + "\"";
    GError* error = nullptr;
    GstElement* pipeline = gst_parse_launch(description.c_str(), &error);
    if (!pipeline) {
        std::fprintf(stderr, "%s\n", error ? error->message : "no pipeline");
        return 1;
    }
    gst_element_set_state(pipeline, GST_STATE_PLAYING);
    GstBus* bus = gst_element_get_bus(pipeline);
    GstMessage* message = gst_bus_timed_pop_filtered(bus, 60 * GST_SECOND, static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
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
