#include "WidgetPictures.h"
#include "WidgetScreen.h"

#include "library/widgets/keyboard/KMActionSheetPickerView.h"
#include "library/widgets/keyboard/KMToolbar.h"
#include "platform/foundation/NSNull.h"
#include "platform/uikit/UIScrollView.h"

namespace {

class Chooser : public NSObject, public KMActionSheetPickerViewDelegate {
    NS_OBJECT(Chooser, NSObject)
public:
    void didSelectTitles(KMActionSheetPickerView& sheet, const std::shared_ptr<NSArray>& titles) override
    {
        results.emplace_back(sheet.tag(), titles);
    }
    void didChangeRow(KMActionSheetPickerView&, NSInteger row, NSInteger component) override { changes.emplace_back(row, component); }

    std::vector<std::pair<NSInteger, std::shared_ptr<NSArray>>> results;
    std::vector<std::pair<NSInteger, NSInteger>> changes;
};

class PickerSheet : public WidgetScreenTest {
protected:
    std::shared_ptr<KMActionSheetPickerView> regionSheet(NSInteger remembered)
    {
        auto sheet = KMActionSheetPickerView::create(NSString(""), chooser);
        sheet->setTag(1);
        sheet->setTitlesForComponenets({ { "南宁市", "柳州市", "桂林市", "梧州市", "北海市" } });
        sheet->selectIndexes({ remembered }, true);
        return sheet;
    }
    void tapButton(const char* title)
    {
        auto button = host->findViewWithText(title);
        ASSERT_NE(button, nullptr) << title;
        host->tap(button);
    }

