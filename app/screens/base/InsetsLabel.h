#pragma once
// A label with padding: the text is drawn inside the bounds shrunk by the insets.

#include "platform/uikit/UILabel.h"

class InsetsLabel : public UILabel {
    NS_OBJECT(InsetsLabel, UILabel)
public:
    UIEdgeInsets insets() const { return m_insets; }
    // Takes effect at the next drawing.
    void setInsets(UIEdgeInsets insets) { m_insets = insets; }
    void drawTextInRect(CGRect rect) override;

protected:
    void init(CGRect frame, UIEdgeInsets insets);
    // No frame yet: the screen places it later.
    void init(UIEdgeInsets insets);

private:
    UIEdgeInsets m_insets {};
};
