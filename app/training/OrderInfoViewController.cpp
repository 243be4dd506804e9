#include "app/training/OrderInfoViewController.h"

#include "app/AppDelegate.h"
#include "app/screens/base/InsetsLabel.h"
#include "app/screens/base/ScreenImages.h"
#include "app/screens/base/UIColor_Addition.h"
#include "app/services/RequestFields.h"
#include "app/services/ServerUrlManger.h"
#include "app/services/ServiceReply.h"
#include "app/session/User.h"
#include "library/payment/OrbipaySDK.h"
#include "library/widgets/calendar/NSDate_Addition.h"
#include "library/widgets/hud/STProgressHUD.h"
#include "platform/foundation/TypedValues.h"
#include "platform/text/UIFont.h"
#include "platform/uikit/UIAlertView.h"

namespace {

constexpr const char* kOrderAction = "SYSBL/BRENLOW/DTTM/PUBL/ZXZF/GETORDERNUMAPP";
constexpr const char* kPaymentInfoAction = "SYSBL/BRENLOW/DTTM/PUBL/ZXZF/SAVEPAYMENTINFO";

UIColorRef captionGrey()
{
    return UIColor::colorWithRed(0x66 / 255.0, 0x66 / 255.0, 0x66 / 255.0, 1);
}

void showAlert(const NSString& message)
{
    UIAlertView::create(NSString("提示"), message, nullptr, NSString("确定"), std::vector<NSString> {})->show();
}

} // namespace

