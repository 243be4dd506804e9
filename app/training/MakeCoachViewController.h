#pragma once
// Booking practice lessons ("我要约车"): the assigned coach's card, one day of the coach's slots
// with their remaining places, the previous and next day, a check mark per slot and "确定", which
// books every chosen slot of the day in one request. Slot ids and their times go out in one and
// the same (schedule) order, and nothing is booked before the coach's record has arrived.

#include "app/screens/base/NoXibViewController.h"
#include "app/services/HttpService.h"
#include "app/training/VerticalAlignmentLabel.h"
#include "platform/foundation/NSArray.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UIScrollView.h"

class MakeCoachViewController : public NoXibViewController {
    NS_OBJECT(MakeCoachViewController, NoXibViewController)
public:
    ~MakeCoachViewController() override;
    void loadView() override;
    void viewDidLoad() override;

    const NSString& TSEMPLOYEEID() const { return m_employeeId; }
    void setTSEMPLOYEEID(const NSString& employeeId) { m_employeeId = employeeId; }

    void loadSchedul();
    void showAbout();
    void aboutBtnEvent(UIControl& sender);
    void preEvent(UIControl&);
    void nextEvent(UIControl&);
    void saveEvent(UIControl&);

    const std::shared_ptr<UILabel>& dateLabel() const { return m_dateLabel; }
    const std::shared_ptr<UILabel>& nameLabel() const { return m_nameLabel; }
    const std::shared_ptr<UIScrollView>& vScrollView() const { return m_vScrollView; }
    const std::shared_ptr<UIView>& nothingView() const { return m_nothingView; }
    const std::shared_ptr<NSArray>& aboutArray() const { return m_aboutArray; }
    const std::vector<NSString>& ids() const { return m_ids; }

private:
    void scheduleReply(const id& reply);
    void showNothing(bool show);
    void moveDay(const NSString& day);

    std::shared_ptr<HttpService> m_httpService;
    std::shared_ptr<UIImageView> m_iconView;
    std::shared_ptr<UILabel> m_nameLabel;
    std::shared_ptr<UILabel> m_kmLab;
    std::shared_ptr<UIScrollView> m_memoScrollView;
    std::shared_ptr<UIScrollView> m_vScrollView;
    std::shared_ptr<VerticalAlignmentLabel> m_memoLabel;
    std::shared_ptr<UILabel> m_dateLabel;
    std::shared_ptr<UIView> m_nothingView;
    std::shared_ptr<NSDictionary> m_coachDict;
    std::shared_ptr<NSArray> m_aboutArray;
    std::shared_ptr<NSArray> m_makeArray;
    std::vector<NSString> m_ids;
    NSString m_employeeId;
};
