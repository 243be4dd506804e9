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

    const TPTutorialLabelStyleRef& title() const { return m_title; }
    const TPTutorialLabelStyleRef& subTitle() const { return m_subTitle; }
    const NSString& pictureName() const { return m_pictureName; }
    void setPictureName(const NSString& name) { m_pictureName = name; }
    double duration() const { return m_duration; }
    void setDuration(double duration) { m_duration = duration; }

private:
    TPTutorialLabelStyleRef m_title;
    TPTutorialLabelStyleRef m_subTitle;
    NSString m_pictureName;
    double m_duration { 0 };
};

using TPTutorialPageRef = std::shared_ptr<TPTutorialPage>;
