#include "library/payment/OPayEnvelope.h"
#include "library/payment/OrbipaySDK.h"
#include "tools/service-standin/routes/GatewayEnvelope.h"

#include <gtest/gtest.h>

namespace {

std::string longOrder()
{
    std::string text = "order_id=DD202612070001&goods_id=100201500001&subject=网络理论学习服务&amount_fen=1990&notify=";
    while (text.size() < 700)
        text += "http%3A%2F%2F127.0.0.1%3A3680%2Fgateway%2Fnotify+/=";
    return text;
}

} // namespace

TEST(PaymentEnvelope, theGatewayOpensWhatTheClientSealedByteForByteAcrossSeveralBlocks)
{
    for (const std::string& order : { std::string("a"), std::string("order_id=DD1&amount_fen=1990&sign=ab+/c=="), longOrder() }) {
        std::shared_ptr<NSError> error;
        const NSString sealed = OPayEnvelope::seal(order, OrbipaySDK::providerPublicKey(), &error);
        ASSERT_GT(sealed.length(), 0u) << error;
        const auto opened = standin::openGatewayEnvelope(sealed.UTF8String());
        ASSERT_TRUE(opened);
        EXPECT_EQ(*opened, order);
    }
    // The padding is random: the same order never seals to the same text twice.
    EXPECT_NE(OPayEnvelope::seal("order_id=DD1", OrbipaySDK::providerPublicKey()),
        OPayEnvelope::seal("order_id=DD1", OrbipaySDK::providerPublicKey()));
}

TEST(PaymentEnvelope, aDamagedOrCutEnvelopeIsRefused)
{
    const std::string sealed = OPayEnvelope::seal(longOrder(), OrbipaySDK::providerPublicKey()).UTF8String();
    std::string flipped = sealed;
    flipped[40] = flipped[40] == 'A' ? 'B' : 'A';
    EXPECT_FALSE(standin::openGatewayEnvelope(flipped));
    EXPECT_FALSE(standin::openGatewayEnvelope(sealed.substr(0, sealed.size() / 2)));
    EXPECT_FALSE(standin::openGatewayEnvelope("not base64 at all!"));
    EXPECT_FALSE(standin::openGatewayEnvelope(""));
}

TEST(PaymentEnvelope, nothingIsSealedWithoutTextOrUnderAKeyThatDoesNotRead)
{
    std::shared_ptr<NSError> error;
    EXPECT_EQ(OPayEnvelope::seal("", OrbipaySDK::providerPublicKey(), &error).length(), 0u);
    EXPECT_TRUE(error);
    error = nullptr;
    EXPECT_EQ(OPayEnvelope::seal("order", "bm90IGEga2V5", &error).length(), 0u);
    EXPECT_TRUE(error);
}

TEST(PaymentEnvelope, onlyTheServicesOwnSignatureCountsAsSigned)
{
    const std::string text = "order_id=DD1&amount_fen=1990";
    const std::string signedText = text + "&sign=" + standin::signOrderText(text);
    EXPECT_TRUE(standin::orderTextIsSigned(signedText));
    EXPECT_FALSE(standin::orderTextIsSigned(text));
    EXPECT_FALSE(standin::orderTextIsSigned("order_id=DD1&amount_fen=1&sign=" + standin::signOrderText(text)));
}
