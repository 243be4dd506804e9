#pragma once
// The common frame of the records screens: the bar with a title, a scroller of white rows below
// it, the empty view ("Sorry,暂无数据,点击刷新") whose button loads again, and the HUD around
// every request.

#include "app/screens/base/NoXibViewController.h"
#include "app/training/PurchaseEmptyView.h"
#include "platform/uikit/UIScrollView.h"

class RecordsListScreen : public NoXibViewController {
    NS_OBJECT(RecordsListScreen, NoXibViewController)
public:
    void loadView() override;
    void viewDidLoad() override;

    // Asks the service again; each screen its own.
    virtual void loadData() { }
    virtual NSString screenTitle() const { return NSString(""); }

    const std::shared_ptr<UIScrollView>& scroller() const { return m_scroller; }
    const std::shared_ptr<PurchaseEmptyView>& emptyView() const { return m_emptyView; }
    void showEmpty(bool empty);
    void clearRows();
    // A white row of that height at the running y, with a separator below.
    std::shared_ptr<UIView> addRow(CGFloat height);
    void finishRows();
    void refreshEvent(UIControl&);
    // True while the screen's send (a letter, an appeal, an evaluation) runs; its button's taps
    // are ignored meanwhile, so that one tap stores one.
    bool sending() const { return m_sending; }
    void setSending(bool sending) { m_sending = sending; }

protected:
    CGFloat m_rowsY { 0 };

private:
    bool m_sending { false };
    std::shared_ptr<UIScrollView> m_scroller;
    std::shared_ptr<PurchaseEmptyView> m_emptyView;
};
