#pragma once
// One slice of the self-drawing pie: its value, colour and two label lines. The pie writes the
// angles it drew the slice at (degrees clockwise from twelve o'clock) back into it.

#include "platform/foundation/NSString.h"
#include "platform/uikit/UIColor.h"

class DCPieComponent : public NSObject {
    NS_OBJECT(DCPieComponent, NSObject)
public:
    static std::shared_ptr<DCPieComponent> pieComponentWithTitle(const NSString& title, const NSString& subTitle, float value)
    {
        return create(title, subTitle, value);
    }

    float value() const { return m_value; }
    void setValue(float value) { m_value = value; }
    float startDeg() const { return m_startDeg; }
    void setStartDeg(float degrees) { m_startDeg = degrees; }
    float endDeg() const { return m_endDeg; }
    void setEndDeg(float degrees) { m_endDeg = degrees; }
    const UIColorRef& colour() const { return m_colour; }
    void setColour(const UIColorRef& colour) { m_colour = colour; }
    const NSString& title() const { return m_title; }
    void setTitle(const NSString& title) { m_title = title.copy(); }
    const NSString& subTitle() const { return m_subTitle; }
    void setSubTitle(const NSString& subTitle) { m_subTitle = subTitle.copy(); }

    NSString description() const override;

protected:
    void init(const NSString& title, const NSString& subTitle, float value);

private:
    float m_value { 0 };
    float m_startDeg { 0 };
    float m_endDeg { 0 };
    UIColorRef m_colour;
    NSString m_title;
    NSString m_subTitle;
};
