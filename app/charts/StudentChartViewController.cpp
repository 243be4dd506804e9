#include "app/charts/StudentChartViewController.h"

#include "app/charts/AnalysisReply.h"
#include "app/charts/ChartSectionHeader.h"
#include "app/screens/base/ScreenImages.h"
#include "app/screens/base/UIColor_Addition.h"
#include "app/services/ServerUrlManger.h"
#include "app/training/PurchaseEmptyView.h"
#include "library/widgets/calendar/NSDate_Addition.h"
#include "library/widgets/hud/STProgressHUD.h"
#include "library/widgets/hud/UIView_Toast.h"
#include "platform/foundation/NSCalendar.h"
#include "platform/foundation/NSDateFormatter.h"
#include "platform/foundation/NSDecimalNumber.h"
#include "platform/foundation/NSDecimalNumberHandler.h"
#include "platform/foundation/NSDictionary.h"
#include "platform/foundation/NSLocale.h"
#include "platform/foundation/NSNumber.h"
#include "platform/foundation/NSTimeZone.h"
#include "platform/foundation/TypedValues.h"
#include "platform/layers/CALayer.h"
#include "platform/text/UIFont.h"
#include "platform/uikit/UINavigationController.h"

#include <array>
#include <cmath>

namespace {

constexpr const char* kDistribute = "sysbl/ctop/dt/interface/distri/distribute";
constexpr const char* kBeginPlaceholder = "开始时间";
constexpr const char* kEndPlaceholder = "结束时间";
constexpr int kSubjects = 10;
constexpr std::array<const char*, kSubjects> kPalette { "e66444", "a2c159", "9178af", "e96860", "97a79a", "2f4a34", "5395ba",
    "814b4b", "0f7723", "472eb2" };
constexpr std::array<const char*, kSubjects> kSubjectNames { "科目一", "科目二", "科目三", "科目四", "科目五", "科目六", "科目七",
    "科目八", "科目九", "科目十" };

UIColorRef fieldGrey() { return UIColor::colorWithRed(102 / 255.0, 102 / 255.0, 102 / 255.0, 1); }

// A count as the service writes it, in text or as a number; anything else, or a count below
// zero, counts as nobody.
std::shared_ptr<NSDecimalNumber> countOf(const std::shared_ptr<NSDictionary>& row, const NSString& key)
{
    const id value = row ? row->objectForKey(key) : nullptr;
    if (ns::isNilOrNull(value))
        return NSDecimalNumber::zero();
    const NSString text = ns::textOf(value);
    auto number = NSDecimalNumber::decimalNumberWithString(text);
    const double asDouble = number ? number->doubleValue() : NAN;
    if (!std::isfinite(asDouble) || asDouble < 0)
        return NSDecimalNumber::zero();
    return number;
}

std::shared_ptr<NSDecimalNumber> percent(const std::shared_ptr<NSDecimalNumber>& part, const std::shared_ptr<NSDecimalNumber>& whole)
{
    auto handler = NSDecimalNumberHandler::decimalNumberHandlerWithRoundingMode(NSRoundBankers, 4, false, false, false, true);
    return part->decimalNumberByDividingBy(whole, handler)->decimalNumberByMultiplyingBy(NSDecimalNumber::decimalNumberWithString("100"));
}

std::shared_ptr<NSMutableDictionary> slice(const std::shared_ptr<NSDecimalNumber>& share, const std::shared_ptr<NSDecimalNumber>& count,
    const char* text, const char* colour)
{
    auto record = NSMutableDictionary::dictionary();
    record->setObject(share, "data");
    record->setObject(count, "prfbal");
    record->setObject(NSString(text), "text");
    record->setObject(NSString(colour), "color");
    return record;
}

} // namespace

namespace {

std::shared_ptr<NSDateFormatter> serviceDateFormatter()
{
    auto formatter = NSDateFormatter::create();
    formatter->setLocale(NSLocale::localeWithLocaleIdentifier("en_US_POSIX"));
    formatter->setCalendar(NSCalendar::calendarWithIdentifier(NSCalendarIdentifierGregorian));
    formatter->setTimeZone(NSTimeZone::defaultTimeZone());
    formatter->setDateFormat("yyyy-MM-dd");
    return formatter;
}

} // namespace

NSString StudentChartViewController::serviceDate(const std::shared_ptr<NSDate>& date)
{
    if (!date)
        return {};
    return serviceDateFormatter()->stringFromDate(date);
}

