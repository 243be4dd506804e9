#pragma once
// One day's training records, each with the way to appeal it unless an appeal of it is already
// in process.

#include "app/records/RecordsListScreen.h"
#include "platform/foundation/NSArray.h"

class AppealQueryViewController : public RecordsListScreen {
    NS_OBJECT(AppealQueryViewController, RecordsListScreen)
public:
    NSString screenTitle() const override { return NSString("学时记录"); }
    void loadData() override;
    void appealEvent(UIControl& sender);

    const NSString& recordDate() const { return m_recordDate; }
    void setRecordDate(const NSString& date) { m_recordDate = date; }
    void setSubject(const NSString& subject) { m_subject = subject; }
    const std::shared_ptr<NSArray>& records() const { return m_records; }

private:
    void showRecords(const id& reply);
    NSString m_recordDate;
    NSString m_subject;
    std::shared_ptr<NSArray> m_records;
};
