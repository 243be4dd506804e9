#include "library/widgets/tutorial/TPTutorialPage.h"

std::shared_ptr<TPTutorialPage> TPTutorialPage::initWithTitle(const NSString& title, const NSString& subTitle,
    const NSString& pictureName, double duration)
{
    auto page = create();
    page->title = TPTutorialLabelStyle::initWithText(title);
    page->subTitle = TPTutorialLabelStyle::initWithText(subTitle);
    page->pictureName = pictureName;
    page->duration = duration;
    return page;
}

void TPTutorialPage::setTitleStyle(const TPTutorialLabelStyleRef& style)
{
    if (!style)
        return;
    title->font = style->font;
    title->textColor = style->textColor;
}

void TPTutorialPage::setSubTitleStyle(const TPTutorialLabelStyleRef& style)
{
    if (!style)
        return;
    subTitle->font = style->font;
    subTitle->textColor = style->textColor;
}