std::shared_ptr<NSMutableArray> StudentChartViewController::slicesOfRow(const std::shared_ptr<NSDictionary>& row, bool topLevel)
{
    std::array<std::shared_ptr<NSDecimalNumber>, kSubjects> counts;
    auto total = NSDecimalNumber::zero();
    for (int d = 1; d <= kSubjects; ++d) {
        counts[d - 1] = countOf(row, NSString::stringWithFormat("SUBJECT%d", d));
        total = total->decimalNumberByAdding(counts[d - 1]);
    }
    auto slices = NSMutableArray::array();
    if (topLevel) {
        auto graduated = countOf(row, "GRADUATION");
        auto whole = total->decimalNumberByAdding(graduated);
        // Graduates alone are worth showing too.
        if (!(whole->doubleValue() > 0))
            return nullptr;
        if (total->intValue() >= 1)
            slices->addObject(slice(percent(total, whole), total, "在学", kPalette[0]));
        if (graduated->intValue() >= 1)
            slices->addObject(slice(percent(graduated, whole), graduated, "结业", kPalette[1]));
    } else {
        if (!(total->doubleValue() > 0))
            return nullptr;
        for (int d = 1; d <= kSubjects; ++d)
            if (counts[d - 1]->intValue() >= 1)
                slices->addObject(slice(percent(counts[d - 1], total), counts[d - 1], kSubjectNames[d - 1], kPalette[d - 1]));
    }
    return slices->count() ? slices : nullptr;
}

void StudentChartViewController::loadView()
{
    NoXibViewController::loadView();
    auto root = view();
    root->setBackgroundColor(UIColor_Addition::colorWithHexString("f6f6f6"));
    root->setClipsToBounds(true);
    setNaviBarRightBtn(nullptr);
    setNaviBarTitle("学员分析");
    const CGFloat y0 = getNaviBarRect().size.height;
    const CGFloat W = root->bounds().size.width;
    const CGFloat H = root->bounds().size.height;

    auto panel = UIView::create(CGRectMake(0, y0, W, 90));
    panel->setBackgroundColor(UIColor::whiteColor());
    root->addSubview(panel);
    auto search = UIButton::buttonWithType(UIButtonTypeCustom);
    search->setBackgroundImage(stretchableImageNamed("lo_query", 20), UIControlStateNormal);
    search->setBackgroundImage(stretchableImageNamed("lo_query_h", 20), UIControlStateHighlighted);
    search->addTarget(self(), &StudentChartViewController::searchEvent, UIControlEventTouchUpInside);
    search->setFrame(CGRectMake(W - 15 - 65, 20, 65, 65));
    panel->addSubview(search);

    const CGFloat boxWidth = search->frame().origin.x - 5 - 15;
    auto dateBox = [&](CGFloat y, const char* placeholder, void (StudentChartViewController::*action)(UITapGestureRecognizer&)) {
        auto box = UIView::create(CGRectMake(15, y, boxWidth, 30));
        box->layer()->setBorderColor(UIColor_Addition::colorWithHexString("c0e1fa")->CGColor());
        box->layer()->setBorderWidth(1.0);
        box->layer()->setMasksToBounds(true);
        box->layer()->setCornerRadius(2.0);
        panel->addSubview(box);
        auto field = UILabel::create(CGRectMake(5, (30 - 21) / 2, boxWidth - 10, 21));
        field->setBackgroundColor(UIColor::clearColor());
        field->setFont(UIFont::systemFontOfSize(14));
        field->setText(placeholder);
        field->setTextColor(UIColor::grayColor());
        field->setUserInteractionEnabled(true);
        field->addGestureRecognizer(UITapGestureRecognizer::create(self(), action));
        box->addSubview(field);
        return field;
    };
    m_beginField = dateBox(20, kBeginPlaceholder, &StudentChartViewController::beginDate);
    m_endField = dateBox(20 + 30 + 5, kEndPlaceholder, &StudentChartViewController::endDate);

    auto header = ChartSectionHeader::headerWithTitle("学员科目分布情况", y0 + 90 + 10, W);
    root->addSubview(header);
    const CGFloat headerBottom = header->frame().origin.y + 44;

    // Starts 30 below the header and ends with the screen.
    m_chartView = UIView::create(CGRectMake(0, headerBottom + 30, W, H - headerBottom - 30));
    root->addSubview(m_chartView);

    auto nothing = PurchaseEmptyView::create(CGRectMake(0, headerBottom, W, H - headerBottom));
    nothing->refreshButton()->addTarget(self(), &StudentChartViewController::refreshEvent, UIControlEventTouchUpInside);
    nothing->setHidden(true);
    m_nothingView = nothing;
    root->addSubview(m_nothingView);
}

void StudentChartViewController::viewDidLoad()
{
    NoXibViewController::viewDidLoad();
    m_httpService = HttpService::create();
    m_chart = StudentPieLineChart::create();
    m_chart->setGraphBgColor(view()->backgroundColor());
    m_chart->setDelegate(std::static_pointer_cast<PieChartDelegate>(self()));
    auto now = NSDate::date();
    if (!m_bDate.isNil() && m_bDate.length()) {
        m_beginDate = m_bDate;
        setField(m_beginField, m_bDate);
    } else {
        m_beginDate = serviceDate(NSDate_Addition::getFirstDayOfMonth(now));
    }
    if (!m_eDate.isNil() && m_eDate.length()) {
        m_endDate = m_eDate;
        setField(m_endField, m_eDate);
    } else {
        m_endDate = serviceDate(NSDate_Addition::getLastDayOfMonth(now));
    }
    loadData();
}

