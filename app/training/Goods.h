#pragma once
// The online-learning goods as the payment service describes it, handed from the goods screen to
// the order screen. A key the reply lacks leaves its text nil.

#include "platform/foundation/NSDictionary.h"

#include <optional>

class Goods : public NSObject {
    NS_OBJECT(Goods, NSObject)
public:
    // The record of a reply row (GOODS_NAME, GOODS_ID, GOODS_PRICE, ...).
    static std::shared_ptr<Goods> goodsWithRow(const std::shared_ptr<NSDictionary>& row);

    NSString name;
    NSString type;
    NSString depcode;
    NSString goodsId;
    // Fen, as text.
    NSString price;
    long long num { 0 };
    NSString detail;
    NSString imgUrl;

    // The price read from its text without losing a decimal part, in whole fen ("1990" is 1990;
    // "19.90" is taken as 19.90 fen and rounds to 20); nothing for a text that is not a number.
    static std::optional<long long> fenOfPriceText(const NSString& text);
    // "￥19.90" for 1990 fen, by integer arithmetic.
    static NSString priceText(long long fen);
};
