#pragma once
// The learner's booking overview ("约车信息"): the coach assigned for the current subject and the
// booked practice lessons, not yet expired (each with a cancel button) and expired, and the way
// to the slot booking screen. A cancel asks first, and then cancels the booking that was shown
// when it asked, whatever the list has become meanwhile.

#include "app/screens/base/NoXibViewController.h"
#include "app/services/HttpService.h"
#include "platform/foundation/NSArray.h"
#include "platform/uikit/UIAlertView.h"
#include "platform/uikit/UIScrollView.h"

class MakeCarViewController : public NoXibViewController, public UIAlertViewDelegate {
    NS_OBJECT(MakeCarViewController, NoXibViewController)
public:
    ~MakeCarViewController() override;
    void loadView() override;
    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;

    void loadData();
    void makeInfos(const std::shared_ptr<NSDictionary>& body);
    void makeCarEvent(UIControl&);
    void deleteMakeEvent(UIControl& sender);
    void alertViewClickedButtonAtIndex(UIAlertView& alert, NSInteger buttonIndex) override;

    const NSString& TSEMPLOYEEID() const { return m_employeeId; }
    const std::shared_ptr<NSMutableArray>& noPastArray() const { return m_noPastArray; }
    const std::shared_ptr<UIScrollView>& vScrollView() const { return m_vScrollView; }
    const std::shared_ptr<UIView>& nothingView() const { return m_nothingView; }

private:
    void showNothing(bool show);
    void overviewReply(const id& reply);
    NSInteger userSubject() const;

    std::shared_ptr<UIScrollView> m_vScrollView;
    std::shared_ptr<UIView> m_nothingView;
    std::shared_ptr<HttpService> m_httpService;
    NSString m_employeeId;
    std::shared_ptr<NSMutableArray> m_noPastArray;
    // The booking the confirmation asks about, taken when it was shown.
    std::shared_ptr<NSDictionary> m_pendingCancel;
};
