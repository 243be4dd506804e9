#include "app/screens/base/NoXibViewController.h"

#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIScreen.h"

void NoXibViewController::init()
{
    ParentViewController::init();
    setEdgesForExtendedLayout(UIRectEdgeAll);
}
void NoXibViewController::loadView()
{
    CGSize size = UIScreen::mainScreen()->bounds().size;
    const auto orientation = UIApplication::sharedApplication()->statusBarOrientation();
    if (orientation == UIInterfaceOrientation::LandscapeLeft || orientation == UIInterfaceOrientation::LandscapeRight)
        std::swap(size.width, size.height);
    setView(UIView::create(CGRectMake(0, 0, static_cast<float>(size.width), static_cast<float>(size.height))));
    const CGSize barSize = CustomNaviBarView::barSize();
    auto bar = CustomNaviBarView::create(CGRectMake(0, 0, barSize.width, barSize.height));
    bar->setViewCtrlParent(std::static_pointer_cast<ParentViewController>(self()));
    view()->addSubview(bar);
    bar->settitleColor(UIColor::whiteColor());
    setViewNaviBar(bar);
}
