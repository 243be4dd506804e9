#pragma once
// Whoever shows a layer tree (the compositor of a window) is told when anything in the tree
// changed that needs another frame, and which layer, when only that layer's drawing changed.

class CALayer;

class LayerTreeHost {
public:
    virtual ~LayerTreeHost() = default;
    virtual void layerTreeDidChange() = 0;
    virtual void layerNeedsDisplay(CALayer&) { layerTreeDidChange(); }
};
