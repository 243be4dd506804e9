#pragma once
// The ids of the notices the user has opened, in "notice.sqlite" in the documents folder.

#include "platform/foundation/NSString.h"

class NoticeManager : public NSObject {
    NS_OBJECT(NoticeManager, NSObject)
public:
    static std::shared_ptr<NoticeManager> shareInstance();
    // Every way of making one yields the shared instance.
    static std::shared_ptr<NoticeManager> create() { return shareInstance(); }
    id copy() const override { return std::const_pointer_cast<NSObject>(shared_from_this()); }

    static NSString getDBPath();

    bool existsNoticeId(const NSString& nid);
    // YES without writing when the id is there already.
    bool insertNoticeId(const NSString& nid);
    void deleteAll();
};
