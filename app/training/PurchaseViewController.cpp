#include "app/training/PurchaseViewController.h"

#include "app/services/ServerUrlManger.h"
#include "app/services/ServiceReply.h"
#include "app/training/PurchaseEmptyView.h"
#include "library/widgets/hud/STProgressHUD.h"
#include "platform/foundation/TypedValues.h"

void PurchaseViewController::viewDidLoad()
{
    NoXibViewController::viewDidLoad();
    m_httpService = HttpServiceWithHost::create();
    loadData();
}

void PurchaseViewController::refreshEvent(UIControl&)
{
    loadData();
}

void PurchaseViewController::addNothingView(CGRect frame, const std::shared_ptr<UIView>& content)
{
    auto empty = PurchaseEmptyView::create(frame);
    empty->refreshButton()->addTarget(self(), &PurchaseViewController::refreshEvent, UIControlEventTouchUpInside);
    empty->setHidden(true);
    m_nothingView = empty;
    m_contentView = content;
    view()->addSubview(m_nothingView);
}

void PurchaseViewController::requestPurchaseRow(const char* action, const std::shared_ptr<NSMutableDictionary>& fields,
    std::function<void(const std::shared_ptr<NSDictionary>&)> completion)
{
    std::weak_ptr<PurchaseViewController> weakSelf = self();
    m_httpService->httpRequestDict(
        [weakSelf, completion = std::move(completion)](const id& reply) {
            auto protectedSelf = weakSelf.lock();
            if (!protectedSelf)
                return;
            const auto code = ServiceReply::mainServiceCode(reply);
            auto rows = ServiceReply::rows(reply, "array0");
            if (!code || *code != 0 || !rows || rows->count() == 0)
                return protectedSelf->showEmpty();
            protectedSelf->m_nothingView->setHidden(true);
            protectedSelf->m_contentView->setHidden(false);
            completion(ns::dictionaryValue(rows->objectAtIndex(0)));
        },
        [weakSelf](const std::shared_ptr<RQHTTPRequestOperation>&, const std::shared_ptr<NSError>&) {
            if (auto protectedSelf = weakSelf.lock())
                protectedSelf->showEmpty();
        },
        ServerUrlManger::create()->getHttpUrlForPay(), action, nullptr, fields);
}

void PurchaseViewController::showEmpty()
{
    m_nothingView->setHidden(false);
    m_contentView->setHidden(true);
    STProgressHUD::dismiss();
}
