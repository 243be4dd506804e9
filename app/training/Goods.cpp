#include "app/training/Goods.h"

#include "platform/foundation/TypedValues.h"

#include <cmath>
#include <cstdlib>
#include <string>

namespace {

NSString textOrNil(const std::shared_ptr<NSDictionary>& row, const char* key)
{
    auto value = row ? row->objectForKey(NSString(key)) : nullptr;
    if (!value || ns::isNilOrNull(value))
        return nullptr;
    return ns::textOf(value);
}

} // namespace

std::shared_ptr<Goods> Goods::goodsWithRow(const std::shared_ptr<NSDictionary>& row)
{
    auto goods = create();
    goods->name = textOrNil(row, "GOODS_NAME");
    goods->type = textOrNil(row, "GOODS_TYPE");
    goods->depcode = textOrNil(row, "DEPCODE");
    goods->goodsId = textOrNil(row, "GOODS_ID");
    goods->price = textOrNil(row, "GOODS_PRICE");
    goods->num = textOrNil(row, "GOODS_NUM").isNil() ? 0 : ns::longLongValue(row->objectForKey(NSString("GOODS_NUM")));
    goods->detail = textOrNil(row, "GOODS_DETAIL");
    goods->imgUrl = textOrNil(row, "GOODS_IMAGE");
    return goods;
}

std::optional<long long> Goods::fenOfPriceText(const NSString& text)
{
    if (text.isNil())
        return std::nullopt;
    const std::string value = text.UTF8String();
    char* end = nullptr;
    const double number = std::strtod(value.c_str(), &end);
    if (end == value.c_str() || !std::isfinite(number) || number < 0)
        return std::nullopt;
    return static_cast<long long>(std::llround(number));
}

NSString Goods::priceText(long long fen)
{
    if (fen < 0)
        fen = 0;
    return NSString::stringWithFormat("￥%lld.%02lld", fen / 100, fen % 100);
}
