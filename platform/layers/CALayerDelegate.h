#pragma once
// What a layer asks of its delegate (a view, for the layer it owns). Every operation is optional.

#include "platform/foundation/NSObjCRuntime.h"

class CALayer;
class CGContext;
class NSString;

class CALayerDelegate {
public:
    virtual ~CALayerDelegate() = default;

    // Sets the layer's contents itself; false means not implemented, and the layer then draws.
    virtual bool displayLayer(const std::shared_ptr<CALayer>&) { return false; }
    // Draws the layer's contents in the layer's bounds, in a context flipped as UIKit's.
    virtual void drawLayer(const std::shared_ptr<CALayer>&, const std::shared_ptr<CGContext>&) { }
    // Whether the drawLayer just made drew anything; when not, the layer keeps no picture.
    virtual bool didDrawLayer(const std::shared_ptr<CALayer>&) { return true; }
    virtual void layoutSublayersOfLayer(const std::shared_ptr<CALayer>&) { }
    // The action for a change of the key: nil to let the layer look further, NSNull for none
    // (which is what a view answers for its own layer outside animation blocks). Asked even of
    // a layer made in the current transaction, which has no default actions yet.
    virtual id actionForLayer(const std::shared_ptr<CALayer>&, const NSString&) { return nullptr; }
};
