#include "library/widgets/tutorial/TPTutorialPage.h"

std::shared_ptr<TPTutorialPage> TPTutorialPage::initWithTitle(const NSString& title, const NSString& subTitle,
    const NSString& pictureName, double duration)
{
    auto page = create();
    page->m_title = TPTutorialLabelStyle::initWithText(title);
    page->m_subTitle = TPTutorialLabelStyle::initWithText(subTitle);
    page->m_pictureName = pictureName;
    page->m_duration = duration;
    return page;
}

void TPTutorialPage::setTitleStyle(const TPTutorialLabelStyleRef& style)
{
    if (!style)
        return;
    m_title->setFont(style->font());
    m_title->setTextColor(style->textColor());
}

void TPTutorialPage::setSubTitleStyle(const TPTutorialLabelStyleRef& style)
{
    if (!style)
        return;
    m_subTitle->setFont(style->font());
    m_subTitle->setTextColor(style->textColor());
}
