#pragma once
// The code tables that turn three fields of the session records into the names screens show.

#include "platform/foundation/NSString.h"

class Constant : public NSObject {
    NS_OBJECT(Constant, NSObject)
public:
    // 1, 2, 3 (text or number) → "科目一" … "科目三"; anything else "".
    static NSString getSubjectName(const id& subject);
    // 0, 1, 2 → "理论", "模拟", "实操"; anything else "" (nil reads as 0).
    static NSString getTypeName(const id& type);
    // The registration status "01" … "12", compared exactly; anything else "".
    static NSString getGovStatus(const NSString& status);
};
