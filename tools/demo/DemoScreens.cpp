#include "tools/demo/DemoScreens.h"
#include "tools/demo/DrawnChartsDemo.h"
#include "tools/demo/ListsCalendarsDemo.h"
#include "tools/demo/PlotDemo.h"
#include "framework/Source/PETheme.h"
#include "tools/demo/WidgetLibraryDemo.h"

#include "platform/text/UIFont.h"
#include "platform/uikit/UIScreen.h"

#include <algorithm>

namespace {

UIColorRef accent() { return UIColor::colorWithRed(0, 0.65, 0.82, 1); }

std::shared_ptr<UIButton> makeButton(const NSString& title, CGRect frame)
{
    auto button = UIButton::buttonWithType(UIButtonTypeCustom);
    button->setFrame(frame);
    button->setTitle(title, UIControlStateNormal);
    button->setTitleColor(UIColor::whiteColor(), UIControlStateNormal);
    button->setBackgroundColor(accent());
    button->layer()->setCornerRadius(6);
    return button;
}

} // namespace

// MARK: The list

void RowListViewController::loadView()
{
    setTitle("Rows");
    // Below the navigation bar, not under it.
    setEdgesForExtendedLayout(UIRectEdgeNone);
    auto view = UIView::create(UIScreen::mainScreen()->bounds());
    view->setBackgroundColor(UIColor::whiteColor());
    m_tableView = UITableView::create(view->bounds(), UITableViewStyle::Plain);
    m_tableView->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    m_tableView->setRowHeight(44);
    m_tableView->setDataSource(std::static_pointer_cast<UITableViewDataSource>(self()));
    m_tableView->setDelegate(std::static_pointer_cast<UITableViewDelegate>(self()));
    view->addSubview(m_tableView);
    setView(view);
}

void RowListViewController::viewWillAppear(bool animated)
{
    UIViewController::viewWillAppear(animated);
    if (auto selected = m_tableView->indexPathForSelectedRow())
        m_tableView->deselectRowAtIndexPath(selected, animated);
}

NSInteger RowListViewController::numberOfRowsInSection(UITableView&, NSInteger) { return rowCount; }

std::shared_ptr<UITableViewCell> RowListViewController::cellForRowAtIndexPath(UITableView& table,
    const std::shared_ptr<NSIndexPath>& indexPath)
{
    auto cell = table.dequeueReusableCellWithIdentifier("row");
    if (!cell) {
        cell = UITableViewCell::create(UITableViewCellStyle::Subtitle, "row");
        cell->setAccessoryType(UITableViewCellAccessoryType::DisclosureIndicator);
    }
    const NSInteger row = indexPath->row();
    cell->textLabel()->setText(NSString::stringWithFormat("第 %ld 行", static_cast<long>(row + 1)));
    cell->detailTextLabel()->setText(NSString::stringWithFormat("Row %ld of %ld", static_cast<long>(row + 1), static_cast<long>(rowCount)));
    return cell;
}

void RowListViewController::didSelectRowAtIndexPath(UITableView&, const std::shared_ptr<NSIndexPath>& indexPath)
{
    if (auto navigation = navigationController())
        navigation->pushViewController(RowFormViewController::create(indexPath->row()), true);
}

// MARK: The form

void RowFormViewController::init(NSInteger row)
{
    UIViewController::init();
    m_row = row;
    setTitle(NSString::stringWithFormat("Row %ld", static_cast<long>(row + 1)));
}

