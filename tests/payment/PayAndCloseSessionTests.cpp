// A new learner's purchase as they would make it, paid in the web cashier and left with its close
// button: the client says the order is paid, and the next visit to the lessons opens them.
#include "tests/app/ClientSession.h"

#include "app/training/GoodsInfoViewController.h"
#include "app/training/OrderInfoViewController.h"
#include "app/training/VideoStudentViewController.h"
#include "library/payment/OPayCashierViewController.h"
#include "library/payment/OrbipaySDK.h"

namespace {

constexpr const char* kNewLearner = "510104199605207788";

class PayAndCloseSession : public ClientSession {
protected:
    void picture(const std::string& name) { shotAsItStands("pay-and-close-" + name); }
    bool cashierShown()
    {
        if (!waitUntil([] { return OrbipaySDK::defaultService()->cashier() != nullptr; }))
            return false;
        host->advance(0.5);
        return waitUntil([] {
            auto cashier = OrbipaySDK::defaultService()->cashier();
            return cashier && !cashier->webView()->isLoading() && cashier->webView()->request();
        });
    }
};

} // namespace

TEST_F(PayAndCloseSession, aPaidOrderLeftWithTheCashiersCloseButtonIsAnnouncedAsPaid)
{
    ASSERT_TRUE(logIn("学员", kNewLearner, "123456"));
    tapShown("视频学习");
    ASSERT_TRUE(waitUntil([&] { return requestsUnderWay <= 0 && alertMessage().length() > 0; }));
    EXPECT_EQ(alertMessage(), NSString("您还没有开通网上学习功能，是否前往开通?"));
    ASSERT_TRUE(tapAlertButton("立即前往"));
    ASSERT_TRUE(waitUntil([&] {
        auto goods = top<GoodsInfoViewController>();
        return goods && goods->goods() && requestsUnderWay <= 0;
    }));
    tapShown("提交订单");
    auto order = top<OrderInfoViewController>();
    ASSERT_TRUE(order);
    ASSERT_TRUE(waitUntil([&] { return order->orderIdLab()->text().length() > 0 && requestsUnderWay <= 0; }));
    picture("1-order");
    host->tap(order->payButton());
    ASSERT_TRUE(cashierShown());
    picture("2-cashier");
    host->advance(0.3);
    host->tap(CGPointMake(160, 64 + 182)); // 确认支付
    ASSERT_TRUE(cashierShown());
    host->advance(0.5);
    picture("3-cashier-paid");

    host->tap(OrbipaySDK::defaultService()->cashier()->closeButton());
    ASSERT_TRUE(waitUntil([&] { return alertMessage().length() > 0; }));
    EXPECT_EQ(alertMessage(), NSString("充值成功"));
    host->advance(1);
    picture("4-home-paid");
    ASSERT_TRUE(tapAlertButton("确定"));
    EXPECT_TRUE(top<MainViewController>());
    EXPECT_FALSE(OrbipaySDK::defaultService()->isPaymentPending());

    // The lessons open without asking to pay again.
    tapShown("视频学习");
    ASSERT_TRUE(waitUntil([&] { return requestsUnderWay <= 0 && (top<VideoStudentViewController>() || alertMessage().length() > 0); }));
    EXPECT_TRUE(top<VideoStudentViewController>()) << alertMessage().UTF8String();
    host->advance(0.5);
    picture("5-lessons");
}
