#include "app/screens/settings/MyInfoViewController.h"

#include "app/screens/settings/SettingsLayout.h"
#include "app/session/Constant.h"
#include "platform/text/UIStringDrawing.h"

using namespace SettingsLayout;

void MyInfoViewController::loadView()
{
    NoXibViewController::loadView();
    prepareScreen(*this, "个人信息");
    setAutomaticallyAdjustsScrollViewInsets(false);
    m_vScrollView = scrollerBelowBar(*this);
    const CGFloat width = view()->bounds().size.width;

    auto user = currentUser();
    auto label = [](CGRect frame, const NSString& text, CGFloat size, const UIColorRef& color, const UIColorRef& background) {
        return plainLabel(frame, text, size, color, background);
    };
    auto card = UIView::create(CGRectMake(0, 0, width, 130));
    card->setBackgroundColor(UIColor::whiteColor());
    m_photoView = UIImageView::create(CGRectMake(15, 20, 90, 90));
    card->addSubview(m_photoView);
    card->addSubview(label(CGRectMake(CGRectGetMaxX(m_photoView->frame()) + 20, (130 - 21) / 2.0, 90, 21), user ? user->name() : NSString(), 17,
        UIColor::grayColor(), UIColor::clearColor()));
    auto dash = label(CGRectMake(width - 40, (130 - 21) / 2.0, 40, 21), "一", 14, UIColor::grayColor(), UIColor::clearColor());
    dash->setTextAlignment(NSTextAlignmentCenter);
    card->addSubview(dash);
    m_vScrollView->addSubview(card);

    auto header = sectionHeader(CGRectMake(0, 140, width, 45), "我的资料", (45 - 21) / 2.0);
    m_vScrollView->addSubview(header);

    const std::pair<const char*, NSString> rows[] = {
        { "学号", user ? user->userCode() : NSString() },
        { "报考车型", user ? user->carType() : NSString() },
        { "报考日期", user ? user->admissionDate() : NSString() },
        { "学员状态", Constant::getGovStatus(user ? user->govStatus() : NSString()) },
        { "驾校名称", user ? user->epName() : NSString() },
    };
    CGFloat y = CGRectGetMaxY(header->frame()) + 2;
    CGFloat bottom = y;
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        auto row = UIView::create(CGRectMake(0, y, width, 45));
        row->setBackgroundColor(UIColor::whiteColor());
        auto title = label(CGRectMake(0, 12, 120, 21), rows[i].first, 14, UIColor::grayColor(), UIColor::whiteColor());
        title->setTextAlignment(NSTextAlignmentCenter);
        row->addSubview(title);
        const bool school = i == std::size(rows) - 1;
        auto value = label(school ? CGRectMake(120, 1.5, width - 160, 42) : CGRectMake(120, 12, width - 160, 21), rows[i].second, 14,
            UIColor::grayColor(), UIColor::clearColor());
        value->setTextAlignment(NSTextAlignmentCenter);
        if (school)
            value->setNumberOfLines(2);
        row->addSubview(value);
        auto rowDash = label(CGRectMake(width - 40, 12, 40, 21), "一", 14, UIColor::grayColor(), UIColor::clearColor());
        rowDash->setTextAlignment(NSTextAlignmentCenter);
        row->addSubview(rowDash);
        m_vScrollView->addSubview(row);
        bottom = CGRectGetMaxY(row->frame());
        y = bottom + 1;
    }
    m_vScrollView->setContentSize(CGSizeMake(m_vScrollView->frame().size.width, bottom + 10));
    loadPhoto(m_photoView, nullptr, user ? user->urlImg() : NSString());
}

void MyInfoViewController::viewDidLoad()
{
    NoXibViewController::viewDidLoad();
    m_httpService = HttpService::create();
}
