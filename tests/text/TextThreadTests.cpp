// Text is laid out, measured and drawn on whichever thread asks: the font library's lock must
// neither be taken twice by one thread nor let two threads into the shared fonts at once.
#include "platform/text/CTLine.h"
#include "platform/text/CTStringAttributes.h"
#include "platform/text/TextLayout.h"
#include "platform/text/UIFont.h"

#include "platform/graphics/CGBitmapContext.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

struct Measured {
    double width { 0 };
    CGFloat ascent { 0 };
    CGFloat descent { 0 };
    CGFloat offsetOfFourth { 0 };
    CFIndex indexAtMiddle { 0 };
    CGRect ink { CGRectNull };
    std::vector<unsigned char> pixels;

    bool operator==(const Measured& other) const
    {
        return width == other.width && ascent == other.ascent && descent == other.descent && offsetOfFourth == other.offsetOfFourth
            && indexAtMiddle == other.indexAtMiddle && CGRectEqualToRect(ink, other.ink) && pixels == other.pixels;
    }
};

const char* const texts[] = { "科目一 道路交通安全法律", "Subject one: signs 标志", "预约考试 成绩查询", "" };

// Each case names its font by size, so threads that reach a size first load the face anew.
Measured measure(std::size_t text, CGFloat size)
{
    auto attributes = NSMutableDictionary::dictionary();
    if (size > 0)
        attributes->setObject(UIFont::systemFontOfSize(size), NSFontAttributeName);
    auto line = CTLineCreateWithAttributedString(NSAttributedString::withString(NSString(texts[text]), attributes));
    Measured measured;
    measured.width = CTLineGetTypographicBounds(line, &measured.ascent, &measured.descent, nullptr);
    measured.offsetOfFourth = CTLineGetOffsetForStringIndex(line, 4, nullptr);
    measured.indexAtMiddle = CTLineGetStringIndexForPosition(line, CGPointMake(measured.width / 2, 0));
    measured.ink = CTLineGetImageBounds(line, nullptr);
    auto context = CGBitmapContextCreate(nullptr, 320, 48, 8, 0, CGColorSpaceCreateDeviceRGB(),
        CGBitmapInfo(kCGImageAlphaPremultipliedFirst) | kCGBitmapByteOrder32Little);
    CGContextSetTextPosition(context, 2, 14);
    CTLineDraw(line, context);
    const auto* data = static_cast<const unsigned char*>(CGBitmapContextGetData(context));
    measured.pixels.assign(data, data + CGBitmapContextGetBytesPerRow(context) * 48);
    return measured;
}

} // namespace

// The first text of the process names no font: the default font is loaded while the paragraph
// and its empty line are made, which takes the font library's lock on the way.
TEST(TextThreads, theDefaultFontLoadsWhileTheFirstLinesAreMade)
{
    auto empty = CTLineCreateWithAttributedString(NSAttributedString::create());
    CGFloat ascent = 0;
    EXPECT_EQ(CTLineGetTypographicBounds(empty, &ascent, nullptr, nullptr), 0);
    EXPECT_EQ(ascent, UIFont::defaultTextFont()->ascender()) << "an empty line is as tall as the default font";

    TextLayout::Options options;
    options.size = CGSizeMake(60, CGFLOAT_MAX);
    auto text = NSAttributedString::withString(NSString("科目一 道路交通安全法律、法规和规章"), NSMutableDictionary::dictionary());
    TextLayout layout(text, NSMakeRange(0, text->length()), options);
    EXPECT_GT(layout.lines().size(), 1u);
    EXPECT_EQ(layout.visibleRange().length, text->length());
}

// Lines made, measured and drawn on several threads at once, each thread loading faces of its
// own sizes, come out as they do on one thread.
TEST(TextThreads, linesOnSeveralThreadsMatchThoseMadeOnOne)
{
    constexpr std::size_t threadCount = 4;
    constexpr std::size_t textCount = std::size(texts);
    // Sizes 0 (no font: the default), then sizes no other thread uses.
    auto sizeOf = [](std::size_t thread, std::size_t round) { return round == 0 ? CGFloat(0) : CGFloat(9 + thread * 5 + round); };
    constexpr std::size_t rounds = 5;

    std::vector<std::vector<std::vector<Measured>>> seen(threadCount, std::vector<std::vector<Measured>>(rounds));
    std::vector<std::thread> threads;
    for (std::size_t thread = 0; thread < threadCount; ++thread) {
        threads.emplace_back([&, thread] {
            for (std::size_t round = 0; round < rounds; ++round)
                for (std::size_t text = 0; text < textCount; ++text)
                    seen[thread][round].push_back(measure((text + thread) % textCount, sizeOf(thread, round)));
        });
    }
    for (auto& thread : threads)
        thread.join();

    for (std::size_t thread = 0; thread < threadCount; ++thread) {
        for (std::size_t round = 0; round < rounds; ++round) {
            for (std::size_t text = 0; text < textCount; ++text) {
                SCOPED_TRACE(testing::Message() << "thread " << thread << " round " << round << " text " << (text + thread) % textCount);
                const Measured alone = measure((text + thread) % textCount, sizeOf(thread, round));
                EXPECT_TRUE(seen[thread][round][text] == alone);
                if (texts[(text + thread) % textCount][0]) {
                    EXPECT_GT(alone.width, 0);
                }
            }
        }
    }
}
