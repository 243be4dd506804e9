#include "library/payment/OPayCashierViewController.h"
#include "library/payment/OrbipaySDK.h"
#include "tools/service-standin/ServiceStandIn.h"

#include "library/json/JSONCodecDeserializing.h"
#include "platform/foundation/TypedValues.h"
#include "platform/host/HeadlessHost.h"
#include "tests/support/FirstValue.h"
#include "tests/support/Waiting.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <cstdlib>
#include <filesystem>
#include <thread>

#include <unistd.h>

namespace {

constexpr const char* kFixed = "_format_=json&_license_key_=A7C19D04E2B85F63C0D9174BE6A2F58D&_app_id_=TSAPP";
constexpr const char* kGoodsPath = "/PayMent/resource/SYSBL/BRENLOW/DTTM/PUBL/ZXZF/";

class PaymentService : public testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::remove(dataFile);
        ASSERT_TRUE(standIn.start()) << standIn.lastError();
        const std::string gateway = "http://127.0.0.1:" + std::to_string(standIn.paymentPort()) + "/gateway/cashier";
        setenv("CORVANE_PAYMENT_GATEWAY_URL", gateway.c_str(), 1);
        host = HeadlessHost::create();
        root = UIViewController::create();
        host->showRootViewController(root);
        sdk = OrbipaySDK::create();
    }
    void TearDown() override
    {
        unsetenv("CORVANE_PAYMENT_GATEWAY_URL");
        standIn.stop();
        std::filesystem::remove(dataFile);
    }

    std::shared_ptr<NSDictionary> row(const std::string& action, const std::string& fields, bool formEncoded)
    {
        httplib::Client client("127.0.0.1", standIn.paymentPort());
        auto answer = client.Post(kGoodsPath + action, fields + "&" + kFixed, "application/x-www-form-urlencoded; charset=utf-8");
        if (!answer)
            return nullptr;
        auto reply = ns::dictionaryValue(JSONCodecDeserializing::objectFromJSONString(
            NSString(formEncoded ? standin::formDecode(answer->body) : answer->body)));
        auto rows = ns::arrayForKey(ns::dictionaryForKey(ns::dictionaryForKey(ns::dictionaryForKey(ns::dictionaryForKey(reply, "output"), "body"), "array0"), "rowSet"), "row");
        return rows && rows->count() ? ns::dictionaryValue(rows->objectAtIndex(0)) : nullptr;
    }
    // A fresh order's signed payment text, as the payment service hands it to the order screen.
    NSString signedOrder()
    {
        auto order = row("GETORDERNUMAPP", "GOODS_ID=100201500001&STU_ID=510104199605207788&PAY_NUM=1&PROJECT_CODE=400", true);
        EXPECT_TRUE(order);
        auto info = row("SAVEPAYMENTINFO", "ORDER_ID=" + std::string(ns::stringForKey(order, "Order_Id").UTF8String())
                + "&PAY_CHANNELS=3&PAY_TYPE=1&PAY_NUM=1&PROJECT_CODE=400", false);
        return ns::stringForKey(info, "PAY_INFO");
    }
    OPCompletionBlock collect()
    {
        return [this](const std::shared_ptr<NSDictionary>& result) { results.push_back(result); };
    }
    NSString status(std::size_t index) const { return ns::stringForKey(results.at(index), "resultStatus"); }
    NSString memo(std::size_t index) const { return ns::stringForKey(results.at(index), "memo"); }
    bool cashierLoaded()
    {
        if (!testing_support::runLoopUntil([this] { return sdk->cashier() != nullptr; }))
            return false;
        host->advance(0.5);
        return testing_support::runLoopUntil([this] {
            auto cashier = sdk->cashier();
            return cashier && cashier->isViewLoaded() && !cashier->webView()->isLoading() && cashier->webView()->request();
        });
    }
    void tapPage(CGPoint pointInPage)
    {
        host->tap(CGPointMake(pointInPage.x, pointInPage.y + 64));
    }
    // The order's cashier opened and closed unpaid; its address, empty when it did not load.
    std::string openedAndClosed(const NSString& order)
    {
        sdk->payOrder(order, "corvaneOrbipayCallback", collect());
        if (!cashierLoaded())
            return {};
        const std::string cashier = sdk->cashier()->webView()->request()->URL()->path().UTF8String();
        host->advance(0.5);
        host->tap(sdk->cashier()->closeButton());
        return cashier;
    }
    // The order paid in its cashier and its last link followed back; the cashier's address.
    std::string paidInCashier(const NSString& order)
    {
        const std::size_t before = results.size();
        sdk->payOrder(order, "corvaneOrbipayCallback", collect());
        if (!cashierLoaded())
            return {};
        const std::string cashier = sdk->cashier()->webView()->request()->URL()->path().UTF8String();
        tapPage(CGPointMake(160, 182)); // 确认支付
        if (!cashierLoaded())
            return {};
        tapPage(CGPointMake(160, 182)); // 返回商户
        return testing_support::runLoopUntil([&] { return results.size() > before; }) ? cashier : std::string();
    }

    // One statement on the stand-in's data file; the first row's first column of its answer.
    std::string sql(const std::string& statement) { return testing_support::firstValue(dataFile, statement); }

    const std::filesystem::path dataFile = std::filesystem::temp_directory_path()
        / ("corvane-payment-" + std::to_string(::getpid()) + "-" + testing::UnitTest::GetInstance()->current_test_info()->name() + ".sqlite");
    standin::ServiceStandIn standIn { standin::Options { .databasePath = dataFile.string(), .keepAlive = false } };
    std::shared_ptr<HeadlessHost> host;
    std::shared_ptr<UIViewController> root;
    std::shared_ptr<OrbipaySDK> sdk;
    std::vector<std::shared_ptr<NSDictionary>> results;
};

