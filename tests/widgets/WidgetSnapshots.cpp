// Pictures of each widget on a plain screen, for people to look at (nothing compares them):
// written to widget-snapshots/ in the build folder.
#include "WidgetScreen.h"

#include "library/widgets/alert/TAAlertView.h"
#include "library/widgets/hud/STProgressHUD.h"
#include "library/widgets/hud/UIView_Toast.h"
#include "library/widgets/keyboard/KMActionSheetPickerView.h"
#include "library/widgets/keyboard/KMKeyboardManager.h"
#include "platform/uikit/UITextField.h"

#include <filesystem>

#ifndef CORVANE_SNAPSHOT_DIR
#define CORVANE_SNAPSHOT_DIR "widget-snapshots"
#endif

namespace {

class WidgetSnapshots : public WidgetScreenTest {
protected:
    void snapshot(const char* name)
    {
        std::filesystem::create_directories(CORVANE_SNAPSHOT_DIR);
        const std::string path = std::string(CORVANE_SNAPSHOT_DIR) + "/" + name + ".png";
        EXPECT_TRUE(host->writePNG(NSString(path.c_str()))) << path;
    }
};

TEST_F(WidgetSnapshots, progressHUD)
{
    STProgressHUD::showInView(screen(), "正在出题，请稍候...");
    host->advance(0.3);
    snapshot("hud-busy");
    STProgressHUD::dismissWithSuccess("提交成功", 1.0);
    host->advance(0.1);
    snapshot("hud-success");
    STProgressHUD::dismissWithError("网络连接失败，请检查网络", 1.0);
    host->advance(0.1);
    snapshot("hud-error");
}

TEST_F(WidgetSnapshots, toasts)
{
    Toast::makeToast(screen(), "尚未开放，敬请期待", 1.0, NSString("center"));
    Toast::makeToast(screen(), "请选择答案", 1.0, NSString("bottom"));
    Toast::makeToast(screen(), "评价成功！", 1.0, NSString("top"), "提示");
    host->advance(0.3);
    snapshot("toasts");
}

TEST_F(WidgetSnapshots, pickerSheets)
{
    auto sheet = KMActionSheetPickerView::create(NSString(""), nullptr);
    sheet->setTitlesForComponenets({ { "南宁市", "柳州市", "桂林市", "梧州市", "北海市" } });
    sheet->selectIndexes({ 2 }, false);
    sheet->show();
    host->advance(0.4);
    snapshot("picker-sheet-regions");
    sheet->dismiss();
    host->advance(0.4);

    auto dates = KMActionSheetPickerView::create(NSString(""), nullptr);
    dates->setActionSheetPickerStyle(1);
    dates->show();
    host->advance(0.4);
    snapshot("picker-sheet-date");
}

TEST_F(WidgetSnapshots, keyboardToolbar)
{
    KMKeyboardManager::enableForApplication();
    const char* placeholders[] = { "请输入账号", "请输入密码" };
    std::vector<std::shared_ptr<UITextField>> fields;
    for (int i = 0; i < 2; ++i) {
        auto field = UITextField::create(CGRectMake(20, 420 + 50 * i, 280, 34));
        field->setBorderStyle(UITextBorderStyle::RoundedRect);
        field->setPlaceholder(placeholders[i]);
        screen()->addSubview(field);
        fields.push_back(field);
    }
    host->tap(fields[1]);
    host->advance(0.5);
    snapshot("keyboard-toolbar");
}

TEST_F(WidgetSnapshots, networkSettingsDialog)
{
    auto alert = TAAlertView::create("网络设置", NSString(), nullptr, "取消", std::vector<NSString> { "确定" });
    alert->setAlertViewStyle(3);
    alert->setMaxContentWidth(300);
    alert->setMinContentWidth(280);
    alert->textFieldAtIndex(0)->setPlaceholder("请输入接口地址");
    alert->textFieldAtIndex(1)->setPlaceholder("请输入支付接口地址");
    alert->setSecureTextEntry(false, 1);
    alert->textFieldAtIndex(1)->setText("http://127.0.0.1:3680/");
    alert->show();
    host->advance(0.6);
    snapshot("alert-network-settings");
}

} // namespace