void StudentChartViewController::setField(const std::shared_ptr<UILabel>& field, const NSString& date)
{
    field->setText(date);
    field->setTextColor(fieldGrey());
}

void StudentChartViewController::loadData()
{
    if (!ServerUrlManger::networkIsValid()) {
        m_nothingView->setHidden(false);
        return;
    }
    // A period given backwards means the same days. Both fields then show the dates asked for,
    // a month's default included, so that what is shown, sent and handed down stays one period.
    if (m_beginDate.compare(m_endDate) == NSOrderedDescending) {
        std::swap(m_beginDate, m_endDate);
        setField(m_beginField, m_beginDate);
        setField(m_endField, m_endDate);
    }
    auto params = NSMutableDictionary::dictionary();
    params->setObject(NSString("stuAnalysisMethod"), "METHOD");
    params->setObject(m_beginDate, "STARTCOUNTDATE");
    params->setObject(m_endDate, "ENDCOUNTDATE");
    STProgressHUD::showInView(view());
    auto protectedSelf = self();
    m_httpService->httpRequestDict(
        [protectedSelf](const id& reply) { protectedSelf->stuAnalysisCompletion(reply); },
        [protectedSelf](const std::shared_ptr<RQHTTPRequestOperation>&, const std::shared_ptr<NSError>&) {
            protectedSelf->stuAnalysisFailure();
        },
        kDistribute, nullptr, params);
}

void StudentChartViewController::stuAnalysisCompletion(const id& reply)
{
    auto rows = AnalysisReply::rows(reply);
    STProgressHUD::dismiss();
    if (!rows) {
        m_nothingView->setHidden(false);
        return;
    }
    for (const auto& subview : std::vector<UIViewRef>(m_chartView->subviews()))
        subview->removeFromSuperview();
    auto slices = slicesOfRow(ns::dictionaryValue(rows->objectAtIndex(0)), m_canClick);
    if (!slices) {
        m_nothingView->setHidden(false);
        return;
    }
    m_nothingView->setHidden(true);
    m_chart->setTitle("");
    m_chart->setData(slices);
    m_chart->showPlot(m_chartView);
}

void StudentChartViewController::stuAnalysisFailure()
{
    STProgressHUD::dismiss();
    m_nothingView->setHidden(false);
}

void StudentChartViewController::searchEvent(UIControl&)
{
    if (m_beginField->text() == NSString(kBeginPlaceholder) || m_endField->text() == NSString(kEndPlaceholder)) {
        Toast::makeToast(view(), "信息未填写完整，请核实后查询", 1.0, NSString("center"));
        return;
    }
    loadData();
}

void StudentChartViewController::beginDate(UITapGestureRecognizer&) { showPicker(1); }
void StudentChartViewController::endDate(UITapGestureRecognizer&) { showPicker(2); }

void StudentChartViewController::showPicker(NSInteger tag)
{
    auto sheet = KMActionSheetPickerView::create(NSString(""), std::static_pointer_cast<KMActionSheetPickerViewDelegate>(self()));
    sheet->setTag(tag);
    sheet->setActionSheetPickerStyle(1);
    // The wheels start at the date the field stands for, so that a change of a day is a turn
    // of one wheel.
    const NSString& shown = tag == 1 ? m_beginDate : m_endDate;
    if (!shown.isNil() && shown.length() > 0) {
        if (auto date = serviceDateFormatter()->dateFromString(shown))
            sheet->setDate(date);
    }
    sheet->show();
}

void StudentChartViewController::didSelectTitles(KMActionSheetPickerView& sheet, const std::shared_ptr<NSArray>& titles)
{
    if (sheet.tag() != 1 && sheet.tag() != 2)
        return;
    auto date = titles && titles->count() ? std::dynamic_pointer_cast<NSDate>(titles->objectAtIndex(0)) : nullptr;
    const NSString text = serviceDate(date);
    if (text.isNil() || text.length() == 0)
        return;
    if (sheet.tag() == 1) {
        setField(m_beginField, text);
        m_beginDate = text;
    } else {
        setField(m_endField, text);
        m_endDate = text;
    }
}

void StudentChartViewController::onClick()
{
    if (!m_canClick)
        return;
    auto next = StudentChartViewController::create();
    next->setBDate(m_beginField->text() == NSString(kBeginPlaceholder) ? NSString() : m_beginDate);
    next->setEDate(m_endField->text() == NSString(kEndPlaceholder) ? NSString() : m_endDate);
    next->setCanClick(false);
    if (auto navigation = navigationController())
        navigation->pushViewController(next, true);
}

void StudentChartViewController::refreshEvent(UIControl&)
{
    loadData();
}
