#pragma once
// The one item a learner buys to open online learning ("商品详情"): its picture, name and
// description from the payment service; "提交订单" opens the order screen with it.

#include "app/screens/base/InsetsLabel.h"
#include "app/training/Goods.h"
#include "app/training/PurchaseViewController.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UIScrollView.h"

class GoodsInfoViewController : public PurchaseViewController {
    NS_OBJECT(GoodsInfoViewController, PurchaseViewController)
public:
    void loadView() override;

    const std::shared_ptr<UIViewController>& goBackViewController() const { return m_goBackViewController; }
    void setGoBackViewController(const std::shared_ptr<UIViewController>& controller) { m_goBackViewController = controller; }

    void loadData() override;
    void saveEvent(UIControl&);

    const std::shared_ptr<Goods>& goods() const { return m_goods; }
    const std::shared_ptr<UIView>& containerView() const { return m_containerView; }

private:
    void goodsCompletion(const std::shared_ptr<NSDictionary>& row);

    std::shared_ptr<UIView> m_containerView;
    std::shared_ptr<UIScrollView> m_vScrollView;
    std::shared_ptr<InsetsLabel> m_nameLab;
    std::shared_ptr<UIImageView> m_goodsImage;
    std::shared_ptr<Goods> m_goods;
    std::shared_ptr<UIViewController> m_goBackViewController;
};