void OrderInfoViewController::loadView()
{
    NoXibViewController::loadView();
    auto root = view();
    root->setBackgroundColor(UIColor_Addition::colorWithHexString("f6f6f6"));
    root->setClipsToBounds(true);
    setNaviBarRightBtn(nullptr);
    setNaviBarTitle("订单详情");
    const CGFloat W = root->bounds().size.width;
    const CGFloat h = getNaviBarRect().size.height;
    const CGRect frame = CGRectMake(0, h, W, root->bounds().size.height - h);
    m_containerView = UIScrollView::create(frame);
    addNothingView(frame, m_containerView);
    m_containerView->setBackgroundColor(UIColor::clearColor());
    m_containerView->setShowsVerticalScrollIndicator(false);
    m_containerView->setShowsHorizontalScrollIndicator(false);
    root->addSubview(m_containerView);

    auto bar = UIView::create(CGRectMake(0, 10, W, 44));
    bar->setBackgroundColor(UIColor::whiteColor());
    m_containerView->addSubview(bar);
    auto barLabel = InsetsLabel::create(CGRectMake(0, 11.5, W, 21), UIEdgeInsetsMake(0, 20, 0, 0));
    barLabel->setBackgroundColor(UIColor::clearColor());
    barLabel->setFont(UIFont::systemFontOfSize(16));
    barLabel->setText("订单详情");
    bar->addSubview(barLabel);
    auto accent = UIView::create(CGRectMake(0, 0, 15, 44));
    accent->setBackgroundColor(UIColor_Addition::colorWithHexString("e66444"));
    bar->addSubview(accent);

    auto row = [&](CGFloat y, const char* caption) {
        auto rowView = UIView::create(CGRectMake(0, y, W, 44));
        rowView->setBackgroundColor(UIColor::whiteColor());
        m_containerView->addSubview(rowView);
        auto captionLabel = UILabel::create(CGRectMake(20, 11.5, 10, 21));
        captionLabel->setFont(UIFont::systemFontOfSize(14));
        captionLabel->setBackgroundColor(UIColor::clearColor());
        captionLabel->setTextColor(captionGrey());
        captionLabel->setText(caption);
        captionLabel->sizeToFit();
        captionLabel->setFrame(CGRectMake(20, 11.5, captionLabel->bounds().size.width, 21));
        rowView->addSubview(captionLabel);
        const CGFloat x = CGRectGetMaxX(captionLabel->frame()) + 10;
        auto value = UILabel::create(CGRectMake(x, 11.5, W - 10 - x, 21));
        value->setFont(UIFont::systemFontOfSize(14));
        value->setTextColor(captionGrey());
        value->setTextAlignment(NSTextAlignmentRight);
        rowView->addSubview(value);
        return value;
    };
    m_nameLab = row(56, "商品名称");
    m_nameLab->setNumberOfLines(2);
    m_nameLab->setText(m_goods ? m_goods->name : NSString(""));
    {
        CGRect frame = m_nameLab->frame();
        const CGSize measured = m_nameLab->sizeThatFits(CGSizeMake(frame.size.width, 1000));
        if (measured.height <= 44) {
            frame.size.height = measured.height;
            frame.origin.y = (44 - measured.height) / 2;
        } else {
            frame.origin.y = 0;
            frame.size.height = 44;
        }
        m_nameLab->setFrame(frame);
    }
    m_orderIdLab = row(101, "订单号");
    m_orderIdLab->setText("");
    m_priceLab = row(146, "价格");
    m_priceLab->setTextColor(UIColor::redColor());
    const auto fen = m_goods ? Goods::fenOfPriceText(m_goods->price) : std::nullopt;
    m_priceLab->setText(fen ? Goods::priceText(*fen) : NSString(""));
    m_dateLab = row(191, "订单日期");
    m_dateLab->setText(NSDate_Addition::stringFromDate(NSDate::date(), "yyyy-MM-dd HH:mm:ss"));

    m_orbipayBtn = UIButton::buttonWithType(UIButtonTypeCustom);
    m_orbipayBtn->setFrame(CGRectMake(0, 265, W, 44));
    m_orbipayBtn->setBackgroundImage(stretchableImageNamed("unchick_bg", 20), UIControlStateNormal);
    m_orbipayBtn->setBackgroundImage(stretchableImageNamed("click_bg", 20), UIControlStateHighlighted);
    m_orbipayBtn->addTarget(self(), &OrderInfoViewController::orbipayEvent, UIControlEventTouchUpInside);
    m_orbipayBtn->setSelected(true);
    m_containerView->addSubview(m_orbipayBtn);
    auto method = UILabel::create(CGRectMake(20, 5, 10, 21));
    method->setFont(UIFont::systemFontOfSize(14));
    method->setText("奥比付支付");
    method->sizeToFit();
    method->setFrame(CGRectMake(20, 5, method->bounds().size.width, 21));
    m_orbipayBtn->addSubview(method);
    auto note = UILabel::create(CGRectMake(20, 21, 10, 21));
    note->setFont(UIFont::systemFontOfSize(13));
    note->setTextColor(UIColor::grayColor());
    note->setText("(需安装奥比付客户端)");
    note->sizeToFit();
    note->setFrame(CGRectMake(20, 21, note->bounds().size.width, 21));
    m_orbipayBtn->addSubview(note);
    auto checked = stretchableImageNamed("checkbox_checked");
    const CGSize box = checked ? checked->size() : CGSizeMake(22, 22);
    m_payCheckBox = UIImageView::create(CGRectMake(W - 10 - box.width, (44 - box.height) / 2, box.width, box.height));
    m_payCheckBox->setImage(checked);
    m_orbipayBtn->addSubview(m_payCheckBox);

    m_payButton = UIButton::buttonWithType(UIButtonTypeCustom);
    m_payButton->setFrame(CGRectMake(10, 329, W - 20, 40));
    m_payButton->setBackgroundImage(stretchableImageNamed("bt_blu", 20), UIControlStateNormal);
    m_payButton->setBackgroundImage(stretchableImageNamed("bt_red", 20), UIControlStateHighlighted);
    m_payButton->setTitle("支付", UIControlStateNormal);
    m_payButton->setTitleColor(UIColor::whiteColor(), UIControlStateNormal);
    m_payButton->titleLabel()->setFont(UIFont::systemFontOfSize(20));
    m_payButton->addTarget(self(), &OrderInfoViewController::saveEvent, UIControlEventTouchUpInside);
    m_containerView->addSubview(m_payButton);
    m_containerView->setContentSize(CGSizeMake(W, CGRectGetMaxY(m_payButton->frame()) + 10));
    updatePayButton();
}

// Paying needs an order number, and one payment at a time.
void OrderInfoViewController::updatePayButton()
{
    const bool ready = m_orderIdLab->text().length() > 0 && !m_paying;
    m_payButton->setEnabled(ready);
    m_payButton->setAlpha(ready ? 1 : 0.5);
}

void OrderInfoViewController::loadData()
{
    STProgressHUD::show();
    auto delegate = AppDelegate::shared();
    auto user = delegate ? delegate->user() : nullptr;
    RequestFields fields;
    fields.orEmpty("GOODS_ID", m_goods ? id(m_goods->goodsId) : nullptr)
        .orEmpty("STU_ID", user ? id(user->userCode()) : nullptr)
        .set("PAY_NUM", "1")
        .set("PROJECT_CODE", "400");
    requestPurchaseRow(kOrderAction, fields.dictionary(), [this](const std::shared_ptr<NSDictionary>& row) { orderNumberCompletion(row); });
}

