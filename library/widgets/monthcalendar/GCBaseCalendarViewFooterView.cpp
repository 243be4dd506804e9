#include "library/widgets/monthcalendar/GCBaseCalendarViewFooterView.h"

std::shared_ptr<GCBaseCalendarViewFooterView> GCBaseCalendarViewFooterView::viewFromNib()
{
    auto footer = create(CGRectMake(0, 0, kNibSize.width, kNibSize.height));
    const std::pair<const char*, int> periods[] = { { "一个月", 1 }, { "三个月", 3 }, { "一年", 12 } };
    const CGFloat width = (kNibSize.width - 16) / 3;
    CGFloat x = 4;
    for (const auto& [title, tag] : periods) {
        auto button = UIButton::buttonWithType(UIButtonTypeCustom);
        button->setFrame(CGRectMake(x, 4, width, kNibSize.height - 8));
        button->setTitle(title, UIControlStateNormal);
        button->setTag(tag);
        button->titleLabel()->setFont(UIFont::systemFontOfSize(14));
        button->setTitleColor(UIColor::whiteColor(), UIControlStateNormal);
        button->setTitleColor(UIColor::colorWithRed(0.12, 0.4, 0.72, 1), UIControlStateSelected);
        button->setBackgroundImage(UIImage::imageNamed("monthcalendar/grid_normal.png"), UIControlStateSelected);
        button->addTarget(footer, &GCBaseCalendarViewFooterView::onPeriodButtonTouched, UIControlEventTouchUpInside);
        footer->addSubview(button);
        x += width + 4;
    }
    return footer;
}

void GCBaseCalendarViewFooterView::onPeriodButtonTouched(UIButton& button)
{
    if (m_selectedButton) {
        m_selectedButton->setUserInteractionEnabled(true);
        m_selectedButton->setSelected(false);
    }
    m_selectedButton = std::static_pointer_cast<UIButton>(button.self());
    m_selectedButton->setSelected(true);
    m_selectedButton->setUserInteractionEnabled(false);
    auto protectedSelf = self();
    if (auto delegate = this->delegate())
        delegate->calendarViewFooterViewDidSelectPeriod(*this, int(button.tag()));
}
