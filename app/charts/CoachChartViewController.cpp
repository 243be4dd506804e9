#include "app/charts/CoachChartViewController.h"

#include "app/charts/AnalysisReply.h"
#include "app/charts/ChartSectionHeader.h"
#include "app/screens/base/UIColor_Addition.h"
#include "app/services/ServerUrlManger.h"
#include "app/training/PurchaseEmptyView.h"
#include "library/widgets/hud/STProgressHUD.h"
#include "platform/foundation/NSDictionary.h"
#include "platform/foundation/NSNumber.h"
#include "platform/foundation/TypedValues.h"

namespace {

constexpr const char* kDistribute = "sysbl/ctop/dt/interface/distri/distribute";

} // namespace

std::shared_ptr<NSArray> CoachChartViewController::bucketsOfRow(const std::shared_ptr<NSDictionary>& row)
{
    const std::pair<const char*, const char*> buckets[] = { { "AAA", "5分以下" }, { "BBB", "5~10" }, { "CCC", "10~15" }, { "DDD", "15以上" } };
    auto records = NSMutableArray::array();
    for (const auto& [key, title] : buckets) {
        auto record = NSMutableDictionary::dictionary();
        record->setObject(NSNumber::numberWithInt(ns::intForKey(row, key)), "number");
        record->setObject(NSString(title), "title");
        records->addObject(record);
    }
    return records;
}

void CoachChartViewController::loadView()
{
    NoXibViewController::loadView();
    auto root = view();
    root->setBackgroundColor(UIColor_Addition::colorWithHexString("f6f6f6"));
    root->setClipsToBounds(true);
    setNaviBarRightBtn(nullptr);
    setNaviBarTitle("教练分析");
    const CGFloat y0 = getNaviBarRect().size.height;
    const CGFloat W = root->bounds().size.width;
    const CGFloat H = root->bounds().size.height;

    auto header = ChartSectionHeader::headerWithTitle("教练评论统计", y0 + 10, W);
    root->addSubview(header);

    m_chartView = UIView::create(CGRectMake(0, y0 + 10 + 44 + 30, W, 220));
    root->addSubview(m_chartView);

    auto nothing = PurchaseEmptyView::create(CGRectMake(0, y0, W, H - y0));
    nothing->refreshButton()->addTarget(self(), &CoachChartViewController::refreshEvent, UIControlEventTouchUpInside);
    nothing->setHidden(true);
    m_nothingView = nothing;
    root->addSubview(m_nothingView);
}

void CoachChartViewController::viewDidLoad()
{
    NoXibViewController::viewDidLoad();
    m_httpService = HttpService::create();
    m_chart = CoachBarChart::create();
    const auto red = UIColor_Addition::colorWithHexString("e66444");
    m_chart->setBarColorArray({ red, red, red, red });
    m_chart->setGraphBgColor(view()->backgroundColor());
    loadData();
}

void CoachChartViewController::loadData()
{
    if (!ServerUrlManger::networkIsValid()) {
        m_nothingView->setHidden(false);
        return;
    }
    auto params = NSMutableDictionary::dictionary();
    params->setObject(NSString("coachAnalysisMethod"), "METHOD");
    STProgressHUD::showInView(view());
    auto protectedSelf = self();
    m_httpService->httpRequestDict([protectedSelf](const id& reply) { protectedSelf->coachAnalysisCompletion(reply); },
        [protectedSelf](const std::shared_ptr<RQHTTPRequestOperation>&, const std::shared_ptr<NSError>&) {
            protectedSelf->coachAnalysisFailure();
        },
        kDistribute, nullptr, params);
}

void CoachChartViewController::coachAnalysisCompletion(const id& reply)
{
    auto rows = AnalysisReply::rows(reply);
    STProgressHUD::dismiss();
    if (!rows) {
        m_nothingView->setHidden(false);
        return;
    }
    m_nothingView->setHidden(true);
    m_chart->showPlot(m_chartView, bucketsOfRow(ns::dictionaryValue(rows->objectAtIndex(0))));
}

void CoachChartViewController::coachAnalysisFailure()
{
    STProgressHUD::dismiss();
    m_nothingView->setHidden(false);
}

void CoachChartViewController::refreshEvent(UIControl&)
{
    loadData();
}
