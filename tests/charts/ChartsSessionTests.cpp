// Scripted sessions of the officer in the statistics against the stand-in: the learner pie for
// the current month and for picked periods (both kinds of learners, graduates only, nobody, a
// period given backwards, one the service refuses), the drill-down by subject, and the stand-in
// gone; every ending leaves the spinner stopped.
#include "tests/app/ClientSession.h"

#include "app/charts/CoachChartViewController.h"
#include "app/charts/StudentChartViewController.h"
#include "library/widgets/calendar/NSDate_Addition.h"
#include "library/widgets/hud/STProgressHUD.h"
#include "platform/foundation/TypedValues.h"

namespace {

class ChartsSession : public ClientSession {
protected:
    bool spinnerShown() const { return STProgressHUD::sharedView()->superview() != nullptr; }
    // Waits for the request the last step sent to start and every request to end, then lets the
    // HUD fade. A request is told as started only once the network thread reaches it, which a
    // loaded machine may delay past the step that sent it.
    bool settled()
    {
        const bool answered = requestsAnsweredSince(m_settledStarts);
        m_settledStarts = requestsStarted;
        host->advance(1.0);
        host->runUntilIdle();
        return answered;
    }
    void openLearners()
    {
        ASSERT_TRUE(logIn("运政", kOfficer, "654321"));
        auto tile = host->findViewWithText("学员分析");
        ASSERT_TRUE(tile);
        host->tap(tile);
        host->advance(0.5);
        ASSERT_TRUE(top<StudentChartViewController>());
        ASSERT_TRUE(settled());
    }
    // Opens the sheet of the field, turns its wheels to the day and confirms.
    void pickDate(const std::shared_ptr<UILabel>& field, const char* day)
    {
        ASSERT_TRUE(host->tap(field));
        host->advance(0.5);
        auto sheet = std::dynamic_pointer_cast<KMActionSheetPickerView>(
            host->findView([](UIView& view) { return dynamic_cast<KMActionSheetPickerView*>(&view) != nullptr; }));
        ASSERT_TRUE(sheet);
        sheet->setDate(NSDate_Addition::dateFromString(day, "yyyy-MM-dd"));
        host->runUntilIdle();
        auto done = host->findViewWithText("确定");
        ASSERT_TRUE(done && host->tap(done));
        host->advance(0.5);
    }
    void search(const char* from, const char* to)
    {
        auto screen = top<StudentChartViewController>();
        pickDate(screen->beginField(), from);
        pickDate(screen->endField(), to);
        auto button = host->findView([](UIView& view) {
            auto* candidate = dynamic_cast<UIButton*>(&view);
            return candidate && candidate->frame().size.width == 65;
        });
        ASSERT_TRUE(button);
        host->tap(button);
        ASSERT_TRUE(settled());
    }
    std::vector<std::pair<NSString, int>> shown()
    {
        std::vector<std::pair<NSString, int>> slices;
        auto data = top<StudentChartViewController>()->slices();
        for (NSUInteger i = 0; data && i < data->count(); ++i) {
            auto slice = ns::dictionaryValue(data->objectAtIndex(i));
            slices.emplace_back(ns::stringForKey(slice, "text"), ns::intForKey(slice, "prfbal"));
        }
        return slices;
    }

private:
    NSInteger m_settledStarts { 0 };
};

using Slices = std::vector<std::pair<NSString, int>>;

TEST_F(ChartsSession, theLearnerPieForThisMonthAndItsDrillDownBySubject)
{
    openLearners();
    auto screen = top<StudentChartViewController>();
    EXPECT_TRUE(screen->nothingView()->isHidden());
    EXPECT_FALSE(spinnerShown());
    EXPECT_EQ(screen->beginField()->text(), NSString("开始时间"));
    EXPECT_EQ(shown(), (Slices { { "在学", 36 }, { "结业", 10 } }));
    auto sent = standIn.requests().back().body;
    EXPECT_NE(sent.find("STARTCOUNTDATE=" + std::string(screen->beginDateText().UTF8String())), std::string::npos);
    shot("charts-learners-month");

    // Searching with the placeholders still up only says so.
    standIn.clearRequests();
    auto button = host->findView([](UIView& view) {
        auto* candidate = dynamic_cast<UIButton*>(&view);
        return candidate && candidate->frame().size.width == 65;
    });
    ASSERT_TRUE(button);
    const auto before = screen->view()->subviews().size();
    host->tap(button);
    host->drainRunLoop();
    EXPECT_EQ(screen->view()->subviews().size(), before + 1);
    host->advance(0.3);
    host->writePNG(NSString(std::string(CORVANE_SCREENS_DIR) + "/charts-learners-incomplete.png"));
    host->advance(3);
    EXPECT_EQ(standIn.requestCount(), 0u);

    host->tap(screen->chart()->pieChart());
    host->advance(0.5);
    auto subjects = top<StudentChartViewController>();
    ASSERT_TRUE(subjects && subjects != screen);
    ASSERT_TRUE(settled());
    EXPECT_FALSE(subjects->canClick());
    EXPECT_EQ(shown(), (Slices { { "科目一", 18 }, { "科目二", 9 }, { "科目三", 6 }, { "科目四", 3 } }));
    shot("charts-learners-subjects");
    // One level down a tap opens nothing more.
    host->tap(subjects->chart()->pieChart());
    host->advance(0.5);
    EXPECT_EQ(top<StudentChartViewController>(), subjects);
}

TEST_F(ChartsSession, pickedPeriodsShowTheirLearnersGraduatesAloneOrNobody)
{
    openLearners();
    auto screen = top<StudentChartViewController>();
    search("2015-04-01", "2015-04-30");
    EXPECT_EQ(screen->beginField()->text(), NSString("2015-04-01"));
    EXPECT_EQ(shown(), (Slices { { "在学", 28 }, { "结业", 6 } }));
    shot("charts-learners-april");

    search("2015-03-01", "2015-03-31");
    EXPECT_TRUE(screen->nothingView()->isHidden());
    EXPECT_EQ(shown(), (Slices { { "结业", 8 } }));
    shot("charts-learners-graduates-only");
    // The drill-down of graduates alone has nobody to spread.
    host->tap(screen->chart()->pieChart());
    host->advance(0.5);
    ASSERT_TRUE(settled());
    EXPECT_FALSE(top<StudentChartViewController>()->nothingView()->isHidden());
    EXPECT_EQ(top<StudentChartViewController>()->beginDateText(), NSString("2015-03-01"));
    shot("charts-learners-graduates-only-subjects");
    navigation()->popViewControllerAnimated(false);
    host->runUntilIdle();

    search("2015-02-01", "2015-02-28");
    EXPECT_FALSE(screen->nothingView()->isHidden());
    EXPECT_FALSE(spinnerShown());
    shot("charts-learners-nobody");

    // Backwards is the same period.
    search("2015-04-30", "2015-04-01");
    EXPECT_TRUE(screen->nothingView()->isHidden());
    EXPECT_EQ(shown(), (Slices { { "在学", 28 }, { "结业", 6 } }));
    EXPECT_EQ(screen->beginField()->text(), NSString("2015-04-01"));
    EXPECT_EQ(screen->endField()->text(), NSString("2015-04-30"));
}

TEST_F(ChartsSession, aRefusedPeriodAndAStandInGoneEndInTheNoDataView)
{
    openLearners();
    auto screen = top<StudentChartViewController>();
    search("2013-01-01", "2015-04-30");
    EXPECT_FALSE(screen->nothingView()->isHidden());
    EXPECT_FALSE(spinnerShown());
    shot("charts-learners-refused");
    while (!alertMessage().isNil())
        tapAlertButton("确定");

    search("2015-04-01", "2015-04-30");
    EXPECT_TRUE(screen->nothingView()->isHidden());
    standIn.stop();
    auto refresh = host->findView([](UIView& view) {
        auto* candidate = dynamic_cast<UIButton*>(&view);
        return candidate && candidate->frame().size.width == 60;
    });
    screen->refreshEvent(*std::dynamic_pointer_cast<UIControl>(refresh ? refresh : UIButton::buttonWithType(UIButtonTypeCustom)));
    ASSERT_TRUE(settled());
    EXPECT_FALSE(screen->nothingView()->isHidden());
    EXPECT_FALSE(spinnerShown());
    shot("charts-learners-standin-gone");
}

TEST_F(ChartsSession, theCoachChartShowsTheFourBucketsAndTheStandInGoneLeavesItUnderTheNoDataView)
{
    ASSERT_TRUE(logIn("运政", kOfficer, "654321"));
    auto tile = host->findViewWithText("教练分析");
    ASSERT_TRUE(tile);
    host->tap(tile);
    host->advance(0.5);
    auto screen = top<CoachChartViewController>();
    ASSERT_TRUE(screen);
    ASSERT_TRUE(settled());
    EXPECT_TRUE(screen->nothingView()->isHidden());
    EXPECT_FALSE(spinnerShown());
    ASSERT_TRUE(screen->chart()->hostingView());
    EXPECT_EQ(screen->chart()->hostingView()->superview(), screen->chartView());
    auto& plot = *screen->chart()->barPlot();
    EXPECT_EQ(screen->chart()->numberOfRecordsForPlot(plot), 5u);
    EXPECT_EQ(ns::intValue(screen->chart()->numberForPlot(plot, 1, 3).value()), 12);
    const char* titles[] = { "5分以下", "5~10", "10~15", "15以上" };
    ASSERT_EQ(screen->chart()->dates()->count(), 4u);
    for (NSUInteger i = 0; i < 4; ++i)
        EXPECT_EQ(ns::stringForKey(ns::dictionaryValue(screen->chart()->dates()->objectAtIndex(i)), "title"), NSString(titles[i]));
    shot("charts-coaches");

    standIn.stop();
    screen->loadData();
    ASSERT_TRUE(settled());
    EXPECT_FALSE(screen->nothingView()->isHidden());
    EXPECT_FALSE(spinnerShown());
    shot("charts-coaches-standin-gone");
}

} // namespace
