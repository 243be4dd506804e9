#include "app/screens/settings/AdminSetupViewController.h"

#include "app/screens/settings/SettingsLayout.h"

using namespace SettingsLayout;

void AdminSetupViewController::loadView()
{
    NoXibViewController::loadView();
    prepareScreen(*this, "设置");
    m_vScrollView = scrollerBelowBar(*this);
    auto about = addRow(addHeader(0), "m_ico11", "关于系统", &SetupViewController::aboutEvent);
    separatorBelow(m_vScrollView, *about);
    addLogoutBelow(*about);
}
