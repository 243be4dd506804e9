#include "library/widgets/tutorial/TPTutorialStyle.h"

const std::shared_ptr<TPTutorialStyle>& TPTutorialStyle::sharedInstance()
{
    static const std::shared_ptr<TPTutorialStyle> instance = create();
    return instance;
}

UIFontRef TPTutorialStyle::titleFont() const { return m_titleFont ? m_titleFont : UIFont::fontWithName("Helvetica-Bold", 17); }
UIColorRef TPTutorialStyle::titleColor() const { return m_titleColor ? m_titleColor : UIColor::whiteColor(); }
UIFontRef TPTutorialStyle::subTitleFont() const { return m_subTitleFont ? m_subTitleFont : UIFont::fontWithName("Helvetica", 15); }
UIColorRef TPTutorialStyle::subTitleColor() const { return m_subTitleColor ? m_subTitleColor : UIColor::whiteColor(); }

TPTutorialLabelStyleRef TPTutorialStyle::titleStyle() const
{
    if (m_titleStyle)
        return m_titleStyle;
    return TPTutorialLabelStyle::initWithFont(titleFont(), titleColor(), NSUInteger(titleLinesNumber()), NSUInteger(titleOffset()));
}

TPTutorialLabelStyleRef TPTutorialStyle::subTitleStyle() const
{
    if (m_subTitleStyle)
        return m_subTitleStyle;
    return TPTutorialLabelStyle::initWithFont(subTitleFont(), subTitleColor(), NSUInteger(subTitleLinesNumber()), NSUInteger(subTitleOffset()));
}
