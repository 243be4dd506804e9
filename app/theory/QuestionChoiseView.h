#pragma once
// "我的答题": a panel at the bottom of a question screen with one numbered cell per question,
// marking the answered ones (and, in the strict exam, the right ones apart). A tap on a cell takes
// the screen to that question and closes the panel; a tap on the dimmed backdrop or the close
// button only closes it. Built once with the marks of the moment it opens.

#include "app/theory/QuestionManager.h"
#include "platform/uikit/UIButton.h"
#include "platform/uikit/UIScrollView.h"

class QuestionChoiseDelegate {
public:
    virtual ~QuestionChoiseDelegate() = default;
    virtual void clickAtIndex(NSInteger index) = 0;
};

class QuestionChoiseView : public UIView {
    NS_OBJECT(QuestionChoiseView, UIView)
public:
    std::shared_ptr<QuestionChoiseDelegate> delegate() const { return m_delegate.lock(); }
    void setDelegate(const std::shared_ptr<QuestionChoiseDelegate>& delegate) { m_delegate = delegate; }

    void choiseItemEvent(UIControl& cell);
    void dissmis(UIControl&);
    void dismiss();
    // Escape or Alt+Left closes the panel, as its close button does.
    bool takeUnclaimedKey(UIKeyboardKey key, UIKeyModifierFlags modifiers) override;

    // For tests and the screens: the grid and its cells in list order.
    const std::shared_ptr<UIScrollView>& gridView() const { return m_grid; }
    const std::vector<std::shared_ptr<UIButton>>& cells() const { return m_cells; }
    const UIViewRef& panelHeader() const { return m_header; }

protected:
    // initWithFrame:andQuests:andIndex:andIsTest:
    void init(CGRect frame, const std::shared_ptr<NSArray>& questions, NSInteger currIndex, bool isTest);

private:
    void initViews();

    std::shared_ptr<NSArray> m_questions;
    NSInteger m_currIndex { 0 };
    bool m_isTest { false };
    std::weak_ptr<QuestionChoiseDelegate> m_delegate;
    UIViewRef m_header;
    std::shared_ptr<UIScrollView> m_grid;
    std::vector<std::shared_ptr<UIButton>> m_cells;
};
