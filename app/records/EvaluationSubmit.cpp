#include "app/records/EvaluationSubmit.h"

#include "app/records/RecordsListScreen.h"
#include "app/records/RecordsService.h"
#include "app/records/TextLimit.h"
#include "app/screens/base/UIColor_Addition.h"
#include "library/widgets/hud/STProgressHUD.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/TypedValues.h"
#include "platform/text/UIFont.h"

namespace EvaluationSubmit {

std::pair<std::shared_ptr<EvaluationFormView>, std::shared_ptr<UIButton>> placeForm(UIScrollView& scroller, CGFloat top, const std::shared_ptr<NSArray>& items)
{
    const CGFloat W = scroller.bounds().size.width;
    auto form = EvaluationFormView::create(CGRectMake(0, top, W, 0));
    form->setItems(items);
    form->setFrame(CGRectMake(0, top, W, form->formHeight()));
    scroller.addSubview(form);
    auto submit = UIButton::buttonWithType(UIButtonTypeCustom);
    submit->setFrame(CGRectMake(40, CGRectGetMaxY(form->frame()) + 20, W - 80, 40));
    submit->setBackgroundColor(UIColor_Addition::colorWithHexString("00a7d1"));
    submit->layer()->setCornerRadius(4);
    submit->setTitle("提交评价", UIControlStateNormal);
    submit->setTitleColor(UIColor::whiteColor(), UIControlStateNormal);
    submit->titleLabel()->setFont(UIFont::systemFontOfSize(16));
    scroller.addSubview(submit);
    scroller.setContentSize(CGSizeMake(W, CGRectGetMaxY(submit->frame()) + 20));
    return { form, submit };
}

NSString problem(const EvaluationFormView& form)
{
    if (!form.everyItemScored())
        return NSString("请为每一项打分");
    if (TextLimit::characterCount(form.comment()) > EvaluationFormView::kCommentLimit)
        return NSString("评价内容不能超过100字");
    return NSString("");
}

std::shared_ptr<NSMutableDictionary> fields(const NSString& method, const EvaluationFormView& form)
{
    return ns::mutableDictionary({ { "METHOD", method }, { "ITEMIDS", form.itemIds() }, { "SCORES", form.scores() }, { "CONTENT", form.comment() } });
}

void save(RecordsListScreen& screen, const std::shared_ptr<NSMutableDictionary>& fields, const NSString& notice, const NSString& successText)
{
    screen.setSending(true);
    STProgressHUD::showInView(screen.view(), "正在提交...");
    std::weak_ptr<RecordsListScreen> weakScreen = screen.self();
    RecordsService::sendMain(fields, [weakScreen, notice, successText](const id& reply) {
        auto screen = weakScreen.lock();
        if (screen)
            screen->setSending(false);
        if (!RecordsService::mainSucceeded(reply)) {
            // The form may have been left meanwhile: the refusal goes where the learner is.
            if (!screen || !screen->view()->window())
                STProgressHUD::showInView(nullptr);
            return STProgressHUD::dismissWithError(RecordsService::failureText(reply, "服务器忙，请稍候再试！"), 1.0);
        }
        if (successText.length())
            STProgressHUD::dismissWithSuccess(successText, 1.0);
        else
            STProgressHUD::dismiss();
        if (auto navigation = screen ? screen->navigationController() : nullptr; navigation && navigation->topViewController() == screen)
            navigation->popViewControllerAnimated(true);
        NSNotificationCenter::defaultCenter()->postNotificationName(notice, nullptr);
    });
}

} // namespace EvaluationSubmit
