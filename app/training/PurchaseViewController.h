#pragma once
// The purchase screens' common ground: each loads one row from the payment service and shows its
// content, or, where the request fails or the answer is refused or empty, the empty view with its
// refresh button in the content's place.

#include "app/screens/base/NoXibViewController.h"
#include "app/services/HttpServiceWithHost.h"
#include "platform/foundation/NSDictionary.h"

#include <functional>

class PurchaseViewController : public NoXibViewController {
    NS_OBJECT(PurchaseViewController, NoXibViewController)
public:
    void viewDidLoad() override;

    virtual void loadData() { }
    void refreshEvent(UIControl&);

    const std::shared_ptr<UIView>& nothingView() const { return m_nothingView; }

protected:
    // Lays the empty view over `frame`, hidden until wanted, with `content` as what it stands in for.
    void addNothingView(CGRect frame, const std::shared_ptr<UIView>& content);
    // Asks the payment service for `action`; the first row of a good answer goes to `completion`
    // once the content shows. `completion` runs only while this screen is alive.
    void requestPurchaseRow(const char* action, const std::shared_ptr<NSMutableDictionary>& fields,
        std::function<void(const std::shared_ptr<NSDictionary>&)> completion);
    void showEmpty();

    std::shared_ptr<HttpServiceWithHost> m_httpService;

private:
    std::shared_ptr<UIView> m_nothingView;
    std::shared_ptr<UIView> m_contentView;
};
