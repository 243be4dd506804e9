#include "app/records/MailViewController.h"

#include "app/records/RecordsService.h"
#include "app/records/TextLimit.h"
#include "app/screens/base/UIColor_Addition.h"
#include "app/services/ServerUrlManger.h"
#include "library/widgets/hud/STProgressHUD.h"
#include "platform/foundation/TypedValues.h"
#include "platform/text/UIFont.h"

void MailViewController::loadView()
{
    RecordsListScreen::loadView();
    const CGFloat W = scroller()->bounds().size.width;
    auto hint = UILabel::create(CGRectMake(15, 10, W - 30, 36));
    hint->setNumberOfLines(2);
    hint->setFont(UIFont::systemFontOfSize(13));
    hint->setTextColor(UIColor::grayColor());
    hint->setText("您的意见和建议将直接送达运管部门。");
    scroller()->addSubview(hint);
    auto titleRow = UIView::create(CGRectMake(0, 54, W, 44));
    titleRow->setBackgroundColor(UIColor::whiteColor());
    scroller()->addSubview(titleRow);
    auto titleName = UILabel::create(CGRectMake(15, 11, 45, 22));
    titleName->setFont(UIFont::systemFontOfSize(15));
    titleName->setText("标题");
    titleRow->addSubview(titleName);
    m_titleField = UITextField::create(CGRectMake(60, 7, W - 75, 30));
    m_titleField->setFont(UIFont::systemFontOfSize(15));
    m_titleField->setPlaceholder("请输入标题");
    titleRow->addSubview(m_titleField);
    m_noteView = NoteView::create(CGRectMake(10, 108, W - 20, 200));
    m_noteView->layer()->setBorderColor(UIColor_Addition::colorWithHexString("cccccc")->CGColor());
    m_noteView->layer()->setBorderWidth(0.5);
    scroller()->addSubview(m_noteView);
    auto send = UIButton::buttonWithType(UIButtonTypeCustom);
    send->setFrame(CGRectMake(40, 328, W - 80, 40));
    send->setBackgroundColor(UIColor_Addition::colorWithHexString("00a7d1"));
    send->layer()->setCornerRadius(4);
    send->setTitle("发送", UIControlStateNormal);
    send->setTitleColor(UIColor::whiteColor(), UIControlStateNormal);
    send->addTarget(self(), &MailViewController::sendEvent, UIControlEventTouchUpInside);
    scroller()->addSubview(send);
    scroller()->setContentSize(CGSizeMake(W, 390));
}

void MailViewController::sendEvent(UIControl&)
{
    view()->endEditing(true);
    if (sending())
        return;
    const NSString title = m_titleField->text().isNil() ? NSString("") : m_titleField->text();
    const NSString content = m_noteView->text().isNil() ? NSString("") : m_noteView->text();
    NSString problem;
    if (title.length() == 0)
        problem = "请输入标题";
    else if (content.length() == 0)
        problem = "请输入信件内容";
    else if (TextLimit::characterCount(title) > kTitleLimit)
        problem = "标题不能超过30字";
    else if (TextLimit::characterCount(content) > kContentLimit)
        problem = "信件内容不能超过500字";
    if (!problem.isNil())
        return STProgressHUD::showInView(view()), STProgressHUD::dismissWithError(problem, 1.0);
    if (!ServerUrlManger::networkIsValid())
        return;
    setSending(true);
    STProgressHUD::showInView(view(), "正在发送...");
    std::weak_ptr<MailViewController> weakSelf = self();
    RecordsService::sendMain(ns::mutableDictionary({ { "METHOD", NSString("addMailMethod") }, { "TITLE", title }, { "CONTENT", content } }),
        [weakSelf](const id& reply) {
            if (auto protectedSelf = weakSelf.lock())
                protectedSelf->sent(reply);
        });
}

void MailViewController::sent(const id& reply)
{
    setSending(false);
    if (!RecordsService::mainSucceeded(reply))
        return STProgressHUD::dismissWithError(RecordsService::failureText(reply, "发送失败，请稍候再试！"), 1.0);
    STProgressHUD::dismissWithSuccess("发送成功", 1.0);
    m_titleField->setText("");
    m_noteView->setText("");
}
