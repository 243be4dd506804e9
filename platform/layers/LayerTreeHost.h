#pragma once
// Whoever shows a layer tree (the compositor of a window) is told when anything in the tree
// changed that needs another frame, and which layer, when only that layer's drawing changed.
// Before a layer's property changes, the host hears which one, while the old value still holds.
// A layer put into the tree is named once it is in; one taken out is named while it is still in
// and again once it is out (it may be put back in before a frame). A layer that asks to be laid
// out again has changed nothing yet: what its layout changes is told as it happens.

class CALayer;

class LayerTreeHost {
public:
    virtual ~LayerTreeHost() = default;
    virtual void layerTreeDidChange() = 0;
    virtual void layerNeedsDisplay(CALayer&) { layerTreeDidChange(); }
    virtual void layerNeedsLayout(CALayer&) { layerTreeDidChange(); }
    virtual void layerWillChange(CALayer&, const char* /*key*/) { }
    virtual void layerDidJoinTree(CALayer&) { layerTreeDidChange(); }
    virtual void layerWillLeaveTree(CALayer&) { layerTreeDidChange(); }
    virtual void layerDidLeaveTree(CALayer&) { }
};
