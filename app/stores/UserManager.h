#pragma once
// The last successful login and the cached region list, in "login.sqlite" in the documents
// folder. Every operation opens the file, runs its statement and closes it again; the file is
// readable by its owner only, since it keeps the remembered password.

#include "platform/foundation/NSDictionary.h"

class UserManager : public NSObject {
    NS_OBJECT(UserManager, NSObject)
public:
    static std::shared_ptr<UserManager> shareInstance();
    // Every way of making one yields the shared instance.
    static std::shared_ptr<UserManager> create() { return shareInstance(); }
    id copy() const override { return std::const_pointer_cast<NSObject>(shared_from_this()); }

    static NSString getDBPath();

    // The region's city code, the role code, the account and the password as typed.
    // Replaces the remembered login; the old one stays when the new one cannot be stored.
    void cacheLoginInfo(const NSString& areaCode, const NSString& role, const NSString& account, const NSString& pwd);
    // {area_code, role_code, account, password} of the first row; nil when there is none.
    std::shared_ptr<NSMutableDictionary> queryLoginInfo();
    bool deleteLoginInfo();
    bool updatePassword(const NSString& password);

    // One row per region row of the service (PROVINCE, PROVINCE_NAME, DEPCODE, DEPNAME).
    void cacheProvanceInfo(const std::shared_ptr<NSArray>& rows);
    // The cached rows under the service's own keys.
    std::shared_ptr<NSArray> querProvanceInfo();
    bool deleteProvanceInfo();
};
