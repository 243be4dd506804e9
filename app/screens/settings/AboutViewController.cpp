#include "app/screens/settings/AboutViewController.h"

#include "app/screens/base/UIColor_Addition.h"
#include "app/screens/settings/SettingsLayout.h"
#include "platform/text/UIStringDrawing.h"
#include "platform/uikit/UIImage.h"

using namespace SettingsLayout;
using UIColor_Addition::colorWithHexString;

void AboutViewController::loadView()
{
    NoXibViewController::loadView();
    prepareScreen(*this, "关于");
    auto view = this->view();
    const CGFloat y0 = 64;
    const CGFloat V = view->bounds().size.width;
    const bool tall = view->bounds().size.height > 960;

    // Shown at their own sizes: stretchable copies would only hold the same pixels twice.
    auto aboutImage = UIImage::imageNamed("about_img");
    const CGSize aboutSize = aboutImage ? aboutImage->size() : CGSizeMake(100, 100);
    auto header = UIView::create(CGRectMake(0, y0, V, aboutSize.height + 40));
    header->setBackgroundColor(colorWithHexString("deecf8"));
    auto picture = UIImageView::create(CGRectMake((V - aboutSize.width) / 2, 20, aboutSize.width, aboutSize.height));
    picture->setImage(aboutImage);
    header->addSubview(picture);
    view->addSubview(header);

    auto font = UIFont::systemFontOfSize(15);
    auto label = [&](CGRect frame, const NSString& text, const char* colour) {
        view->addSubview(plainLabel(frame, text, 15, colorWithHexString(colour), UIColor::clearColor()));
    };
    const CGFloat phoneY = CGRectGetMaxY(header->frame()) + (tall ? 80 : 40);
    const CGFloat captionWidth = UIStringDrawing::sizeWithFont("客服电话:", font, CGSizeMake(V, 21), NSLineBreakByWordWrapping).width + 5;
    const CGFloat valueX = 40 + captionWidth + 5;
    const CGFloat valueWidth = V - (40 + captionWidth + 20);
    label(CGRectMake(40, phoneY, captionWidth, 21), "客服电话:", "9c9c9d");
    label(CGRectMake(valueX, phoneY, valueWidth, 21), kServicePhone, "77befb");
    label(CGRectMake(40, phoneY - 31, captionWidth, 21), "版 本  号:", "9c9c9d");
    label(CGRectMake(valueX, phoneY - 31, valueWidth, 21), NSString::stringWithFormat("v%@", shortVersion()), "77befb");
    label(CGRectMake(40, phoneY + 31, captionWidth, 21), "官       网:", "9c9c9d");
    const CGFloat webHeight = UIStringDrawing::sizeWithFont(kWebAddress, font, CGSizeMake(V, 21)).height;
    label(CGRectMake(valueX, phoneY + 31, valueWidth, webHeight), kWebAddress, "77befb");

    const CGFloat lowerY = view->bounds().size.height - (tall ? 20 : 10) - 21;
    auto foot = [&](CGFloat y, const NSString& text) {
        auto line = plainLabel(CGRectMake(0, y, V, 21), text, 13, UIColor::lightGrayColor(), UIColor::clearColor());
        line->setTextAlignment(NSTextAlignmentCenter);
        view->addSubview(line);
    };
    foot(lowerY - 21, "Corvane 驾培服务 版权所有");
    foot(lowerY, "Copyright © 2015-2026 Corvane. All rights reserved.");
    auto logo = UIImage::imageNamed("abo_img");
    const CGSize logoSize = logo ? logo->size() : CGSizeMake(80, 30);
    auto logoView = UIImageView::create(CGRectMake((V - logoSize.width) / 2, lowerY - 21 - 10 - logoSize.height, logoSize.width, logoSize.height));
    logoView->setImage(logo);
    view->addSubview(logoView);
}
