#include "app/records/AppealProcessViewController.h"

#include "app/records/AppealResultViewController.h"
#include "app/records/RecordsService.h"
#include "app/records/TextLimit.h"
#include "app/screens/base/UIColor_Addition.h"
#include "app/services/ServerUrlManger.h"
#include "library/network/images/RIImageManager.h"
#include "library/widgets/hud/STProgressHUD.h"
#include "platform/net/NSURL.h"
#include "platform/foundation/TypedValues.h"
#include "platform/text/UIFont.h"

void AppealProcessViewController::loadView()
{
    RecordsListScreen::loadView();
    const CGFloat W = scroller()->bounds().size.width;
    auto info = UILabel::create(CGRectMake(15, 10, W - 30, 42));
    info->setNumberOfLines(2);
    info->setFont(UIFont::systemFontOfSize(14));
    info->setText(NSString::stringWithFormat("%@ %@-%@  教练 %@\n有效培训 %@", ns::stringForKey(m_record, "RECORDDATE"),
        ns::stringForKey(m_record, "STARTTIME"), ns::stringForKey(m_record, "ENDTIME"), ns::stringForKey(m_record, "COACHNAME"),
        RecordsService::minutesText(m_record)));
    scroller()->addSubview(info);
    m_photoRow = UIView::create(CGRectMake(0, 60, W, 150));
    m_photoRow->setBackgroundColor(UIColor::whiteColor());
    scroller()->addSubview(m_photoRow);
    auto prompt = UILabel::create(CGRectMake(15, 220, W - 30, 21));
    prompt->setFont(UIFont::systemFontOfSize(14));
    prompt->setText("申诉理由");
    scroller()->addSubview(prompt);
    m_reason = UITextView::create(CGRectMake(15, 245, W - 30, 100));
    m_reason->setFont(UIFont::systemFontOfSize(14));
    m_reason->layer()->setBorderColor(UIColor_Addition::colorWithHexString("cccccc")->CGColor());
    m_reason->layer()->setBorderWidth(0.5);
    m_reason->setDelegate(std::static_pointer_cast<UITextViewDelegate>(self()));
    scroller()->addSubview(m_reason);
    m_counter = UILabel::create(CGRectMake(15, 347, W - 30, 16));
    m_counter->setFont(UIFont::systemFontOfSize(12));
    m_counter->setTextColor(UIColor::grayColor());
    m_counter->setTextAlignment(NSTextAlignmentRight);
    scroller()->addSubview(m_counter);
    updateCounter();
    auto submit = UIButton::buttonWithType(UIButtonTypeCustom);
    submit->setFrame(CGRectMake(40, 372, W - 80, 40));
    submit->setBackgroundColor(UIColor_Addition::colorWithHexString("00a7d1"));
    submit->setTitle("提交申诉", UIControlStateNormal);
    submit->setTitleColor(UIColor::whiteColor(), UIControlStateNormal);
    submit->addTarget(self(), &AppealProcessViewController::submitEvent, UIControlEventTouchUpInside);
    scroller()->addSubview(submit);
    scroller()->setContentSize(CGSizeMake(W, 432));
}

void AppealProcessViewController::loadData()
{
    const RequestFields fields = RecordsService::requiredFields(m_record, { "RECORDID" });
    if (!fields.complete())
        return RecordsService::showUnusable(view());
    if (!ServerUrlManger::networkIsValid())
        return;
    STProgressHUD::showInView(view());
    std::weak_ptr<AppealProcessViewController> weakSelf = self();
    RecordsService::sendAppeal("3", fields.dictionary(), [weakSelf](const id& reply) {
        if (auto protectedSelf = weakSelf.lock())
            protectedSelf->showPhotos(reply);
    });
}

