#pragma once
// Whoever shows a layer tree (the compositor of a window) is told when anything in the tree
// changed that needs another frame, and which layer, when only that layer's drawing changed.
// Before a layer's property changes, the host hears which one, while the old value still holds.
// A layer taken out of the tree is named once it is out (it may be put back in before a frame).

class CALayer;

class LayerTreeHost {
public:
    virtual ~LayerTreeHost() = default;
    virtual void layerTreeDidChange() = 0;
    virtual void layerNeedsDisplay(CALayer&) { layerTreeDidChange(); }
    virtual void layerWillChange(CALayer&, const char* /*key*/) { }
    virtual void layerDidLeaveTree(CALayer&) { }
};
