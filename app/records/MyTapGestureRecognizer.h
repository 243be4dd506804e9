#pragma once
// A tap recogniser that carries the record of the row it is attached to, so that one action can
// serve every row.

#include "platform/foundation/NSDictionary.h"
#include "platform/uikit/UITapGestureRecognizer.h"

class MyTapGestureRecognizer : public UITapGestureRecognizer {
    NS_OBJECT(MyTapGestureRecognizer, UITapGestureRecognizer)
public:
    const NSString& memo() const { return m_memo; }
    void setMemo(const NSString& memo) { m_memo = memo; }
    const std::shared_ptr<NSDictionary>& data() const { return m_data; }
    void setData(const std::shared_ptr<NSDictionary>& data) { m_data = data; }

private:
    NSString m_memo;
    std::shared_ptr<NSDictionary> m_data;
};
