// The learner books a slot a week after the stand-in's data file was first made, as someone who
// keeps running the client would: the coming week still has its slots.
#include "tests/app/ClientSession.h"

#include "app/training/MakeCarViewController.h"
#include "app/training/MakeCoachViewController.h"
#include "tools/service-standin/ServicesTime.h"

#include <sqlite3.h>
#include <unistd.h>

#include <filesystem>

namespace {

class BookingWeekLaterSession : public ClientSession {
protected:
    void TearDown() override
    {
        ClientSession::TearDown();
        aged.reset();
        std::filesystem::remove_all(directory);
    }
    void picture(const std::string& name)
    {
        const std::filesystem::path folder = CORVANE_SCREENS_DIR;
        std::filesystem::create_directories(folder);
        EXPECT_TRUE(host->writePNG(NSString((folder / ("booking-week-later-" + name + ".png")).string()))) << name;
    }
    bool tapAndAnswer(const UIViewRef& view)
    {
        const NSInteger before = requestsStarted;
        host->tap(view);
        return requestsAnsweredSince(before);
    }
    // The fixture's stand-in gives its ports to one on a data file seeded nine days ago.
    bool serveADataFileNineDaysOld()
    {
        directory = std::filesystem::temp_directory_path() / ("booking-week-later-" + std::to_string(::getpid()));
        std::filesystem::remove_all(directory);
        std::filesystem::create_directories(directory);
        const auto file = directory / "data.sqlite";
        {
            standin::ServiceStandIn first { standin::Options { .databasePath = file.string(), .keepAlive = false } };
            if (!first.start())
                return false;
        }
        sqlite3* database = nullptr;
        const std::string threeDaysAgo = standin::servicesTime("%Y-%m-%d", -3 * 86400);
        const bool aging = sqlite3_open(file.c_str(), &database) == SQLITE_OK
            && sqlite3_exec(database, ("delete from training_slot where aboutdate > '" + threeDaysAgo + "'").c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
        sqlite3_close(database);
        const int mainPort = standIn.mainPort();
        const int paymentPort = standIn.paymentPort();
        standIn.stop();
        aged = std::make_unique<standin::ServiceStandIn>(
            standin::Options { .mainPort = mainPort, .paymentPort = paymentPort, .databasePath = file.string(), .keepAlive = false });
        return aging && aged->start();
    }

    std::filesystem::path directory;
    std::unique_ptr<standin::ServiceStandIn> aged;
};

} // namespace

TEST_F(BookingWeekLaterSession, aWeekAfterTheFirstRunTheComingWeekStillHasSlotsToBook)
{
    ASSERT_TRUE(serveADataFileNineDaysOld()) << (aged ? aged->lastError() : std::string());
    ASSERT_TRUE(logIn("学员", kLearner, "123456"));
    host->tap(host->findViewWithText("预约学车"));
    host->advance(0.5);
    auto overview = top<MakeCarViewController>();
    ASSERT_TRUE(overview);
    ASSERT_TRUE(waitUntil([&] { return !overview->TSEMPLOYEEID().isNil() && requestsUnderWay <= 0; }));
    host->tap(host->findViewWithText("我要约车"));
    auto booking = top<MakeCoachViewController>();
    ASSERT_TRUE(booking);
    ASSERT_TRUE(waitUntil([&] { return booking->aboutArray() && requestsUnderWay <= 0; }));
    EXPECT_EQ(booking->aboutArray()->count(), 4u) << "today";
    for (int day = 1; day <= 7; ++day) {
        ASSERT_TRUE(tapAndAnswer(host->findViewWithText("下一天")));
        EXPECT_EQ(booking->aboutArray()->count(), 4u) << "day " << day;
    }
    host->advance(0.5);
    picture("1-a-week-ahead");
    UIViewRef firstRow;
    for (const auto& view : booking->vScrollView()->subviews())
        if (std::dynamic_pointer_cast<UIButton>(view) && view->tag() == 0)
            firstRow = view;
    ASSERT_TRUE(firstRow);
    host->tap(firstRow);
    ASSERT_EQ(booking->ids().size(), 1u);
    host->tap(host->findViewWithText("确定"));
    ASSERT_TRUE(waitUntil([&] { return booking->ids().empty() && requestsUnderWay <= 0; }));
    host->advance(1.2);
    ASSERT_TRUE(waitUntil([&] { return host->viewTree().find("剩余名额【2】") != std::string::npos && requestsUnderWay <= 0; }));
    picture("2-booked");
}
