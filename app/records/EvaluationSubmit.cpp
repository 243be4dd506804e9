#include "app/records/EvaluationSubmit.h"

#include "app/screens/base/UIColor_Addition.h"
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
    if (form.comment().length() > EvaluationFormView::kCommentLimit)
        return NSString("评价内容不能超过100字");
    return NSString("");
}

std::shared_ptr<NSMutableDictionary> fields(const NSString& method, const EvaluationFormView& form)
{
    return ns::mutableDictionary({ { "METHOD", method }, { "ITEMIDS", form.itemIds() }, { "SCORES", form.scores() }, { "CONTENT", form.comment() } });
}

} // namespace EvaluationSubmit
