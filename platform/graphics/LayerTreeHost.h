#pragma once
// Whoever shows a layer tree (the compositor of a window) is told when anything in the tree
// changed that needs another frame.

class LayerTreeHost {
public:
    virtual ~LayerTreeHost() = default;
    virtual void layerTreeDidChange() = 0;
};
