// The learner statistics' slices from a reply row at both levels (numbers or text, missing and
// bad values, subjects nine and ten, graduates alone) and the dates sent to the service.
#include "app/charts/StudentChartViewController.h"
#include "library/widgets/calendar/NSDate_Addition.h"
#include "platform/host/HeadlessHost.h"
#include "platform/foundation/NSDictionary.h"
#include "platform/foundation/NSLocale.h"
#include "platform/foundation/NSNumber.h"
#include "platform/foundation/TypedValues.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

std::shared_ptr<NSDictionary> rowOf(std::initializer_list<std::pair<const char*, id>> members)
{
    auto row = NSMutableDictionary::dictionary();
    for (const auto& [key, value] : members)
        row->setObject(value, NSString(key));
    return row;
}

id text(const char* value) { return NSString(value); }

struct Slice {
    NSString text;
    double share;
    int count;
    NSString colour;
};

std::vector<Slice> slicesOf(const std::shared_ptr<NSMutableArray>& slices)
{
    std::vector<Slice> result;
    for (NSUInteger i = 0; slices && i < slices->count(); ++i) {
        auto slice = ns::dictionaryValue(slices->objectAtIndex(i));
        result.push_back({ ns::stringForKey(slice, "text"), ns::doubleForKey(slice, "data"), ns::intForKey(slice, "prfbal"),
            ns::stringForKey(slice, "color") });
    }
    return result;
}

TEST(LearnerSlices, theTopLevelSetsLearnersInStudyAgainstGraduates)
{
    auto both = slicesOf(StudentChartViewController::slicesOfRow(
        rowOf({ { "SUBJECT1", text("3") }, { "SUBJECT2", text("1") }, { "GRADUATION", text("4") } }), true));
    ASSERT_EQ(both.size(), 2u);
    EXPECT_EQ(both[0].text, NSString("在学"));
    EXPECT_DOUBLE_EQ(both[0].share, 50);
    EXPECT_EQ(both[0].count, 4);
    EXPECT_EQ(both[0].colour, NSString("e66444"));
    EXPECT_EQ(both[1].text, NSString("结业"));
    EXPECT_EQ(both[1].colour, NSString("a2c159"));

    auto noGraduates = slicesOf(StudentChartViewController::slicesOfRow(rowOf({ { "SUBJECT1", text("3") }, { "GRADUATION", text("0") } }), true));
    ASSERT_EQ(noGraduates.size(), 1u);
    EXPECT_DOUBLE_EQ(noGraduates[0].share, 100);

    // Graduates alone still make a pie at the top; one level down there is nobody to spread.
    auto onlyGraduates = rowOf({ { "SUBJECT1", text("0") }, { "GRADUATION", text("8") } });
    auto top = slicesOf(StudentChartViewController::slicesOfRow(onlyGraduates, true));
    ASSERT_EQ(top.size(), 1u);
    EXPECT_EQ(top[0].text, NSString("结业"));
    EXPECT_DOUBLE_EQ(top[0].share, 100);
    EXPECT_EQ(StudentChartViewController::slicesOfRow(onlyGraduates, false), nullptr);
    EXPECT_EQ(StudentChartViewController::slicesOfRow(rowOf({}), true), nullptr);
}

TEST(LearnerSlices, theDrillDownSpreadsLearnersOverAllTenSubjectsWithBankersRounding)
{
    auto thirds = slicesOf(StudentChartViewController::slicesOfRow(rowOf({ { "SUBJECT1", text("1") }, { "SUBJECT3", text("2") } }), false));
    ASSERT_EQ(thirds.size(), 2u);
    EXPECT_EQ(thirds[0].text, NSString("科目一"));
    EXPECT_DOUBLE_EQ(thirds[0].share, 33.33);
    EXPECT_EQ(thirds[0].colour, NSString("e66444"));
    EXPECT_EQ(thirds[1].text, NSString("科目三"));
    EXPECT_DOUBLE_EQ(thirds[1].share, 66.67);
    EXPECT_EQ(thirds[1].colour, NSString("9178af"));

    auto late = slicesOf(StudentChartViewController::slicesOfRow(rowOf({ { "SUBJECT9", text("1") }, { "SUBJECT10", text("7") } }), false));
    ASSERT_EQ(late.size(), 2u);
    EXPECT_EQ(late[0].text, NSString("科目九"));
    EXPECT_EQ(late[0].colour, NSString("0f7723"));
    EXPECT_EQ(late[1].text, NSString("科目十"));
    EXPECT_EQ(late[1].colour, NSString("472eb2"));
    EXPECT_DOUBLE_EQ(late[1].share, 87.5);

    // 1 of 8 is 0.125: halves go to the even neighbour at four places.
    auto eighth = slicesOf(StudentChartViewController::slicesOfRow(rowOf({ { "SUBJECT1", text("1") }, { "SUBJECT2", text("7") } }), false));
    EXPECT_DOUBLE_EQ(eighth[0].share, 12.5);
}