void RowFormViewController::loadView()
{
    setEdgesForExtendedLayout(UIRectEdgeNone);
    auto view = UIView::create(UIScreen::mainScreen()->bounds());
    view->setBackgroundColor(UIColor::groupTableViewBackgroundColor());

    m_heading = UILabel::create(CGRectMake(20, 20, 280, 30));
    m_heading->setFont(UIFont::boldSystemFontOfSize(20));
    m_heading->setText(NSString::stringWithFormat("第 %ld 行", static_cast<long>(m_row + 1)));
    view->addSubview(m_heading);

    auto makeField = [&](CGFloat y, const NSString& placeholder) {
        auto field = UITextField::create(CGRectMake(20, y, 280, 40));
        field->setBorderStyle(UITextBorderStyle::RoundedRect);
        field->setBackgroundColor(UIColor::whiteColor());
        field->setPlaceholder(placeholder);
        field->setDelegate(std::static_pointer_cast<UITextFieldDelegate>(self()));
        view->addSubview(field);
        return field;
    };
    m_nameField = makeField(70, "姓名");
    m_noteField = makeField(125, "备注");

    m_noticeButton = makeButton("Show notice", CGRectMake(20, 190, 280, 44));
    m_noticeButton->addTarget(self(), &RowFormViewController::showNotice, UIControlEventTouchUpInside);
    view->addSubview(m_noticeButton);
    m_showcaseButton = makeButton("Showcase", CGRectMake(20, 310, 280, 44));
    m_showcaseButton->addTarget(self(), &RowFormViewController::showShowcase, UIControlEventTouchUpInside);
    view->addSubview(m_showcaseButton);
    m_widgetsButton = makeButton("Widgets", CGRectMake(20, 370, 280, 44));
    m_widgetsButton->addTarget(self(), &RowFormViewController::showWidgets, UIControlEventTouchUpInside);
    view->addSubview(m_widgetsButton);
    m_listsButton = makeButton("Lists and calendars", CGRectMake(20, 430, 280, 44));
    m_listsButton->addTarget(self(), &RowFormViewController::showLists, UIControlEventTouchUpInside);
    view->addSubview(m_listsButton);
    m_drawnChartsButton = makeButton("Drawn charts", CGRectMake(20, 478, 280, 24));
    m_drawnChartsButton->addTarget(self(), &RowFormViewController::showDrawnCharts, UIControlEventTouchUpInside);
    view->addSubview(m_drawnChartsButton);
    m_backButton = makeButton("Back", CGRectMake(20, 250, 280, 44));
    m_backButton->setBackgroundColor(UIColor::grayColor());
    m_backButton->addTarget(self(), &RowFormViewController::goBack, UIControlEventTouchUpInside);
    view->addSubview(m_backButton);
    auto chartItem = UIBarButtonItem::create(NSString("图表"), UIBarButtonItemStylePlain);
    chartItem->setTarget(self(), &RowFormViewController::showChart);
    navigationItem()->setRightBarButtonItem(chartItem);
    setView(view);
}

std::optional<bool> RowFormViewController::textFieldShouldReturn(UITextField& field)
{
    if (&field == m_nameField.get())
        m_noteField->becomeFirstResponder();
    else
        field.resignFirstResponder();
    return false;
}

void RowFormViewController::showNotice()
{
    view()->endEditing(true);
    NSString name = m_nameField->text();
    NSString message = name.length() ? NSString::stringWithFormat("你好，%@", name) : NSString("你好");
    presentViewController(NoticeViewController::create(message), true);
}

void RowFormViewController::goBack()
{
    if (auto navigation = navigationController())
        navigation->popViewControllerAnimated(true);
}

void RowFormViewController::showShowcase()
{
    view()->endEditing(true);
    if (auto navigation = navigationController())
        navigation->pushViewController(ShowcaseViewController::create(), true);
}

void RowFormViewController::showWidgets()
{
    view()->endEditing(true);
    if (auto navigation = navigationController())
        navigation->pushViewController(WidgetLibraryViewController::create(), true);
}

void RowFormViewController::showLists()
{
    view()->endEditing(true);
    if (auto navigation = navigationController())
        navigation->pushViewController(ListsCalendarsViewController::create(), true);
}

void RowFormViewController::showDrawnCharts()
{
    if (auto navigation = navigationController())
        navigation->pushViewController(DrawnChartsViewController::create(), true);
}

void RowFormViewController::showChart()
{
    view()->endEditing(true);
    if (auto navigation = navigationController())
        navigation->pushViewController(PlotDemoViewController::create(), true);
}

// MARK: The showcase

