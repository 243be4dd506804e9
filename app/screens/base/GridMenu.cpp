#include "app/screens/base/GridMenu.h"

void GridMenu::init(const NSString& title, const NSString& icon)
{
    NSObject::init();
    m_title = title;
    m_icon = icon;
}
