// The statistics screens' answers to every kind of reply: a reply without a row, an error code,
// no array, no head, and a good reply after a bad one; each ends with the spinner stopped.
#include "app/charts/CoachChartViewController.h"
#include "app/charts/StudentChartViewController.h"
#include "library/json/JSONCodecDeserializing.h"
#include "library/widgets/hud/STProgressHUD.h"
#include "platform/host/HeadlessHost.h"

#include <gtest/gtest.h>

namespace {

id replyOf(const std::string& body, const char* code = "0")
{
    return JSONCodecDeserializing::objectFromJSONString(
        NSString(std::string(R"({"output":{"head":{"retCode":)") + code + R"(,"retDesc":"x"},"body":)" + body + "}}"));
}

const std::vector<std::pair<const char*, id>> badReplies()
{
    return { { "no row", replyOf(R"({"array0":{"rowSet":{"row":[]}}})") },
        { "no row list", replyOf(R"({"array0":{"rowSet":{}}})") },
        { "error code", replyOf(R"({"array0":{"rowSet":{"row":[{"AAA":"1","SUBJECT1":"2"}]}}})", "1") },
        { "no array", replyOf(R"({})") },
        { "no head", JSONCodecDeserializing::objectFromJSONString(NSString(R"({"output":{}})")) },
        { "not an object", JSONCodecDeserializing::objectFromJSONString(NSString("[1,2]")) } };
}

template <class Screen>
class ScreenReplies : public testing::Test {
protected:
    void SetUp() override
    {
        host = HeadlessHost::create();
        screen = Screen::create();
        if constexpr (std::is_same_v<Screen, StudentChartViewController>)
            screen->setCanClick(true);
        host->showRootViewController(screen);
    }
    void answer(const id& reply)
    {
        STProgressHUD::showInView(screen->view());
        if constexpr (std::is_same_v<Screen, StudentChartViewController>)
            screen->stuAnalysisCompletion(reply);
        else
            screen->coachAnalysisCompletion(reply);
        host->advance(1.0);
    }
    bool spinning() const { return STProgressHUD::sharedView()->superview() != nullptr; }

    std::shared_ptr<HeadlessHost> host;
    std::shared_ptr<Screen> screen;
};

using Screens = testing::Types<CoachChartViewController, StudentChartViewController>;
TYPED_TEST_SUITE(ScreenReplies, Screens);

TYPED_TEST(ScreenReplies, everyReplyWithoutDataEndsInTheNoDataViewAndAGoodOneDraws)
{
    for (const auto& [name, reply] : badReplies()) {
        this->screen->nothingView()->setHidden(true);
        this->answer(reply);
        EXPECT_FALSE(this->screen->nothingView()->isHidden()) << name;
        EXPECT_FALSE(this->spinning()) << name;
    }
    this->answer(replyOf(R"({"array0":{"rowSet":{"row":[{"AAA":"3","BBB":4,"CCC":"x","SUBJECT2":"3","GRADUATION":1}]}}})"));
    EXPECT_TRUE(this->screen->nothingView()->isHidden());
    EXPECT_FALSE(this->spinning());
    EXPECT_FALSE(this->screen->chartView()->subviews().empty());

    STProgressHUD::showInView(this->screen->view());
    if constexpr (std::is_same_v<TypeParam, StudentChartViewController>)
        this->screen->stuAnalysisFailure();
    else
        this->screen->coachAnalysisFailure();
    this->host->advance(1.0);
    EXPECT_FALSE(this->screen->nothingView()->isHidden());
    EXPECT_FALSE(this->spinning());
}

} // namespace