void ShowcaseViewController::loadView()
{
    setTitle("Showcase");
    setEdgesForExtendedLayout(UIRectEdgeNone);
    auto view = UIView::create(UIScreen::mainScreen()->bounds());
    view->setBackgroundColor(UIColor::whiteColor());

    m_alertButton = makeButton("Alert", CGRectMake(20, 10, 280, 36));
    m_alertButton->addTarget(self(), &ShowcaseViewController::showAlert, UIControlEventTouchUpInside);
    view->addSubview(m_alertButton);

    m_datePicker = UIDatePicker::create(CGRectMake(0, 50, 320, 162));
    m_datePicker->setLocale(NSLocale::localeWithLocaleIdentifier("zh_CN"));
    m_datePicker->setDatePickerMode(UIDatePickerMode::Date);
    view->addSubview(m_datePicker);

    m_webView = UIWebView::create(CGRectMake(0, 215, 160, 150));
    m_webView->loadHTMLString("<html><body><h3>科目一</h3><p>道路交通安全法律、法规和规章。</p></body></html>", nullptr);
    view->addSubview(m_webView);

    m_moviePlayer = MPMoviePlayerController::create(NSURL::fileURLWithPath(CORVANE_DEMO_MOVIE));
    m_moviePlayer->view()->setFrame(CGRectMake(165, 225, 150, 112));
    m_moviePlayer->view()->setBackgroundColor(UIColor::blackColor());
    view->addSubview(m_moviePlayer->view());
    m_moviePlayer->prepareToPlay();

    m_pickerButton = makeButton("Region", CGRectMake(20, 375, 130, 36));
    m_pickerButton->addTarget(self(), &ShowcaseViewController::showPicker, UIControlEventTouchUpInside);
    view->addSubview(m_pickerButton);
    m_choiceLabel = UILabel::create(CGRectMake(165, 375, 135, 36));
    m_choiceLabel->setText("南宁市");
    view->addSubview(m_choiceLabel);
    setView(view);
}

void ShowcaseViewController::viewWillDisappear(bool animated)
{
    UIViewController::viewWillDisappear(animated);
    m_moviePlayer->stop();
}

void ShowcaseViewController::showAlert()
{
    m_alert = UIAlertView::create(NSString("提示"), NSString("这是一个提示"), nullptr, NSString("好"), std::vector<NSString> {});
    m_alert->show();
}

void ShowcaseViewController::showPicker()
{
    static const std::vector<NSString> regions { "南宁市", "柳州市", "桂林市", "梧州市", "北海市" };
    auto sheet = KMActionSheetPickerView::create(NSString(""),
        std::static_pointer_cast<KMActionSheetPickerViewDelegate>(std::static_pointer_cast<ShowcaseViewController>(self())));
    sheet->setTitlesForComponenets({ regions });
    const auto current = std::find(regions.begin(), regions.end(), m_choiceLabel->text());
    sheet->selectIndexes({ current == regions.end() ? 0 : current - regions.begin() }, true);
    sheet->show();
}

void ShowcaseViewController::didSelectTitles(KMActionSheetPickerView&, const std::shared_ptr<NSArray>& titles)
{
    if (titles && titles->count() > 0)
        if (const NSString title = NSString::fromId(titles->objectAtIndex(0)); !title.isNil())
            m_choiceLabel->setText(title);
}

// MARK: The notice

void NoticeViewController::init(const NSString& message)
{
    UIViewController::init();
    m_message = message;
}

void NoticeViewController::loadView()
{
    auto view = UIView::create(UIScreen::mainScreen()->bounds());
    view->setBackgroundColor(UIColor::colorWithWhite(0.1, 1));
    auto label = UILabel::create(CGRectMake(20, 200, 280, 60));
    label->setTextColor(UIColor::whiteColor());
    label->setFont(UIFont::systemFontOfSize(22));
    label->setTextAlignment(NSTextAlignmentCenter);
    label->setText(m_message);
    view->addSubview(label);
    m_closeButton = makeButton("Close", CGRectMake(60, 300, 200, 44));
    m_closeButton->addTarget(self(), &NoticeViewController::close, UIControlEventTouchUpInside);
    view->addSubview(m_closeButton);
    setView(view);
}

void NoticeViewController::close() { dismissViewControllerAnimated(true); }

// MARK: The application

std::optional<bool> DemoAppDelegate::didFinishLaunchingWithOptions(UIApplication&, const std::shared_ptr<NSDictionary>&)
{
    PETheme::registerBuiltInThemes();
    m_window = UIWindow::create(UIScreen::mainScreen()->bounds());
    m_window->setBackgroundColor(UIColor::whiteColor());
    m_rowList = RowListViewController::create();
    m_navigationController = UINavigationController::create(m_rowList);
    m_window->setRootViewController(m_navigationController);
    m_window->makeKeyAndVisible();
    return true;
}
