#pragma once
// One wedge of the self-drawing half pie: its share and fill colour, and a name.

#include "platform/foundation/NSString.h"
#include "platform/uikit/UIColor.h"

class DCHalfPieComponent : public NSObject {
    NS_OBJECT(DCHalfPieComponent, NSObject)
public:
    static std::shared_ptr<DCHalfPieComponent> halfPieComponentWithTitle(const NSString& title, float value)
    {
        return create(title, value);
    }

    float value() const { return m_value; }
    void setValue(float value) { m_value = value; }
    const UIColorRef& colour() const { return m_colour; }
    void setColour(const UIColorRef& colour) { m_colour = colour; }
    const NSString& title() const { return m_title; }
    void setTitle(const NSString& title) { m_title = title.copy(); }

    NSString description() const override;

protected:
    void init(const NSString& title, float value);

private:
    float m_value { 0 };
    UIColorRef m_colour;
    NSString m_title;
};
