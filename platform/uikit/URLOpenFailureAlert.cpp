#include "platform/uikit/URLOpenFailureAlert.h"

#include "platform/uikit/UIAlertView.h"

void URLOpenFailureAlert::show(const std::shared_ptr<NSURL>& url)
{
    NSString message("本机没有能打开此链接的程序，或它未能启动。");
    const NSString address = url ? url->absoluteString() : NSString();
    if (!address.isNil() && address.length() > 0)
        message = message + NSString("\n") + address;
    UIAlertView::create(NSString(title), message, nullptr, NSString("确定"), std::vector<NSString> {})->show();
}
