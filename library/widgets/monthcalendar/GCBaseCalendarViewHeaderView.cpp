#include "library/widgets/monthcalendar/GCBaseCalendarViewHeaderView.h"

namespace {

UIButtonRef textButton(CGRect frame, const NSString& title, CGFloat size)
{
    auto button = UIButton::buttonWithType(UIButtonTypeCustom);
    button->setFrame(frame);
    button->setTitle(title, UIControlStateNormal);
    button->setTitleColor(UIColor::whiteColor(), UIControlStateNormal);
    button->setTitleColor(UIColor::colorWithWhite(1, 0.35), UIControlStateDisabled);
    button->titleLabel()->setFont(UIFont::boldSystemFontOfSize(size));
    return button;
}

} // namespace

std::shared_ptr<GCBaseCalendarViewHeaderView> GCBaseCalendarViewHeaderView::viewFromNib()
{
    auto header = create(CGRectMake(0, 0, kNibSize.width, kNibSize.height));
    const CGFloat w = kNibSize.width, h = kNibSize.height;
    header->m_cancelButton = textButton(CGRectMake(4, 0, 44, h), "取消", 14);
    header->m_cancelButton->addTarget(header, &GCBaseCalendarViewHeaderView::onCancelChoseDateButtonTouched, UIControlEventTouchUpInside);
    header->m_previousMonthButton = textButton(CGRectMake(52, 0, 36, h), "‹", 20);
    header->m_previousMonthButton->addTarget(header, &GCBaseCalendarViewHeaderView::onPreviousMonthButtonTouched, UIControlEventTouchUpInside);
    header->m_monthLabel = UILabel::create(CGRectMake(88, 0, w - 176, h));
    header->m_monthLabel->setTextAlignment(NSTextAlignmentCenter);
    header->m_monthLabel->setTextColor(UIColor::whiteColor());
    header->m_monthLabel->setFont(UIFont::boldSystemFontOfSize(15));
    header->m_nextMonthButton = textButton(CGRectMake(w - 88, 0, 36, h), "›", 20);
    header->m_nextMonthButton->addTarget(header, &GCBaseCalendarViewHeaderView::onNextMonthButtonTouched, UIControlEventTouchUpInside);
    header->m_confirmButton = textButton(CGRectMake(w - 48, 0, 44, h), "确定", 14);
    header->m_confirmButton->addTarget(header, &GCBaseCalendarViewHeaderView::onChoseDateButtonTouched, UIControlEventTouchUpInside);
    for (const UIViewRef& view : std::initializer_list<UIViewRef> { header->m_cancelButton, header->m_previousMonthButton,
             header->m_monthLabel, header->m_nextMonthButton, header->m_confirmButton })
        header->addSubview(view);
    return header;
}

void GCBaseCalendarViewHeaderView::setTitle(const NSString& title)
{
    GCCalendarViewHeaderView::setTitle(title);
    m_monthLabel->setText(title);
}

void GCBaseCalendarViewHeaderView::onPreviousMonthButtonTouched(UIButton&)
{
    auto protectedSelf = self();
    if (auto delegate = this->delegate())
        delegate->calendarViewHeaderViewPreviousMonth(*this);
}

void GCBaseCalendarViewHeaderView::onNextMonthButtonTouched(UIButton&)
{
    auto protectedSelf = self();
    if (auto delegate = this->delegate())
        delegate->calendarViewHeaderViewNextMonth(*this);
}

void GCBaseCalendarViewHeaderView::onCancelChoseDateButtonTouched(UIButton&)
{
    auto protectedSelf = self();
    if (auto delegate = this->delegate())
        delegate->calendarViewHeaderViewDidCancel(*this);
}

void GCBaseCalendarViewHeaderView::onChoseDateButtonTouched(UIButton&)
{
    auto protectedSelf = self();
    if (auto delegate = this->delegate())
        delegate->calendarViewHeaderViewDidSelection(*this);
}
