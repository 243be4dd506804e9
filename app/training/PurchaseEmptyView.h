#pragma once
// The empty view of the purchase screens: "Sorry,暂无数据,点击刷新" over a refresh button.

#include "platform/uikit/UIButton.h"

class PurchaseEmptyView : public UIView {
    NS_OBJECT(PurchaseEmptyView, UIView)
public:
    const std::shared_ptr<UIButton>& refreshButton() const { return m_refreshButton; }

protected:
    void init(CGRect frame) override;

private:
    std::shared_ptr<UIButton> m_refreshButton;
};
