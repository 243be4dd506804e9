#pragma once
// A notice the application gives the user outside its own screens: the text of its alert and the
// title of the button that acts on it. UIApplication::presentLocalNotificationNow hands it to the
// host, which shows it on the desktop (the window host) or keeps it for the test to read (the
// headless one). It archives with the keyed archiver.

#include "platform/foundation/NSCoder.h"
#include "platform/foundation/NSString.h"

class UILocalNotification : public NSObject, public NSCoding {
    NS_OBJECT(UILocalNotification, NSObject)
public:
    const NSString& alertBody() const { return m_alertBody; }
    void setAlertBody(const NSString& body) { m_alertBody = body; }
    // The title of the action; nil for the platform's own.
    const NSString& alertAction() const { return m_alertAction; }
    void setAlertAction(const NSString& action) { m_alertAction = action; }

    id copy() const override;
    void encodeWithCoder(NSCoder& coder) const override;

protected:
    void init() { }
    bool init(NSCoder& coder);

private:
    NSString m_alertBody;
    NSString m_alertAction;
};