TEST(LearnerSlices, numbersAndTextBothCountAndBadValuesCountAsNobody)
{
    auto mixed = slicesOf(StudentChartViewController::slicesOfRow(
        rowOf({ { "SUBJECT1", NSNumber::numberWithInt(2) }, { "SUBJECT2", text("2") }, { "SUBJECT3", text("许多") },
            { "SUBJECT4", text("-6") }, { "SUBJECT5", NSNumber::numberWithDouble(NAN) } }),
        false));
    ASSERT_EQ(mixed.size(), 2u);
    EXPECT_DOUBLE_EQ(mixed[0].share, 50);
    EXPECT_DOUBLE_EQ(mixed[1].share, 50);

    // A missing or unreadable GRADUATION is no graduate, never a share that is not a number.
    for (const id& graduates : { id(), text("n/a") }) {
        auto row = rowOf({ { "SUBJECT1", text("5") } });
        if (graduates)
            std::const_pointer_cast<NSMutableDictionary>(std::dynamic_pointer_cast<const NSMutableDictionary>(row))->setObject(graduates, "GRADUATION");
        auto top = slicesOf(StudentChartViewController::slicesOfRow(row, true));
        ASSERT_EQ(top.size(), 1u);
        EXPECT_TRUE(std::isfinite(top[0].share));
        EXPECT_DOUBLE_EQ(top[0].share, 100);
    }
    EXPECT_EQ(StudentChartViewController::slicesOfRow(rowOf({ { "SUBJECT1", text("nan") } }), false), nullptr);
}

TEST(LearnerSlices, datesForTheServiceAreAsciiInEveryLocale)
{
    auto saved = NSLocale::currentLocale();
    auto day = NSDate::dateWithTimeIntervalSince1970(1430000000); // 2015-04-25 or -26 by zone
    const NSString plain = StudentChartViewController::serviceDate(day);
    for (const char* locale : { "ar_EG", "fa_IR", "th_TH@calendar=buddhist", "zh_CN" }) {
        NSLocale::setCurrentLocale(NSLocale::localeWithLocaleIdentifier(locale));
        const NSString date = StudentChartViewController::serviceDate(day);
        EXPECT_EQ(date, plain) << locale;
    }
    NSLocale::setCurrentLocale(saved);
    EXPECT_EQ(plain.length(), 10u);
    EXPECT_TRUE(plain.hasPrefix("2015-04-2"));
    EXPECT_TRUE(StudentChartViewController::serviceDate(nullptr).isNil() || StudentChartViewController::serviceDate(nullptr).length() == 0);
}

} // namespace

namespace {

// The screen's period as shown and as asked for, whichever way the dates were given.
class LearnerPeriod : public testing::Test {
protected:
    void SetUp() override
    {
        host = HeadlessHost::create();
        screen = StudentChartViewController::create();
        screen->setCanClick(true);
        host->showRootViewController(screen);
    }
    void pick(NSInteger tag, const char* day)
    {
        auto sheet = KMActionSheetPickerView::create(NSString(""), nullptr);
        sheet->setTag(tag);
        auto picked = NSMutableArray::array();
        picked->addObject(NSDate_Addition::dateFromString(day, "yyyy-MM-dd"));
        screen->didSelectTitles(*sheet, picked);
    }
    // A field shows either its placeholder, standing for this month's end, or the date sent.
    void expectFieldsAgree(const char* step)
    {
        const auto now = NSDate::date();
        const NSString begin = screen->beginField()->text();
        const NSString end = screen->endField()->text();
        EXPECT_EQ(screen->beginDateText(),
            begin == NSString("开始时间") ? StudentChartViewController::serviceDate(NSDate_Addition::getFirstDayOfMonth(now)) : begin)
            << step;
        EXPECT_EQ(screen->endDateText(),
            end == NSString("结束时间") ? StudentChartViewController::serviceDate(NSDate_Addition::getLastDayOfMonth(now)) : end)
            << step;
        EXPECT_NE(screen->beginDateText().compare(screen->endDateText()), NSOrderedDescending) << step;
    }

    std::shared_ptr<HeadlessHost> host;
    std::shared_ptr<StudentChartViewController> screen;
};

TEST_F(LearnerPeriod, aBackwardsPeriodWithOneDateLeftToTheMonthShowsWhatItAsks)
{
    auto refresh = UIControl::create(CGRectZero);
    pick(1, "2030-01-01");
    screen->refreshEvent(*refresh);
    expectFieldsAgree("start after this month, refreshed");
    pick(2, "2030-02-01");
    screen->searchEvent(*refresh);
    expectFieldsAgree("end picked, searched");
    EXPECT_EQ(screen->endDateText(), NSString("2030-02-01"));

    // The end alone before this month swaps the same way.
    auto other = StudentChartViewController::create();
    screen = other;
    host->showRootViewController(screen);
    pick(2, "2020-03-01");
    screen->refreshEvent(*refresh);
    expectFieldsAgree("end before this month, refreshed");
    EXPECT_EQ(screen->beginDateText(), NSString("2020-03-01"));
}

TEST_F(LearnerPeriod, eachDateSheetOpensAtItsFieldsDate)
{
    host->runUntilIdle();
    pick(1, "2030-01-15");
    pick(2, "2030-02-03");
    auto openSheet = [&] {
        return std::dynamic_pointer_cast<KMActionSheetPickerView>(
            host->findView([](UIView& view) { return dynamic_cast<KMActionSheetPickerView*>(&view) != nullptr; }));
    };
    for (const auto& [field, date] : { std::pair { screen->beginField(), "2030-01-15" }, std::pair { screen->endField(), "2030-02-03" } }) {
        ASSERT_TRUE(host->tap(field));
        host->runUntilIdle();
        auto sheet = openSheet();
        ASSERT_TRUE(sheet) << date;
        EXPECT_EQ(StudentChartViewController::serviceDate(sheet->datePicker()->date()), NSString(date));
        // Confirmed untouched, the date stays what it was.
        EXPECT_TRUE(host->pressReturn());
        host->runUntilIdle();
        EXPECT_EQ(field->text(), NSString(date));
    }
    EXPECT_EQ(screen->beginDateText(), NSString("2030-01-15"));
}

} // namespace
