#pragma once
// The demonstration's screens: a list of ten thousand rows under a navigation controller, a form
// for one row (two text fields and buttons), a notice presented over everything, and a showcase of
// an alert, a picker sheet, a date picker, a page and a movie.

#include "library/widgets/keyboard/KMActionSheetPickerView.h"
#include "platform/media/MPMoviePlayerController.h"
#include "platform/uikit/UIAlertView.h"
#include "platform/uikit/UIButton.h"
#include "platform/uikit/UIDatePicker.h"
#include "platform/uikit/UIWebView.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UINavigationController.h"
#include "platform/uikit/UITableView.h"
#include "platform/uikit/UITextField.h"

class RowListViewController : public UIViewController, public UITableViewDataSource, public UITableViewDelegate {
    NS_OBJECT(RowListViewController, UIViewController)
public:
    static constexpr NSInteger rowCount = 10000;

    void loadView() override;
    void viewWillAppear(bool animated) override;
    NSInteger numberOfRowsInSection(UITableView&, NSInteger section) override;
    std::shared_ptr<UITableViewCell> cellForRowAtIndexPath(UITableView& table, const std::shared_ptr<NSIndexPath>& indexPath) override;
    void didSelectRowAtIndexPath(UITableView& table, const std::shared_ptr<NSIndexPath>& indexPath) override;

    const std::shared_ptr<UITableView>& tableView() const { return m_tableView; }

private:
    std::shared_ptr<UITableView> m_tableView;
};

class RowFormViewController : public UIViewController, public UITextFieldDelegate {
    NS_OBJECT(RowFormViewController, UIViewController)
public:
    void loadView() override;
    std::optional<bool> textFieldShouldReturn(UITextField& field) override;

    NSInteger row() const { return m_row; }
    const std::shared_ptr<UITextField>& nameField() const { return m_nameField; }
    const std::shared_ptr<UITextField>& noteField() const { return m_noteField; }
    const std::shared_ptr<UIButton>& noticeButton() const { return m_noticeButton; }
    const std::shared_ptr<UIButton>& backButton() const { return m_backButton; }
    const std::shared_ptr<UIButton>& showcaseButton() const { return m_showcaseButton; }
    const std::shared_ptr<UIButton>& widgetsButton() const { return m_widgetsButton; }
    const std::shared_ptr<UIButton>& listsButton() const { return m_listsButton; }
    const std::shared_ptr<UIButton>& drawnChartsButton() const { return m_drawnChartsButton; }

    void showNotice();
    void goBack();
    void showShowcase();
    void showWidgets();
    void showChart();
    void showLists();
    void showDrawnCharts();

protected:
    void init(NSInteger row);

private:
    NSInteger m_row { 0 };
    std::shared_ptr<UILabel> m_heading;
    std::shared_ptr<UITextField> m_nameField;
    std::shared_ptr<UITextField> m_noteField;
    std::shared_ptr<UIButton> m_noticeButton;
    std::shared_ptr<UIButton> m_drawnChartsButton;
    std::shared_ptr<UIButton> m_backButton;
    std::shared_ptr<UIButton> m_showcaseButton;
    std::shared_ptr<UIButton> m_widgetsButton;
    std::shared_ptr<UIButton> m_listsButton;
};

class NoticeViewController : public UIViewController {
    NS_OBJECT(NoticeViewController, UIViewController)
public:
    void loadView() override;
    UIStatusBarStyle preferredStatusBarStyle() const override { return UIStatusBarStyle::LightContent; }
    const std::shared_ptr<UIButton>& closeButton() const { return m_closeButton; }
    void close();

protected:
    void init(const NSString& message);

private:
    NSString m_message;
    std::shared_ptr<UIButton> m_closeButton;
};

// An alert, a picker sheet, a date picker, a page and a movie on one screen.
class ShowcaseViewController : public UIViewController, public KMActionSheetPickerViewDelegate {
    NS_OBJECT(ShowcaseViewController, UIViewController)
public:
    void loadView() override;
    void viewWillDisappear(bool animated) override;
    void showAlert();
    void showPicker();
    void didSelectTitles(KMActionSheetPickerView& sheet, const std::shared_ptr<NSArray>& titles) override;

    const std::shared_ptr<UIButton>& alertButton() const { return m_alertButton; }
    const std::shared_ptr<UIAlertView>& alert() const { return m_alert; }
    const std::shared_ptr<UIButton>& pickerButton() const { return m_pickerButton; }
    // The region chosen in the picker sheet.
    const std::shared_ptr<UILabel>& choiceLabel() const { return m_choiceLabel; }
    const std::shared_ptr<UIDatePicker>& datePicker() const { return m_datePicker; }
    const std::shared_ptr<UIWebView>& webView() const { return m_webView; }
    const std::shared_ptr<MPMoviePlayerController>& moviePlayer() const { return m_moviePlayer; }

private:
    std::shared_ptr<UIButton> m_alertButton;
    std::shared_ptr<UIAlertView> m_alert;
    std::shared_ptr<UIButton> m_pickerButton;
    std::shared_ptr<UILabel> m_choiceLabel;
    std::shared_ptr<UIDatePicker> m_datePicker;
    std::shared_ptr<UIWebView> m_webView;
    std::shared_ptr<MPMoviePlayerController> m_moviePlayer;
};

class DemoAppDelegate : public NSObject, public UIApplicationDelegate {
    NS_OBJECT(DemoAppDelegate, NSObject)
public:
    std::optional<bool> didFinishLaunchingWithOptions(UIApplication&, const std::shared_ptr<NSDictionary>&) override;
    std::shared_ptr<UIWindow> window() const override { return m_window; }
    const std::shared_ptr<UINavigationController>& navigationController() const { return m_navigationController; }
    const std::shared_ptr<RowListViewController>& rowList() const { return m_rowList; }

private:
    std::shared_ptr<UIWindow> m_window;
    std::shared_ptr<UINavigationController> m_navigationController;
    std::shared_ptr<RowListViewController> m_rowList;
};
