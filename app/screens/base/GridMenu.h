#pragma once
// One item of a home screen's grid: its title and the name of its picture.

#include "platform/foundation/NSString.h"

class GridMenu : public NSObject {
    NS_OBJECT(GridMenu, NSObject)
public:
    const NSString& title() const { return m_title; }
    void setTitle(const NSString& title) { m_title = title; }
    const NSString& icon() const { return m_icon; }
    void setIcon(const NSString& icon) { m_icon = icon; }

protected:
    void init(const NSString& title, const NSString& icon);

private:
    NSString m_title;
    NSString m_icon;
};
