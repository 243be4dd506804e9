#pragma once
// The order of the goods ("订单详情"): an order number from the payment service, the goods name,
// price and date, the one payment method and "支付", which asks for the signed payment text and
// hands it to the payment SDK. "支付" works only once an order number is there and while no
// payment is under way. A success or a cancellation is announced and leads back to the screen that
// opened the purchase; a failure shows its reason before the screen goes back to the goods.

#include "app/training/Goods.h"
#include "app/training/PurchaseViewController.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UIScrollView.h"

class OrderInfoViewController : public PurchaseViewController {
    NS_OBJECT(OrderInfoViewController, PurchaseViewController)
public:
    static constexpr const char* kScheme = "corvaneOrbipayCallback";

    void loadView() override;

    const std::shared_ptr<Goods>& goods() const { return m_goods; }
    void setGoods(const std::shared_ptr<Goods>& goods) { m_goods = goods; }
    const std::shared_ptr<UIViewController>& goBackViewController() const { return m_goBackViewController; }
    void setGoBackViewController(const std::shared_ptr<UIViewController>& controller) { m_goBackViewController = controller; }

    void loadData() override;
    void orbipayEvent(UIControl&);
    void saveEvent(UIControl&);
    void orbipaySing();
    void paymentResultCallback(const std::shared_ptr<NSDictionary>& result);

    const std::shared_ptr<UILabel>& orderIdLab() const { return m_orderIdLab; }
    const std::shared_ptr<UILabel>& priceLab() const { return m_priceLab; }
    const std::shared_ptr<UILabel>& dateLab() const { return m_dateLab; }
    const std::shared_ptr<UIButton>& orbipayBtn() const { return m_orbipayBtn; }
    const std::shared_ptr<UIButton>& payButton() const { return m_payButton; }
    bool isPaying() const { return m_paying; }

private:
    void orderNumberCompletion(const std::shared_ptr<NSDictionary>& row);
    void paymentInfoCompletion(const id& reply);
    void paymentFailed(const NSString& reason);
    void updatePayButton();

    std::shared_ptr<UIScrollView> m_containerView;
    std::shared_ptr<UILabel> m_nameLab;
    std::shared_ptr<UILabel> m_orderIdLab;
    std::shared_ptr<UILabel> m_priceLab;
    std::shared_ptr<UILabel> m_dateLab;
    std::shared_ptr<UIImageView> m_payCheckBox;
    std::shared_ptr<UIButton> m_orbipayBtn;
    std::shared_ptr<UIButton> m_payButton;
    std::shared_ptr<Goods> m_goods;
    std::shared_ptr<UIViewController> m_goBackViewController;
    // From "支付" until the payment's result: a second tap sends nothing.
    bool m_paying { false };
};
