#include "platform/text/NSAttributedString.h"
#include "platform/text/NSParagraphStyle.h"
#include "platform/text/UIFont.h"

#include "platform/foundation/NSException.h"
#include "platform/foundation/TypedValues.h"

#include <gtest/gtest.h>

namespace {

NSAttributes attributes(std::initializer_list<std::pair<NSString, id>> entries)
{
    return ns::dictionary(entries);
}

std::vector<std::pair<NSRange, id>> valuesOf(const std::shared_ptr<NSAttributedString>& text, const char* name)
{
    std::vector<std::pair<NSRange, id>> values;
    text->enumerateAttribute(name, NSMakeRange(0, text->length()), 0, [&](const id& value, NSRange range, bool&) { values.emplace_back(range, value); });
    return values;
}

} // namespace

TEST(NSAttributedString, rangesCountUTF16UnitsAndRunsMerge)
{
    auto text = NSMutableAttributedString::withString(u"科目一😀abc");
    EXPECT_EQ(text->length(), 8u);
    auto red = ns::number(1);
    text->addAttribute("colour", red, NSMakeRange(3, 2));
    NSRange range;
    EXPECT_EQ(text->attributeAtIndex("colour", 4, &range), red);
    EXPECT_EQ(range, NSMakeRange(3, 2));
    text->addAttribute("colour", ns::number(1), NSMakeRange(5, 3));
    text->attributesAtIndex(3, &range);
    EXPECT_EQ(range, NSMakeRange(3, 5)) << "equal neighbours merge";
    EXPECT_EQ(text->attributesAtIndex(0)->count(), 0u);
}

TEST(NSAttributedString, editsKeepAttributesWhereThePlatformDoes)
{
    auto bold = UIFont::boldSystemFontOfSize(12);
    auto text = NSMutableAttributedString::withString("hello world", attributes({ { NSFontAttributeName, bold } }));
    text->addAttribute(NSLinkAttributeName, NSString("http://a"), NSMakeRange(6, 5));
    // Inserted text takes the attributes of the character before it.
    text->replaceCharactersInRange(NSMakeRange(11, 0), NSString("!"));
    EXPECT_TRUE(text->attributeAtIndex(NSLinkAttributeName, 11));
    // Replacing takes the attributes of the first character replaced.
    text->replaceCharactersInRange(NSMakeRange(0, 5), NSString("你好"));
    EXPECT_EQ(text->string(), "你好 world!");
    EXPECT_TRUE(ns::isEqual(text->attributeAtIndex(NSFontAttributeName, 0), bold));
    EXPECT_FALSE(text->attributeAtIndex(NSLinkAttributeName, 0));
    NSRange link;
    text->attributeAtIndex(NSLinkAttributeName, 4, &link);
    EXPECT_EQ(link, NSMakeRange(3, 6));

    text->appendAttributedString(NSAttributedString::withString("?", attributes({ { "k", ns::number(2) } })));
    EXPECT_EQ(text->attributesAtIndex(text->length() - 1)->count(), 1u);
    text->removeAttribute(NSLinkAttributeName, NSMakeRange(0, text->length()));
    EXPECT_EQ(valuesOf(text, NSLinkAttributeName).size(), 1u);
    text->setAttributes(nullptr, NSMakeRange(0, 2));
    EXPECT_EQ(text->attributesAtIndex(0)->count(), 0u);
    text->deleteCharactersInRange(NSMakeRange(0, 3));
    EXPECT_EQ(text->string(), "world!?");
    EXPECT_TRUE(ns::isEqual(text->attributeAtIndex(NSFontAttributeName, 0), bold));
}

TEST(NSAttributedString, enumerationCoalescesEqualValuesAndClipsToTheRange)
{
    auto text = NSMutableAttributedString::withString("aaabbbccc");
    text->addAttribute("x", ns::number(1), NSMakeRange(0, 3));
    text->addAttribute("y", ns::number(1), NSMakeRange(2, 4));
    auto values = valuesOf(text, "x");
    ASSERT_EQ(values.size(), 2u);
    EXPECT_EQ(values[0].first, NSMakeRange(0, 3));
    EXPECT_EQ(values[1].first, NSMakeRange(3, 6));
    EXPECT_FALSE(values[1].second);

    std::vector<NSRange> reversed;
    text->enumerateAttributesInRange(NSMakeRange(1, 6), NSAttributedStringEnumerationReverse,
        [&](const NSAttributes&, NSRange range, bool& stop) {
            reversed.push_back(range);
            stop = reversed.size() == 2;
        });
    ASSERT_EQ(reversed.size(), 2u);
    EXPECT_EQ(reversed[0], NSMakeRange(6, 1));
    EXPECT_EQ(reversed[1], NSMakeRange(3, 3));

    auto sub = text->attributedSubstringFromRange(NSMakeRange(2, 3));
    EXPECT_EQ(sub->string(), "abb");
    NSRange range;
    sub->attributesAtIndex(0, &range);
    EXPECT_EQ(range, NSMakeRange(0, 1));
    EXPECT_TRUE(sub->isEqualToAttributedString(text->attributedSubstringFromRange(NSMakeRange(2, 3))));
    EXPECT_FALSE(sub->isEqualToAttributedString(text->attributedSubstringFromRange(NSMakeRange(3, 3))));
}

TEST(NSAttributedString, copiesAreIndependentAndBadRangesRaise)
{
    auto text = NSMutableAttributedString::withString("abc");
    auto frozen = std::static_pointer_cast<NSAttributedString>(text->copy());
    text->addAttribute("x", ns::number(1), NSMakeRange(0, 3));
    EXPECT_EQ(frozen->attributesAtIndex(0)->count(), 0u);
    EXPECT_THROW(text->attributesAtIndex(3), NSException);
    EXPECT_THROW(text->addAttribute("x", ns::number(1), NSMakeRange(2, 2)), NSException);
    EXPECT_THROW(text->replaceCharactersInRange(NSMakeRange(4, 0), NSString("x")), NSException);
    EXPECT_THROW(text->attributedSubstringFromRange(NSMakeRange(NSUIntegerMax, 2)), NSException);
}

TEST(NSParagraphStyle, mutableCopiesCompareByValue)
{
    auto style = NSMutableParagraphStyle::create();
    style->setAlignment(NSTextAlignmentCenter);
    style->setLineSpacing(4);
    auto frozen = style->copy();
    EXPECT_TRUE(ns::isEqual(frozen, style));
    style->setLineSpacing(5);
    EXPECT_FALSE(ns::isEqual(frozen, style));
    EXPECT_EQ(NSTextAlignmentCenter, 1);
    EXPECT_EQ(NSLineBreakByTruncatingTail, 4);
}
