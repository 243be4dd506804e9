#pragma once
// One half of a table cut open: a control showing its part of the table's picture, a white cover
// that dims it while the folder is open, and a thin light line along the cut.

#include "platform/layers/CALayer.h"
#include "platform/uikit/UIControl.h"

class FolderCoverView : public UIControl {
    NS_OBJECT(FolderCoverView, UIControl)
public:
    const CALayerRef& highlight() const { return m_highlight; }
    void setHighlight(const CALayerRef& highlight) { m_highlight = highlight; }
    const UIViewRef& cover() const { return m_cover; }
    void setCover(const UIViewRef& cover) { m_cover = cover; }
    // The fold point: where the tip of the upper half points.
    CGPoint position() const { return m_position; }
    void setPosition(CGPoint position) { m_position = position; }

    void createHighlightWithFrame(CGRect frame);
    // The line sits on the cut: the lower edge of the upper half, the upper edge of the lower one.
    void setIsTopView(bool isTop);

protected:
    // offset: the height at the bottom the cover leaves out (the row shown above the folder).
    void init(CGRect frame, CGFloat offset);

private:
    CALayerRef m_highlight;
    UIViewRef m_cover;
    CGPoint m_position;
};

using FolderCoverViewRef = std::shared_ptr<FolderCoverView>;
