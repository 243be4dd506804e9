#pragma once
// What a layer asks of its delegate (a view, for the layer it owns). Every operation is optional.
// The layer stays alive through each call; a delegate that keeps it calls layer.self().

#include "platform/foundation/NSObjCRuntime.h"

class CALayer;
class CGContext;
class NSString;

class CALayerDelegate {
public:
    virtual ~CALayerDelegate() = default;

    // Sets the layer's contents itself; false means not implemented, and the layer then draws.
    virtual bool displayLayer(CALayer&) { return false; }
    // Draws the layer's contents in the layer's bounds, in a context flipped as UIKit's.
    virtual void drawLayer(CALayer&, const std::shared_ptr<CGContext>&) { }
    // Whether the drawLayer just made drew anything; when not, the layer keeps no picture.
    virtual bool didDrawLayer(CALayer&) { return true; }
    virtual void layoutSublayersOfLayer(CALayer&) { }
    // The action for a change of the key: nil to let the layer look further, NSNull for none
    // (which is what a view answers for its own layer outside animation blocks). Asked even of
    // a layer made in the current transaction, which has no default actions yet.
    virtual id actionForLayer(CALayer&, const NSString&) { return nullptr; }
};
