#pragma once
// "考试信息": the learner's exams as the main service knows them, the ones ahead ("考试安排") and the
// ones sat with their result ("考试历史"), one card each in a scroll view. Any failure or an empty
// answer shows the empty view, whose button asks again.

#include "app/screens/base/NoXibViewController.h"
#include "app/services/HttpService.h"
#include "app/theory/KaoInfoItemView.h"
#include "platform/uikit/UIScrollView.h"

class KaoInfoViewController : public NoXibViewController {
    NS_OBJECT(KaoInfoViewController, NoXibViewController)
public:
    void loadView() override;
    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;

    // Asks once at a time: a second tap while a reply is awaited would stack the cards twice.
    void loadData();
    bool isLoading() const { return m_loading; }
    void refreshEvent(UIControl&);
    // Splits the rows into schedule and history and stacks a card for each that has rows. A
    // learner has a handful of exams: a card shows at most kMaxRows of them, the rest are logged
    // and left out, so that no reply can freeze the screen or exhaust memory.
    void initViews(const std::shared_ptr<NSArray>& rows);
    static constexpr NSUInteger kMaxRows = 30;

    const std::shared_ptr<UIView>& nothingView() const { return m_nothingView; }
    const std::shared_ptr<UIScrollView>& vScrollView() const { return m_vScrollView; }
    const std::shared_ptr<UIButton>& refreshButton() const { return m_refreshButton; }
    const std::vector<std::shared_ptr<KaoInfoItemView>>& cards() const { return m_cards; }

private:
    void examInfoCompletion(const id& reply);
    void examInfoFailure();
    void showNothing();

    std::shared_ptr<HttpService> m_httpService;
    std::shared_ptr<UIView> m_nothingView;
    std::shared_ptr<UIScrollView> m_vScrollView;
    std::shared_ptr<UIButton> m_refreshButton;
    std::vector<std::shared_ptr<KaoInfoItemView>> m_cards;
    bool m_loading { false };
};
