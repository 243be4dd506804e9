#pragma once
// The one item a learner buys to open online learning ("商品详情"): its picture, name and
// description from the payment service; "提交订单" opens the order screen with it.

#include "app/screens/base/InsetsLabel.h"
#include "app/screens/base/NoXibViewController.h"
#include "app/services/HttpServiceWithHost.h"
#include "app/training/Goods.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UIScrollView.h"

class GoodsInfoViewController : public NoXibViewController {
    NS_OBJECT(GoodsInfoViewController, NoXibViewController)
public:
    void loadView() override;
    void viewDidLoad() override;

    const std::shared_ptr<UIViewController>& goBackViewController() const { return m_goBackViewController; }
    void setGoBackViewController(const std::shared_ptr<UIViewController>& controller) { m_goBackViewController = controller; }

    void loadData();
    void refreshEvent(UIControl&);
    void saveEvent(UIControl&);

    const std::shared_ptr<Goods>& goods() const { return m_goods; }
    const std::shared_ptr<UIView>& nothingView() const { return m_nothingView; }
    const std::shared_ptr<UIView>& containerView() const { return m_containerView; }

private:
    void goodsCompletion(const id& reply);
    void showEmpty();

    std::shared_ptr<UIView> m_nothingView;
    std::shared_ptr<UIView> m_containerView;
    std::shared_ptr<UIScrollView> m_vScrollView;
    std::shared_ptr<InsetsLabel> m_nameLab;
    std::shared_ptr<UIImageView> m_goodsImage;
    std::shared_ptr<HttpServiceWithHost> m_httpService;
    std::shared_ptr<Goods> m_goods;
    std::shared_ptr<UIViewController> m_goBackViewController;
};
