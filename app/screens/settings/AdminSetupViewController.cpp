#include "app/screens/settings/AdminSetupViewController.h"

#include "app/screens/settings/SettingsLayout.h"

using namespace SettingsLayout;

void AdminSetupViewController::loadView()
{
    NoXibViewController::loadView();
    prepareScreen(*this, "设置");
    // As on the learner's screen: the scroller starts under the bar, with no room left for a
    // status bar the bar already covers.
    setAutomaticallyAdjustsScrollViewInsets(false);
    m_vScrollView = scrollerBelowBar(*this);
    auto about = addRow(addHeader(0), "m_ico11", "关于系统", &SetupViewController::aboutEvent);
    addLogoutBelow(separatorBelow(m_vScrollView, *about));
}