TEST_F(PaymentService, aMissingOrderAndASecondOrderAreAnsweredAtOnceWithoutDisturbingTheFirst)
{
    sdk->payOrder("", "corvaneOrbipayCallback", collect());
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(status(0), NSString("4000"));
    EXPECT_EQ(memo(0), NSString("订单缺失"));
    EXPECT_EQ(ns::stringForKey(results[0], "result"), NSString(""));
    EXPECT_FALSE(sdk->isPaymentPending());

    sdk->payOrder(signedOrder(), "corvaneOrbipayCallback", collect());
    EXPECT_TRUE(sdk->isPaymentPending());
    sdk->payOrder(signedOrder(), "corvaneOrbipayCallback", collect());
    ASSERT_EQ(results.size(), 2u);
    EXPECT_EQ(memo(1), NSString("订单重复"));
    EXPECT_TRUE(sdk->isPaymentPending());

    // An authorisation reply or another host is not the payment's result.
    sdk->processOrderWithPaymentResult(NSURL::URLWithString("corvaneOrbipayCallback://authresult?resultStatus=9000"), nullptr);
    EXPECT_TRUE(sdk->isPaymentPending());
    sdk->processOrderWithPaymentResult(NSURL::URLWithString("corvaneOrbipayCallback://payresult?resultStatus=9000&memo=ok"), nullptr);
    ASSERT_EQ(results.size(), 3u);
    EXPECT_EQ(status(2), NSString("9000"));
    sdk->processOrderWithPaymentResult(NSURL::URLWithString("corvaneOrbipayCallback://payresult?resultStatus=9000"), collect());
    EXPECT_EQ(results.size(), 3u);
}

TEST_F(PaymentService, theWebCashierPaysAndItsLastLinkBringsTheResultBackOnce)
{
    sdk->payOrder(signedOrder(), "corvaneOrbipayCallback", collect());
    ASSERT_TRUE(cashierLoaded());
    EXPECT_EQ(root->presentedViewController(), sdk->cashier());
    std::filesystem::create_directories(CORVANE_SCREENS_DIR);
    host->writePNG(NSString(CORVANE_SCREENS_DIR "/payment-cashier.png"));

    tapPage(CGPointMake(160, 182)); // 确认支付
    ASSERT_TRUE(cashierLoaded());
    EXPECT_TRUE(sdk->cashier()->webView()->request()->URL()->path().hasSuffix("/pay"));
    host->writePNG(NSString(CORVANE_SCREENS_DIR "/payment-cashier-paid.png"));
    tapPage(CGPointMake(160, 182)); // 返回商户
    ASSERT_TRUE(testing_support::runLoopUntil([this] { return !results.empty(); }));
    EXPECT_EQ(status(0), NSString("9000"));
    EXPECT_FALSE(sdk->isPaymentPending());
    host->advance(1);
    EXPECT_FALSE(root->presentedViewController());
    EXPECT_EQ(results.size(), 1u);
}

TEST_F(PaymentService, closingTheCashierIsACancellationAndALateResultIsIgnored)
{
    sdk->payOrder(signedOrder(), "corvaneOrbipayCallback", collect());
    ASSERT_TRUE(cashierLoaded());
    host->advance(0.5);
    host->tap(sdk->cashier()->closeButton());
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(status(0), NSString("6001"));
    sdk->processOrderWithPaymentResult(NSURL::URLWithString("corvaneOrbipayCallback://payresult?resultStatus=9000"), collect());
    EXPECT_EQ(results.size(), 1u);
}