    std::shared_ptr<Chooser> chooser = Chooser::create();
};

TEST_F(PickerSheet, slidesInPreselectsAndReportsItsTitleOnce)
{
    auto sheet = regionSheet(3);
    sheet->show();
    EXPECT_EQ(sheet->frame().origin.y, 568 - 260);
    EXPECT_EQ(sheet->frame().size.height, 260);
    ASSERT_EQ(root->childViewControllers().size(), 1u);
    host->advance(0.35);
    EXPECT_EQ(sheet->pickerView()->selectedRowInComponent(0), 3);

    tapButton("确定");
    tapButton("确定"); // a second tap while it slides away
    host->advance(0.5);
    ASSERT_EQ(chooser->results.size(), 1u);
    EXPECT_EQ(chooser->results[0].first, 1);
    EXPECT_EQ(NSString::fromId(chooser->results[0].second->objectAtIndex(0)), "梧州市");
    EXPECT_EQ(sheet->superview(), nullptr);
    EXPECT_TRUE(root->childViewControllers().empty());
}

TEST_F(PickerSheet, returnConfirmsAndEscapeCancels)
{
    // Whether the sheet took the key and went away.
    const auto pressed = [&](NSInteger remembered, UIKeyboardKey key) {
        auto sheet = regionSheet(remembered);
        sheet->show();
        host->advance(0.35);
        const bool taken = host->pressKey(key);
        host->advance(0.5);
        return taken && !sheet->superview();
    };
    EXPECT_TRUE(pressed(2, UIKeyboardKey::Return));
    ASSERT_EQ(chooser->results.size(), 1u);
    EXPECT_EQ(NSString::fromId(chooser->results[0].second->objectAtIndex(0)), "桂林市");
    EXPECT_TRUE(pressed(4, UIKeyboardKey::Escape));
    EXPECT_EQ(chooser->results.size(), 1u);
}

TEST_F(PickerSheet, aFlickFollowedAtOnceByConfirmReportsTheRowShownAndNothingMovesAfter)
{
    auto sheet = KMActionSheetPickerView::create(NSString(""), chooser);
    std::vector<NSString> cities;
    for (const char* city : { "南宁市", "柳州市", "桂林市", "梧州市", "北海市", "防城港市", "钦州市", "贵港市", "玉林市",
             "百色市", "贺州市", "河池市", "来宾市", "崇左市" })
        cities.emplace_back(city);
    sheet->setTitlesForComponenets({ cities });
    sheet->show();
    host->advance(0.35);
    auto wheel = std::static_pointer_cast<UIScrollView>(sheet->pickerView()->wheelForComponent(0));
    // The band's middle is 108 points into the picker, under the 44-point bar of a sheet at 308.
    host->drag(CGPointMake(160, 540), CGPointMake(160, 430), 0.08);
    host->advance(1.0 / 60);
    ASSERT_TRUE(wheel->isDecelerating()) << "the flick still turns the wheel";
    tapButton("确定");
    const CGFloat stopped = wheel->contentOffset().y;
    const auto row = NSUInteger(std::lround((stopped + 92) / 32));
    EXPECT_DOUBLE_EQ(stopped, CGFloat(row) * 32 - 92) << "stopped on a whole row";
    EXPECT_GT(row, 0u);
    ASSERT_EQ(chooser->results.size(), 1u);
    EXPECT_EQ(NSString::fromId(chooser->results[0].second->objectAtIndex(0)), cities.at(row));
    host->advance(0.5);
    EXPECT_DOUBLE_EQ(wheel->contentOffset().y, stopped);
    EXPECT_EQ(chooser->results.size(), 1u);
}

TEST_F(PickerSheet, nothingBehindTheSheetShowsThroughIt)
{
    auto behind = UIView::create(CGRectMake(20, 280, 280, 260));
    behind->setBackgroundColor(UIColor::redColor());
    screen()->addSubview(behind);
    auto sheet = regionSheet(2);
    sheet->show();
    host->advance(0.35);
    ASSERT_EQ(sheet->frame().origin.y, 308);
    const auto sample = [&] {
        std::vector<std::array<uint8_t, 4>> pixels;
        for (CGFloat y = 309; y < 568; y += 7)
            for (CGFloat x = 1; x < 320; x += 9)
                pixels.push_back(host->pixelAt(CGPointMake(x, y)));
        return pixels;
    };
    const auto overRed = sample();
    writeWidgetPicture(*host, "picker-sheet-over-a-red-panel");
    behind->setHidden(true);
    const auto overWhite = sample();
    ASSERT_EQ(overRed.size(), overWhite.size());
    std::size_t differing = 0;
    for (std::size_t index = 0; index < overRed.size(); ++index)
        differing += overRed[index] != overWhite[index] ? 1 : 0;
    EXPECT_EQ(differing, 0u) << "of " << overRed.size() << " points of the sheet";
}

TEST_F(PickerSheet, theKeyboardsBarHidesWhatIsBehindItAsTheSheetDoes)
{
    auto behind = UIView::create(CGRectMake(20, 280, 280, 100));
    behind->setBackgroundColor(UIColor::redColor());
    screen()->addSubview(behind);
    auto bar = KMToolbar::create(CGRectMake(0, 300, 0, 44));
    screen()->addSubview(bar);
    host->runUntilIdle();
    const auto sample = [&] {
        std::vector<std::array<uint8_t, 4>> pixels;
        for (CGFloat y = 301; y < 344; y += 5)
            for (CGFloat x = 1; x < 320; x += 9)
                pixels.push_back(host->pixelAt(CGPointMake(x, y)));
        return pixels;
    };
    const auto overRed = sample();
    behind->setHidden(true);
    EXPECT_EQ(sample(), overRed);
}

TEST_F(PickerSheet, anIndexOutOfRangeLeavesTheFirstRowAndCancelReportsNothing)
{
    auto sheet = regionSheet(5);
    sheet->show();
    host->advance(0.35);
    EXPECT_EQ(sheet->pickerView()->selectedRowInComponent(0), 0);
    host->tap(CGPointMake(160, 100)); // the dimmed area does nothing
    EXPECT_NE(sheet->superview(), nullptr);
    tapButton("取消");
    host->advance(0.5);
    EXPECT_TRUE(chooser->results.empty());
    EXPECT_EQ(sheet->superview(), nullptr);
}

TEST_F(PickerSheet, aDateSheetReturnsExactlyOneDate)
{
    auto sheet = KMActionSheetPickerView::create(NSString(""), chooser);
    sheet->setActionSheetPickerStyle(1);
    sheet->selectIndexes({ 2 }, false);
    const auto day = NSDate::dateWithTimeIntervalSince1970(1'796'000'000);
    sheet->setDate(day);
    EXPECT_TRUE(sheet->pickerView()->isHidden());
    sheet->show();
    host->advance(0.35);
    tapButton("确定");
    ASSERT_EQ(chooser->results.size(), 1u);
    ASSERT_EQ(chooser->results[0].second->count(), 1u);
    auto picked = std::dynamic_pointer_cast<NSDate>(chooser->results[0].second->objectAtIndex(0));
    ASSERT_NE(picked, nullptr);
    EXPECT_EQ(std::lround(picked->timeIntervalSinceDate(day) / 86400), 0);
}

TEST_F(PickerSheet, rangeColumnsDragEachOtherAndTitlesSelectByValue)
{
    auto sheet = KMActionSheetPickerView::create(NSString("时段"), chooser);
    sheet->setTitlesForComponenets({ { "1", "2", "3", "4" }, { "至" }, { "1", "2", "3", "4" } });
    sheet->setIsRangePickerView(true);
    sheet->setWidthsForComponents({ 0, 40 });
    sheet->reloadAllComponents();
    auto& picker = *sheet->pickerView();
    picker.selectRow(2, 0, false); // as the finger leaves it
    sheet->pickerViewDidSelectRow(picker, 2, 0);
    EXPECT_EQ(picker.selectedRowInComponent(2), 2);
    picker.selectRow(1, 2, false);
    sheet->pickerViewDidSelectRow(picker, 1, 2);
    EXPECT_EQ(picker.selectedRowInComponent(0), 1);
    EXPECT_EQ(chooser->changes.size(), 2u);
    EXPECT_EQ(sheet->pickerViewWidthForComponent(picker, 1), 40);
    EXPECT_EQ(sheet->pickerViewWidthForComponent(picker, 2), (picker.bounds().size.width - 20 - 4) / 3);

    sheet->setSelectedTitles(NSArray::arrayWithObjects({ NSString("3"), NSString("没有"), NSString("4") }));
    const auto titles = sheet->selectedTitles();
    EXPECT_EQ(NSString::fromId(titles->objectAtIndex(0)), "3");
    EXPECT_EQ(NSString::fromId(titles->objectAtIndex(1)), "至");
    EXPECT_EQ(NSString::fromId(titles->objectAtIndex(2)), "4");
}

} // namespace
