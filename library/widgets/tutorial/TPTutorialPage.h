#pragma once
// One page of the tutorial: its background picture (by resource name), title, subtitle, and how
// long it stays while the pages advance by themselves.

#include "library/widgets/tutorial/TPTutorialLabelStyle.h"

class TPTutorialPage : public NSObject {
    NS_OBJECT(TPTutorialPage, NSObject)
public:
    static std::shared_ptr<TPTutorialPage> initWithTitle(const NSString& title, const NSString& subTitle,
        const NSString& pictureName, double duration);

    // Take only the font and the colour of the style.
    void setTitleStyle(const TPTutorialLabelStyleRef& style);
    void setSubTitleStyle(const TPTutorialLabelStyleRef& style);

    TPTutorialLabelStyleRef title;
    TPTutorialLabelStyleRef subTitle;
    NSString pictureName;
    double duration { 0 };
};

using TPTutorialPageRef = std::shared_ptr<TPTutorialPage>;