TEST_F(PaymentService, closingTheCashierOnceItSaysPaidReportsThePaymentNotACancellation)
{
    sdk->payOrder(signedOrder(), "corvaneOrbipayCallback", collect());
    ASSERT_TRUE(cashierLoaded());
    tapPage(CGPointMake(160, 182)); // 确认支付
    ASSERT_TRUE(cashierLoaded());
    EXPECT_TRUE(sdk->cashier()->webView()->request()->URL()->path().hasSuffix("/pay"));
    host->advance(0.5);
    host->tap(sdk->cashier()->closeButton());
    ASSERT_TRUE(testing_support::runLoopUntil([this] { return !results.empty(); }));
    EXPECT_EQ(status(0), NSString("9000"));
    EXPECT_EQ(memo(0), NSString("支付成功"));
    EXPECT_FALSE(sdk->isPaymentPending());
    host->advance(1);
    EXPECT_FALSE(root->presentedViewController());
    EXPECT_EQ(results.size(), 1u);
}

TEST_F(PaymentService, aCashierLeftOpenCannotPayAgainAnOrderAnotherCashierPaid)
{
    const NSString order = signedOrder();
    const std::string leftOpen = openedAndClosed(order);
    ASSERT_FALSE(leftOpen.empty());
    ASSERT_EQ(results.size(), 1u);
    host->advance(1);

    ASSERT_FALSE(paidInCashier(order).empty());
    ASSERT_EQ(results.size(), 2u);
    ASSERT_EQ(status(1), NSString("9000"));

    sql("create table granted (usercode text);"
        "create trigger note_grant after update on video_account begin insert into granted values (new.usercode); end");
    httplib::Client client("127.0.0.1", standIn.paymentPort());
    auto again = client.Get(leftOpen + "/pay");
    ASSERT_TRUE(again);
    EXPECT_NE(again->body.find("<title>订单已支付</title>"), std::string::npos) << again->body;
    EXPECT_EQ(again->body.find("resultStatus=9000"), std::string::npos) << "no second result to report";
    EXPECT_EQ(sql("select count(*) from granted"), "0") << "no second access";
}

TEST_F(PaymentService, aCashierOfAnOrderForAServiceBoughtSinceTakesNoSecondPaymentAndClosingItReportsThePurchase)
{
    // 王晓东 opens the cashier of order A and closes it, then orders again and pays order B.
    const NSString orderA = signedOrder();
    const std::string idA = ns::stringForKey(OrbipaySDK::resultDictionaryFromURL(NSURL::URLWithString("x://y?" + orderA)), "order_id").UTF8String();
    const std::string cashierA = openedAndClosed(orderA);
    ASSERT_FALSE(cashierA.empty());
    ASSERT_EQ(results.size(), 1u);
    host->advance(1);
    const std::string cashierB = paidInCashier(signedOrder());
    ASSERT_FALSE(cashierB.empty());
    ASSERT_EQ(results.size(), 2u);
    ASSERT_EQ(status(1), NSString("9000"));
    host->advance(1);

    sql("create table granted (usercode text);"
        "create trigger note_grant after update on video_account begin insert into granted values (new.usercode); end;"
        "create trigger note_payment after update on training_order begin insert into granted values (new.order_id); end");
    httplib::Client client("127.0.0.1", standIn.paymentPort());
    auto paidB = client.Get(cashierB);
    ASSERT_TRUE(paidB);
    EXPECT_NE(paidB->body.find("<title>订单已支付</title>"), std::string::npos) << "B's own cashier, opened again: " << paidB->body;
    auto payA = client.Get(cashierA + "/pay");
    ASSERT_TRUE(payA);
    EXPECT_NE(payA->body.find("<title>已购买该服务</title>"), std::string::npos) << payA->body;
    EXPECT_EQ(payA->body.find("resultStatus=9000"), std::string::npos) << "no second payment to report";
    EXPECT_EQ(sql("select state from training_order where order_id = '" + idA + "'"), "unpaid");
    EXPECT_EQ(sql("select count(*) from granted"), "0") << "nothing written";

    // Order A again in the client: its cashier says so, and closing it reports the purchase.
    sdk->payOrder(orderA, "corvaneOrbipayCallback", collect());
    ASSERT_TRUE(cashierLoaded());
    EXPECT_EQ(sdk->cashier()->webView()->stringByEvaluatingJavaScriptFromString("document.title"), NSString("已购买该服务"));
    host->writePNG(NSString(CORVANE_SCREENS_DIR "/payment-cashier-bought-already.png"));
    host->advance(0.5);
    host->tap(sdk->cashier()->closeButton());
    ASSERT_TRUE(testing_support::runLoopUntil([this] { return results.size() == 3; }));
    EXPECT_EQ(status(2), NSString("9000"));
    EXPECT_EQ(sql("select count(*) from training_order where usercode = '510104199605207788' and state = 'paid'"), "1");
}

