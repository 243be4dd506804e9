#include "library/network/request/RQQueryStringPair.h"

#include "platform/foundation/Foundation.h"

#include <gtest/gtest.h>

namespace {

NSString encode(const std::shared_ptr<NSDictionary>& fields)
{
    return RQQueryStringFromParameters(fields, NSUTF8StringEncoding);
}

} // namespace

TEST(FormEncoding, sortsKeysCaseInsensitivelyWithTheFixedFieldsFirst)
{
    auto fields = ns::dictionary({
        { "METHOD", NSString("login") },
        { "b", NSString("2") },
        { "_license_key_", NSString("A7C19D04E2B85F63C0D9174BE6A2F58D") },
        { "A", NSString("1") },
        { "_format_", NSString("json") },
        { "_app_id_", NSString("TSAPP") },
        { "A10", NSString("x") },
        { "A2", NSString("y") },
    });
    EXPECT_EQ(encode(fields),
        "_app_id_=TSAPP&_format_=json&_license_key_=A7C19D04E2B85F63C0D9174BE6A2F58D&A=1&A10=x&A2=y&b=2&METHOD=login");
}

TEST(FormEncoding, escapesEverythingButTheUnreservedCharacters)
{
    EXPECT_EQ(encode(ns::dictionary({ { "k", NSString("a b&c=d") } })), "k=a%20b%26c%3Dd");
    EXPECT_EQ(encode(ns::dictionary({ { "k", NSString("1+1%~-_.!*'();:@$,/?#[]") } })),
        "k=1%2B1%25~-_.%21%2A%27%28%29%3B%3A%40%24%2C%2F%3F%23%5B%5D");
    EXPECT_EQ(encode(ns::dictionary({ { "NAME", NSString("张三") } })), "NAME=%E5%BC%A0%E4%B8%89");
    EXPECT_EQ(encode(ns::dictionary({ { "n", ns::number(5) } })), "n=5");
    EXPECT_EQ(encode(ns::dictionary({ { "a", NSNull::null() } })), "a");
    EXPECT_EQ(encode(NSDictionary::dictionary()), "");
}

TEST(FormEncoding, flattensNestedDictionariesArraysAndSets)
{
    auto fields = ns::dictionary({
        { "outer", ns::dictionary({ { "z", ns::number(1) }, { "a", ns::number(2) } }) },
        { "ids", ns::array({ ns::number(3), ns::number(1) }) },
        { "empty", ns::array({}) },
        { "tags", NSSet::setWithObjects({ NSString("x") }) },
        { "user", ns::dictionary({ { "name", NSString("李 四") }, { "roles", ns::array({ NSString("0"), NSString("4") }) } }) },
    });
    EXPECT_EQ(encode(fields),
        "ids[]=3&ids[]=1&outer[a]=2&outer[z]=1&tags=x&user[name]=%E6%9D%8E%20%E5%9B%9B&user[roles][]=0&user[roles][]=4");
}
