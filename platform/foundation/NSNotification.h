#pragma once
// A posted notification: its name, the object that posted it and optional user info.

#include "platform/foundation/NSDictionary.h"

class NSNotification : public NSObject {
    NS_OBJECT(NSNotification, NSObject)
public:
    static std::shared_ptr<NSNotification> notificationWithName(const NSString& name, const id& object,
        const std::shared_ptr<NSDictionary>& userInfo = nullptr)
    {
        return create(name, object, userInfo);
    }

    const NSString& name() const { return m_name; }
    const id& object() const { return m_object; }
    const std::shared_ptr<NSDictionary>& userInfo() const { return m_userInfo; }

    NSString description() const override;

protected:
    void init(const NSString& name, const id& object, const std::shared_ptr<NSDictionary>& userInfo);

    NSString m_name;
    id m_object;
    std::shared_ptr<NSDictionary> m_userInfo;
};

using NSNotificationName = NSString;