TEST_F(PaymentService, aPaymentTheGatewayCannotRecordIsNeitherAnnouncedNorKeptHalfAndClosingStillCancels)
{
    const NSString order = signedOrder();
    sdk->payOrder(order, "corvaneOrbipayCallback", collect());
    ASSERT_TRUE(cashierLoaded());
    // The order is marked, then the learner's access fails: neither may stay.
    sql("create trigger refuse_access before update on video_account begin select raise(abort, 'refused'); end");
    tapPage(CGPointMake(160, 182)); // 确认支付
    ASSERT_TRUE(cashierLoaded());
    host->advance(0.5);
    EXPECT_NE(sdk->cashier()->webView()->stringByEvaluatingJavaScriptFromString("document.title"), NSString("支付成功"));
    const std::string orderId = ns::stringForKey(OrbipaySDK::resultDictionaryFromURL(NSURL::URLWithString("x://y?" + order)), "order_id").UTF8String();
    ASSERT_FALSE(orderId.empty());
    EXPECT_EQ(sql("select state from training_order where order_id = '" + orderId + "'"), "unpaid");
    EXPECT_EQ(sql("select count(*) from training_cashier"), "1") << "the cashier stays for another try";
    host->tap(sdk->cashier()->closeButton());
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(status(0), NSString("6001"));
}

TEST_F(PaymentService, aCashierTheGatewayCannotKeepIsRefusedRatherThanOpenedEmpty)
{
    sql("create table if not exists training_cashier (token text primary key, order_text text, scheme text);"
        "create trigger refuse_cashier before insert on training_cashier begin select raise(abort, 'refused'); end");
    sdk->payOrder(signedOrder(), "corvaneOrbipayCallback", collect());
    ASSERT_TRUE(testing_support::runLoopUntil([this] { return !results.empty(); }));
    EXPECT_EQ(status(0), NSString("4000"));
    EXPECT_EQ(memo(0), NSString("服务器忙，请稍候再试"));
    EXPECT_FALSE(root->presentedViewController());
}

TEST_F(PaymentService, anUnsignedOrderIsRefusedByTheGatewayAndAnUnreachableGatewayIsANetworkError)
{
    sdk->payOrder("order_id=DD1&amount_fen=1", "corvaneOrbipayCallback", collect());
    ASSERT_TRUE(testing_support::runLoopUntil([this] { return !results.empty(); }));
    EXPECT_EQ(status(0), NSString("4000"));
    EXPECT_EQ(memo(0), NSString("订单签名无效"));

    setenv("CORVANE_PAYMENT_GATEWAY_URL", "http://127.0.0.1:9/gateway/cashier", 1);
    sdk->payOrder(signedOrder(), "corvaneOrbipayCallback", collect());
    ASSERT_TRUE(testing_support::runLoopUntil([this] { return results.size() == 2; }));
    EXPECT_EQ(status(1), NSString("6002"));
    EXPECT_FALSE(sdk->isPaymentPending());
    EXPECT_FALSE(root->presentedViewController());
}

TEST_F(PaymentService, aGatewayReplyThatDoesNotReadIsAnOtherErrorNotANetworkOne)
{
    httplib::Server proxy;
    proxy.Post("/gateway/cashier", [](const httplib::Request&, httplib::Response& response) {
        response.status = 502;
        response.set_content("<html><body><h1>502 Bad Gateway</h1></body></html>", "text/html");
    });
    const int port = proxy.bind_to_any_port("127.0.0.1");
    ASSERT_GT(port, 0);
    std::thread serving([&] { proxy.listen_after_bind(); });
    const std::string gateway = "http://127.0.0.1:" + std::to_string(port) + "/gateway/cashier";
    setenv("CORVANE_PAYMENT_GATEWAY_URL", gateway.c_str(), 1);
    sdk->payOrder(signedOrder(), "corvaneOrbipayCallback", collect());
    const bool answered = testing_support::runLoopUntil([this] { return !results.empty(); });
    proxy.stop();
    serving.join();
    ASSERT_TRUE(answered);
    EXPECT_EQ(status(0), NSString("4000"));
    EXPECT_FALSE(sdk->isPaymentPending());
}

} // namespace
