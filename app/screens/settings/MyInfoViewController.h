#pragma once
// The personal data: the photo and name card over five read-only rows.
#include "app/screens/base/NoXibViewController.h"
#include "app/services/HttpService.h"
#include "platform/uikit/UIScrollView.h"

class MyInfoViewController : public NoXibViewController {
    NS_OBJECT(MyInfoViewController, NoXibViewController)
public:
    void loadView() override;
    void viewDidLoad() override;
    const std::shared_ptr<UIImageView>& photoView() const { return m_photoView; }
    const std::shared_ptr<UIScrollView>& vScrollView() const { return m_vScrollView; }

private:
    std::shared_ptr<UIScrollView> m_vScrollView;
    std::shared_ptr<UIImageView> m_photoView;
    std::shared_ptr<HttpService> m_httpService;
};
