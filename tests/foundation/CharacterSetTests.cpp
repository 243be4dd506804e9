#include "platform/foundation/NSCharacterSet.h"

#include <gtest/gtest.h>

TEST(NSCharacterSet, matchesSupplementaryCharactersWholeAndClampsRanges)
{
    auto emoji = NSCharacterSet::characterSetWithCharactersInString("a😀中");
    EXPECT_TRUE(emoji->longCharacterIsMember(0x1F600));
    EXPECT_FALSE(emoji->characterIsMember(0xD83D));
    EXPECT_TRUE(emoji->characterIsMember(u'中'));
    EXPECT_TRUE(emoji->characterIsMember('a'));
    EXPECT_FALSE(emoji->longCharacterIsMember('b'));

    // Ranges past the last code point are cut there; ranges wholly past it or empty add nothing.
    auto top = NSCharacterSet::characterSetWithRange(NSMakeRange(0x10FFFE, 100));
    EXPECT_TRUE(top->longCharacterIsMember(0x10FFFF));
    EXPECT_FALSE(top->longCharacterIsMember(0x10FFFD));
    auto everything = NSCharacterSet::characterSetWithRange(NSMakeRange(0, NSUIntegerMax));
    EXPECT_TRUE(everything->longCharacterIsMember(0x10FFFF));
    EXPECT_TRUE(everything->characterIsMember(0));
    EXPECT_TRUE(NSCharacterSet::characterSetWithRange(NSMakeRange(0x110000, 5))->isEqual(NSCharacterSet::characterSetWithRange(NSMakeRange(65, 0))));

    auto letters = NSCharacterSet::characterSetWithRange(NSMakeRange('a', 26))->mutableCopyOfSet();
    letters->removeCharactersInRange(NSMakeRange('x', NSUIntegerMax));
    letters->removeCharactersInRange(NSMakeRange(0x110000, 1));
    EXPECT_TRUE(letters->characterIsMember('w'));
    EXPECT_FALSE(letters->characterIsMember('x'));
}

TEST(NSCharacterSet, combinesInvertsAndCopiesWithoutSharing)
{
    auto vowels = NSCharacterSet::characterSetWithCharactersInString("aeiou");
    auto set = vowels->mutableCopyOfSet();
    set->addCharactersInString("xyz");
    set->removeCharactersInString("ax");
    EXPECT_FALSE(set->characterIsMember('a'));
    EXPECT_TRUE(vowels->characterIsMember('a'));
    set->formIntersectionWithCharacterSet(*NSCharacterSet::characterSetWithCharactersInString("eyq"));
    EXPECT_TRUE(set->isEqual(NSCharacterSet::characterSetWithCharactersInString("ye")));
    EXPECT_EQ(set->hash(), NSCharacterSet::characterSetWithCharactersInString("ey")->hash());
    set->formUnionWithCharacterSet(*NSCharacterSet::characterSetWithCharactersInString("😀"));
    EXPECT_TRUE(set->longCharacterIsMember(0x1F600));

    auto notVowels = vowels->invertedSet();
    EXPECT_FALSE(notVowels->characterIsMember('e'));
    EXPECT_TRUE(notVowels->characterIsMember('b'));
    EXPECT_TRUE(notVowels->longCharacterIsMember(0x10FFFF));
    EXPECT_TRUE(notVowels->invertedSet()->isEqual(vowels));
    EXPECT_FALSE(vowels->isEqual(NSString("aeiou")));
}

TEST(NSCharacterSet, standardSetsCoverOtherScripts)
{
    auto digits = NSCharacterSet::decimalDigitCharacterSet();
    EXPECT_TRUE(digits->characterIsMember(u'٣'));
    EXPECT_TRUE(digits->characterIsMember(u'３'));
    EXPECT_FALSE(digits->characterIsMember(u'三'));
    EXPECT_TRUE(NSCharacterSet::letterCharacterSet()->characterIsMember(u'驾'));
    EXPECT_TRUE(NSCharacterSet::alphanumericCharacterSet()->characterIsMember(u'三'));
    EXPECT_TRUE(NSCharacterSet::punctuationCharacterSet()->characterIsMember(u'。'));
    EXPECT_TRUE(NSCharacterSet::whitespaceCharacterSet()->characterIsMember(u'\u3000'));
    EXPECT_FALSE(NSCharacterSet::whitespaceCharacterSet()->characterIsMember('\n'));
    EXPECT_TRUE(NSCharacterSet::whitespaceAndNewlineCharacterSet()->characterIsMember(u'\u2028'));
    EXPECT_TRUE(NSCharacterSet::newlineCharacterSet()->characterIsMember('\r'));
    EXPECT_TRUE(NSCharacterSet::uppercaseLetterCharacterSet()->characterIsMember(u'Ǆ'));
    EXPECT_FALSE(NSCharacterSet::lowercaseLetterCharacterSet()->characterIsMember('A'));
    EXPECT_TRUE(NSCharacterSet::controlCharacterSet()->characterIsMember(u'\u200B'));

    // What each URL part may carry as it is.
    auto query = NSCharacterSet::URLQueryAllowedCharacterSet();
    for (char c : std::string_view("?/=&'~"))
        EXPECT_TRUE(query->characterIsMember(c)) << c;
    for (char c : std::string_view("# %\"<>[]"))
        EXPECT_FALSE(query->characterIsMember(c)) << c;
    EXPECT_FALSE(NSCharacterSet::URLPathAllowedCharacterSet()->characterIsMember('?'));
    EXPECT_TRUE(NSCharacterSet::URLHostAllowedCharacterSet()->characterIsMember('['));
    EXPECT_FALSE(NSCharacterSet::URLHostAllowedCharacterSet()->characterIsMember('@'));
    EXPECT_TRUE(NSCharacterSet::URLFragmentAllowedCharacterSet()->characterIsMember('?'));
    EXPECT_FALSE(NSCharacterSet::URLUserAllowedCharacterSet()->characterIsMember(':'));
    EXPECT_FALSE(NSCharacterSet::URLPasswordAllowedCharacterSet()->characterIsMember('@'));
    EXPECT_FALSE(query->characterIsMember(u'中'));
}
