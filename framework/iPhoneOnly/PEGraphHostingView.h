#pragma once
// The view that hosts one graph: sizes it to the view, gives it the screen's scale, draws it
// (flipping the view's y-down context into the engine's y-up geometry), forwards touches to it
// in graph coordinates and redraws when the graph asks. Redraw requests coalesce into one
// display of the view. A layer that throws while drawing is logged and left out of the frame.

#include "platform/uikit/UIView.h"

class PEGraph;
class UIPinchGestureRecognizer;

class PEGraphHostingView : public UIView {
    NS_OBJECT(PEGraphHostingView, UIView)
public:
    ~PEGraphHostingView() override;

    const std::shared_ptr<PEGraph>& hostedGraph() const { return m_hostedGraph; }
    // Detaches the old graph; nil only detaches.
    void setHostedGraph(const std::shared_ptr<PEGraph>& graph);
    bool allowPinchScaling() const { return m_pinch != nullptr; }
    void setAllowPinchScaling(bool allow);

    void drawRect(CGRect rect) override;
    void setFrame(CGRect frame) override;
    void setBounds(CGRect bounds) override;

    void touchesBegan(const UITouchSet& touches, const UIEventRef& event) override;
    void touchesMoved(const UITouchSet& touches, const UIEventRef& event) override;
    void touchesEnded(const UITouchSet& touches, const UIEventRef& event) override;
    void touchesCancelled(const UITouchSet& touches, const UIEventRef& event) override;

    // The view point in the graph's coordinates.
    CGPoint graphPointForViewPoint(CGPoint point) const;

protected:
    void init(CGRect frame) override;

private:
    void graphNeedsRedraw();
    void sizeGraphToView();
    void handlePinch(UIPinchGestureRecognizer& recognizer);

    std::shared_ptr<PEGraph> m_hostedGraph;
    std::shared_ptr<UIPinchGestureRecognizer> m_pinch;
};

using PEGraphHostingViewRef = std::shared_ptr<PEGraphHostingView>;
