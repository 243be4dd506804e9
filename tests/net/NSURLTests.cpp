#include "platform/net/NSURL.h"

#include "platform/foundation/NSNumber.h"

#include <gtest/gtest.h>

TEST(NSURL, splitsTheComponentsOfAServiceAddress)
{
    auto url = NSURL::URLWithString("http://user:pw@127.0.0.1:3600/Tessalane/resource/sysbl/ctop?a=1&b=%E4%B8%AD#top");
    ASSERT_TRUE(url);
    EXPECT_EQ(url->scheme(), "http");
    EXPECT_EQ(url->host(), "127.0.0.1");
    EXPECT_EQ(url->port()->intValue(), 3600);
    EXPECT_EQ(url->user(), "user");
    EXPECT_EQ(url->password(), "pw");
    EXPECT_EQ(url->path(), "/Tessalane/resource/sysbl/ctop");
    EXPECT_EQ(url->query(), "a=1&b=%E4%B8%AD");
    EXPECT_EQ(url->fragment(), "top");
    EXPECT_EQ(url->lastPathComponent(), "ctop");
}

TEST(NSURL, refusesTextThatIsNotAURL)
{
    EXPECT_EQ(NSURL::URLWithString("http://x/a b"), nullptr);
    EXPECT_EQ(NSURL::URLWithString("http://x/中文"), nullptr);
    EXPECT_EQ(NSURL::URLWithString("http://x/%zz"), nullptr);
    EXPECT_EQ(NSURL::URLWithString(NSString()), nullptr);
    EXPECT_NE(NSURL::URLWithString(""), nullptr);
}

TEST(NSURL, resolvesRelativeReferences)
{
    auto base = NSURL::URLWithString("http://a/b/c/d;p?q");
    auto resolve = [&](const char* text) { return NSURL::URLWithString(text, base)->absoluteString(); };
    EXPECT_EQ(resolve("g"), "http://a/b/c/g");
    EXPECT_EQ(resolve("./g"), "http://a/b/c/g");
    EXPECT_EQ(resolve("g/"), "http://a/b/c/g/");
    EXPECT_EQ(resolve("/g"), "http://a/g");
    EXPECT_EQ(resolve("//g"), "http://g");
    EXPECT_EQ(resolve("?y"), "http://a/b/c/d;p?y");
    EXPECT_EQ(resolve("#s"), "http://a/b/c/d;p?q#s");
    EXPECT_EQ(resolve("../.."), "http://a/");
    EXPECT_EQ(resolve("../../../g"), "http://a/g");
    EXPECT_EQ(resolve("http:g"), "http:g");
    auto action = NSURL::URLWithString("app/loginCheck", NSURL::URLWithString("http://127.0.0.1:3601/video/"));
    EXPECT_EQ(action->absoluteString(), "http://127.0.0.1:3601/video/app/loginCheck");
    EXPECT_EQ(action->relativeString(), "app/loginCheck");
}

TEST(NSURL, makesFileURLsWhoseDirectoriesResolveInside)
{
    auto folder = NSURL::fileURLWithPath("/opt/corvane/resources", true);
    EXPECT_EQ(folder->absoluteString(), "file:///opt/corvane/resources/");
    EXPECT_TRUE(folder->isFileURL());
    EXPECT_EQ(NSURL::URLWithString("img/a.png", folder)->path(), "/opt/corvane/resources/img/a.png");
    EXPECT_EQ(NSURL::fileURLWithPath("/tmp/驾驶 手册.html")->path(), "/tmp/驾驶 手册.html");
}

TEST(NSURL, removesDotSegmentsInTheAbnormalCases)
{
    auto base = NSURL::URLWithString("http://a/b/c/d;p?q");
    auto resolve = [&](const char* text) { return NSURL::URLWithString(text, base)->absoluteString(); };
    EXPECT_EQ(resolve("../../../../g"), "http://a/g");
    EXPECT_EQ(resolve("/./g"), "http://a/g");
    EXPECT_EQ(resolve("/../g"), "http://a/g");
    EXPECT_EQ(resolve("g."), "http://a/b/c/g.");
    EXPECT_EQ(resolve("..g"), "http://a/b/c/..g");
    EXPECT_EQ(resolve("./../g"), "http://a/b/g");
    EXPECT_EQ(resolve("./g/."), "http://a/b/c/g/");
    EXPECT_EQ(resolve("g/./h"), "http://a/b/c/g/h");
    EXPECT_EQ(resolve("g/../h"), "http://a/b/c/h");
    EXPECT_EQ(resolve("g;x=1/../y"), "http://a/b/c/y");
    EXPECT_EQ(resolve("."), "http://a/b/c/");
    EXPECT_EQ(resolve(".."), "http://a/b/");
    EXPECT_EQ(NSURL::URLWithString("http://a/b/./c/../../d/..")->standardizedURL()->absoluteString(), "http://a/");
    EXPECT_EQ(NSURL::URLWithString("a/b/../../../c", NSURL::URLWithString("file:x"))->absoluteString(), "file:/c");
}

// A megabyte of "../" and as many segments to climb out of: each is undone once, so this stays
// as cheap as reading the text (url_resolution in hostile_input_bench states the bound).
TEST(NSURL, resolvesAMegabyteOfDotSegments)
{
    const std::size_t count = (1 << 20) / 3;
    std::string up;
    for (std::size_t i = 0; i < count; ++i)
        up += "../";
    auto climbed = NSURL::URLWithString(NSString(up + "g?x"), NSURL::URLWithString("http://a/b/c/d"));
    ASSERT_TRUE(climbed);
    EXPECT_EQ(climbed->absoluteString(), "http://a/g?x");

    std::string deep = "http://a";
    for (std::size_t i = 0; i < count / 2; ++i)
        deep += "/s";
    deep += "/";
    for (std::size_t i = 0; i < count / 2 - 1; ++i)
        deep += "../";
    auto standard = NSURL::URLWithString(NSString(deep))->standardizedURL();
    ASSERT_TRUE(standard);
    EXPECT_EQ(standard->absoluteString(), "http://a/s/");
}
