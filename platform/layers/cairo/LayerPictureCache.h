#pragma once
// Finished pictures of what layers paint, kept between frames in device pixels so that a frame
// copies them instead of rasterising shadows, rounded backgrounds, filled shapes, gradients and
// whole unchanged subtrees again (strokes are drawn each time). A picture holds one painting
// step alone (painted over nothing) or a subtree over its own opaque background. Its opaque
// pixels are copied; a shadow's pixels are composited as its blurred coverage would be; other
// translucent pixels (antialiased edges) are drawn again there, or, when what lies below is
// what lay below the last time, given the pixels that drawing gave then: a frame shows the very
// pixels drawing everything again would.
//
// Pictures are bound to a budget of bytes: the least recently shown go first, a frame of the
// whole screen drops those it did not show (their layers are off screen or gone), forget()
// those of a layer that left the tree, and clear() drops them all (a memory warning).

#include "platform/graphics/cairo/CairoBackend.h"
#include "platform/layers/CALayer.h"

#include <array>
#include <cstdint>
#include <unordered_map>
#include <vector>

// One picture of a layer's part.
struct LayerPicture {
    // Null with `drawn` set: the step paints nothing there.
    CairoSurface surface;
    bool drawn { false };
    // Where the picture lies on the device, and the Cairo matrix it was drawn with.
    int x { 0 };
    int y { 0 };
    cairo_matrix_t matrix {};
    CGFloat deviceScale { 0 };
    CGFloat deviceHeight { 0 };
    std::uint64_t revision { 0 };
    std::uint64_t lastUse { 0 };
    // Rectangles of the picture (from its top left) that are opaque, to be copied, and the
    // rest, to be composited over what lies below.
    std::vector<cairo_rectangle_int_t> opaque;
    std::vector<cairo_rectangle_int_t> translucent;
    // Where antialiased edges blend with what lies below, a copy of the picture would round
    // otherwise than drawing does: what lay below the translucent rectangles when they were
    // last drawn there, and what drawing made of it, at (belowX, belowY).
    bool hasBelow { false };
    int belowX { 0 };
    int belowY { 0 };
    std::vector<std::uint32_t> below;
    std::vector<std::uint32_t> over;
    // The last frame that wanted the picture, and the revision and matrix it wanted it at:
    // changed from the frame before, the picture would be made again every frame (a layer
    // moving by fractions of a pixel), and the step is drawn in place instead.
    std::uint64_t wantedFrame { 0 };
    std::uint64_t wantedRevision { 0 };
    cairo_matrix_t wantedMatrix {};
    bool changing { false };
    std::size_t bytes() const;
};

class LayerPictureCache {
public:
    enum class Part { Shadow, Background, Content, Subtree, Count };

    using Picture = LayerPicture;

    explicit LayerPictureCache(std::size_t budget)
        : m_budget(budget)
    {
    }

    std::size_t budget() const { return m_budget; }
    // Larger pictures are not kept: they would crowd out all the others.
    std::size_t largestPicture() const { return m_budget / 4; }
    std::size_t bytes() const;
    std::size_t pictureCount() const;

    // The layer's picture of a part; empty when none is kept.
    Picture& picture(const CALayer& layer, Part part);
    // The subtree revision of the layer when it was last drawn, for telling a subtree that stays
    // unchanged (worth a picture) from one that changes every frame; answers the earlier value.
    std::uint64_t exchangeSeenRevision(const CALayer& layer, std::uint64_t revision);

    std::uint64_t frame() const { return m_frame; }
    void beginFrame() { ++m_frame; }
    // After a frame: forgets departed layers and, after a frame of the whole screen, pictures it
    // did not show; then the least recently shown until the budget holds.
    void endFrame(bool wholeScreen);
    void clear() { m_entries.clear(); }
    // Drops the layer's pictures (it left the screen's tree).
    void forget(const CALayer& layer) { m_entries.erase(&layer); }

private:
    struct Entry {
        std::weak_ptr<NSObject> layer;
        std::array<Picture, std::size_t(Part::Count)> pictures;
        std::uint64_t seenRevision { 0 };
    };
    Entry& entry(const CALayer& layer);

    std::size_t m_budget;
    std::uint64_t m_frame { 1 };
    std::unordered_map<const CALayer*, Entry> m_entries;
};
