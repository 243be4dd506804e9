#include "app/screens/home/AdminHomeViewController.h"

#include "app/charts/CoachChartViewController.h"
#include "app/charts/StudentChartViewController.h"
#include "app/screens/settings/AdminSetupViewController.h"

std::vector<std::pair<const char*, const char*>> AdminHomeViewController::gridItems() const
{
    return { { "教练分析", "ico12" }, { "学员分析", "ico13" } };
}

std::vector<HomeScreen::Strip> AdminHomeViewController::stripItems() const
{
    return { { "m_ico04", "女士学车", &HomeScreen::womenEvent }, { "m_ico02", "讨论专区", &HomeScreen::sepcialEvent },
        { "m_ico02", "驾车宝典", &HomeScreen::baoDianEvent }, { "m_ico01", "驾车法规", &HomeScreen::faiGuiEvent } };
}

void AdminHomeViewController::aboutMe(UIControl&)
{
    if (auto navigation = navigationController())
        navigation->pushViewController(AdminSetupViewController::create(), true);
}

void AdminHomeViewController::menuEvent(UIControl& sender)
{
    auto navigation = navigationController();
    if (!navigation)
        return;
    if (sender.tag() == 0)
        navigation->pushViewController(CoachChartViewController::create(), true);
    if (sender.tag() == 1) {
        auto learners = StudentChartViewController::create();
        learners->setCanClick(true);
        navigation->pushViewController(learners, true);
    }
}