void AppealProcessViewController::showPhotos(const id& reply)
{
    if (!RecordsService::appealSucceeded(reply))
        return STProgressHUD::dismissWithError(RecordsService::failureText(reply, "照片加载失败"), 1.0);
    STProgressHUD::dismiss();
    auto photos = RecordsService::appealRows(reply);
    if (photos->count() == 0) {
        auto none = UILabel::create(CGRectInset(m_photoRow->bounds(), 15, 0));
        none->setFont(UIFont::systemFontOfSize(14));
        none->setTextColor(UIColor::grayColor());
        none->setTextAlignment(NSTextAlignmentCenter);
        none->setText("该记录暂无照片");
        m_photoRow->addSubview(none);
        return;
    }
    for (NSUInteger i = 0; i < photos->count() && i < 3; ++i) {
        auto photo = ns::dictionaryValue(photos->objectAtIndex(i));
        auto imageView = UIImageView::create(CGRectMake(15 + static_cast<CGFloat>(i) * 100, 10, 90, 110));
        imageView->setBackgroundColor(UIColor_Addition::colorWithHexString("eeeeee"));
        m_photoRow->addSubview(imageView);
        auto time = UILabel::create(CGRectMake(15 + static_cast<CGFloat>(i) * 100, 122, 90, 20));
        time->setFont(UIFont::systemFontOfSize(10));
        time->setTextColor(UIColor::grayColor());
        time->setText(ns::stringForKey(photo, "PHOTOTIME"));
        m_photoRow->addSubview(time);
        m_photos.push_back(imageView);
        std::weak_ptr<UIImageView> weakImage = imageView;
        RIImageManager::sharedManager()->downloadImageWithURL(NSURL::URLWithString(ns::stringForKey(photo, "PHOTOURL")), 0, nullptr,
            [weakImage](const UIImageRef& image, const std::shared_ptr<NSError>&, RIImageCacheType, bool, const std::shared_ptr<NSURL>&) {
                if (auto view = weakImage.lock(); view && image)
                    view->setImage(image);
            });
    }
}

void AppealProcessViewController::submitEvent(UIControl&)
{
    if (sending())
        return;
    const NSString reason = m_reason->text();
    if (reason.isNil() || reason.length() == 0)
        return STProgressHUD::showInView(view()), STProgressHUD::dismissWithError("请填写申诉理由", 1.0);
    RequestFields fields = RecordsService::requiredFields(m_record, { "RECORDID" });
    if (!fields.complete())
        return RecordsService::showUnusable(view());
    if (!ServerUrlManger::networkIsValid())
        return;
    if (TextLimit::characterCount(reason) > kReasonLimit)
        return STProgressHUD::showInView(view()), STProgressHUD::dismissWithError("申诉理由不能超过200字", 1.0);
    setSending(true);
    STProgressHUD::show();
    std::weak_ptr<AppealProcessViewController> weakSelf = self();
    fields.set("REASON", reason);
    RecordsService::sendAppeal("5", fields.dictionary(),
        [weakSelf](const id& reply) {
            if (auto protectedSelf = weakSelf.lock())
                protectedSelf->setSending(false);
            if (!RecordsService::appealSucceeded(reply))
                return STProgressHUD::dismissWithError(RecordsService::failureText(reply, "申诉提交失败，请稍候再试"), 1.0);
            STProgressHUD::dismissWithSuccess("申诉已提交", 1.0);
            auto protectedSelf = weakSelf.lock();
            if (!protectedSelf)
                return;
            if (auto navigation = protectedSelf->navigationController())
                navigation->pushViewController(AppealResultViewController::create(), true);
        });
}

std::optional<bool> AppealProcessViewController::shouldChangeTextInRange(UITextView& textView, NSRange range, const NSString& replacementText)
{
    if (TextLimit::allowChange(textView, range, replacementText, kReasonLimit))
        return true;
    updateCounter();
    return false;
}

void AppealProcessViewController::textViewDidChange(UITextView&) { updateCounter(); }

void AppealProcessViewController::updateCounter()
{
    if (m_counter && m_reason)
        m_counter->setText(TextLimit::counterText(m_reason->text(), kReasonLimit));
}