void OrderInfoViewController::orderNumberCompletion(const std::shared_ptr<NSDictionary>& row)
{
    m_dateLab->setText(ns::stringForKey(row, "Create_Date"));
    m_orderIdLab->setText(ns::stringForKey(row, "Order_Id"));
    updatePayButton();
    STProgressHUD::dismiss();
}

void OrderInfoViewController::orbipayEvent(UIControl&)
{
    const bool selected = !m_orbipayBtn->isSelected();
    m_orbipayBtn->setSelected(selected);
    m_payCheckBox->setImage(stretchableImageNamed(selected ? "checkbox_checked" : "checkbox_uncheck"));
}

void OrderInfoViewController::saveEvent(UIControl&)
{
    if (m_paying || m_orderIdLab->text().length() == 0)
        return;
    if (!m_orbipayBtn->isSelected()) {
        showAlert("请选择支付方式");
        return;
    }
    orbipaySing();
}

void OrderInfoViewController::orbipaySing()
{
    m_paying = true;
    updatePayButton();
    STProgressHUD::show();
    RequestFields fields;
    fields.required("ORDER_ID", m_orderIdLab->text()).set("PAY_CHANNELS", "3").set("PAY_TYPE", "1").set("PAY_NUM", "1").set("PROJECT_CODE", "400");
    if (!fields.complete())
        return paymentFailed("支付失败,请稍后再试！");
    std::weak_ptr<OrderInfoViewController> weakSelf = self();
    m_httpService->httpRequestOrbipayInfo(
        [weakSelf](const id& reply) {
            if (auto protectedSelf = weakSelf.lock())
                protectedSelf->paymentInfoCompletion(reply);
        },
        [weakSelf](const std::shared_ptr<RQHTTPRequestOperation>&, const std::shared_ptr<NSError>&) {
            if (auto protectedSelf = weakSelf.lock())
                protectedSelf->paymentFailed("支付失败,请稍后再试！");
        },
        ServerUrlManger::create()->getHttpUrlForPay(), kPaymentInfoAction, nullptr, fields.dictionary());
}

void OrderInfoViewController::paymentInfoCompletion(const id& reply)
{
    const auto code = ServiceReply::mainServiceCode(reply);
    auto rows = ServiceReply::rows(reply, "array0");
    if (!code || *code != 0 || !rows || rows->count() == 0)
        return paymentFailed("支付失败,请稍后再试！");
    const NSString payInfo = ns::stringForKey(ns::dictionaryValue(rows->objectAtIndex(0)), "PAY_INFO");
    // Dismissed first: the SDK may answer before payOrder returns, and its answer's message
    // would go with this panel.
    STProgressHUD::dismiss();
    std::weak_ptr<OrderInfoViewController> weakSelf = self();
    OrbipaySDK::defaultService()->payOrder(payInfo, kScheme, [weakSelf](const std::shared_ptr<NSDictionary>& result) {
        if (auto protectedSelf = weakSelf.lock())
            protectedSelf->paymentResultCallback(result);
    });
}

void OrderInfoViewController::paymentFailed(const NSString& reason)
{
    m_paying = false;
    STProgressHUD::dismissWithError(reason, 1.0);
    if (auto navigation = navigationController())
        navigation->popViewControllerAnimated(false);
}

void OrderInfoViewController::paymentResultCallback(const std::shared_ptr<NSDictionary>& result)
{
    m_paying = false;
    updatePayButton();
    auto navigation = navigationController();
    switch (ns::intValue(result ? result->objectForKey(NSString("resultStatus")) : nullptr)) {
    case 9000:
        showAlert("充值成功");
        if (navigation && m_goBackViewController)
            navigation->popToViewController(m_goBackViewController, true);
        return;
    case 6001:
        showAlert("您取消支付");
        if (navigation && m_goBackViewController)
            navigation->popToViewController(m_goBackViewController, true);
        else if (navigation)
            navigation->popViewControllerAnimated(false);
        return;
    default: {
        // A payment that did not go through says why on the goods screen it goes back to: this
        // screen, and anything shown on it, leaves at once.
        const NSString memo = ns::stringForKey(result, "memo");
        UIViewRef landing;
        if (navigation) {
            navigation->popViewControllerAnimated(false);
            if (auto top = navigation->topViewController())
                landing = top->view();
        }
        STProgressHUD::showInView(landing);
        STProgressHUD::dismissWithError(memo.length() ? memo : NSString("支付失败,请稍后再试！"), 1.0);
        return;
    }
    }
}
