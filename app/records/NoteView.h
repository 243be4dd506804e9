#pragma once
// A text box ruled like a letter pad; the rules move with the text.

#include "platform/uikit/UITextView.h"

class NoteView : public UITextView, public UITextViewDelegate {
    NS_OBJECT(NoteView, UITextView)
public:
    void drawRect(CGRect rect) override;
    void scrollViewDidScroll(UIScrollView&) override;
    // The y of each rule, in the view's own space, for the text and bounds it has now.
    std::vector<CGFloat> ruleOffsets() const;
    // The distance between rules: the font's leading, at which the text view lays every line.
    CGFloat linePitch() const;

protected:
    void init(CGRect frame) override;
};
