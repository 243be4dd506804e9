#pragma once
// What the two home screens share: a two-page picture banner with a caption and page dots under
// a bar titled "Corvane" whose right button opens the settings screen of the role, the grid of
// tiles and the strips below it.

#include "app/screens/base/DesktopViewCell.h"
#include "app/screens/base/NoXibViewController.h"
#include "app/services/HttpService.h"
#include "platform/uikit/UIPageControl.h"
#include "platform/uikit/UIScrollView.h"

class HomeScreen : public NoXibViewController, public UIScrollViewDelegate {
    NS_OBJECT(HomeScreen, NoXibViewController)
public:
    struct Strip {
        const char* icon;
        const char* text;
        void (HomeScreen::*action)(UIControl&);
    };

    void loadView() override;
    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;
    void scrollViewDidScroll(UIScrollView& scrollView) override;

    NSInteger numberOfColumnsOfGridView() const { return 4; }
    NSInteger numberOfCellsOfGridView() const { return NSInteger(m_menuArray ? m_menuArray->count() : 0); }
    CGFloat widthForRow() const;
    CGFloat heightForRow() const;

    virtual void aboutMe(UIControl&) { }
    virtual void menuEvent(UIControl&) { }
    void womenEvent(UIControl&);
    void baoDianEvent(UIControl&);
    void faiGuiEvent(UIControl&);
    void sepcialEvent(UIControl&);

    // The reading lists behind the strips, built anew on each tap: title, badge colour, page.
    static std::shared_ptr<NSMutableArray> baoDianList();
    static std::shared_ptr<NSMutableArray> faiGuiList();

    const std::shared_ptr<UIScrollView>& hScrollView() const { return m_hScrollView; }
    const std::shared_ptr<UILabel>& photoMemoView() const { return m_photoMemoView; }
    const std::shared_ptr<UIPageControl>& pageControl() const { return m_pageControl; }
    const std::shared_ptr<UIScrollView>& vScrollView() const { return m_vScrollView; }
    const std::shared_ptr<NSMutableArray>& menuArray() const { return m_menuArray; }
    const std::vector<std::shared_ptr<DesktopViewCell>>& tiles() const { return m_tiles; }
    const std::vector<std::shared_ptr<UIButton>>& strips() const { return m_strips; }

protected:
    virtual std::vector<std::pair<const char*, const char*>> gridItems() const = 0;
    virtual std::vector<Strip> stripItems() const = 0;
    void menuViews();
    void openReadingList(const std::shared_ptr<NSMutableArray>& items, const NSString& title);

    std::shared_ptr<HttpService> m_httpService;

private:
    std::shared_ptr<UIScrollView> m_hScrollView;
    std::shared_ptr<UILabel> m_photoMemoView;
    std::shared_ptr<UIPageControl> m_pageControl;
    std::shared_ptr<UIScrollView> m_vScrollView;
    std::shared_ptr<NSMutableArray> m_menuArray;
    std::vector<std::shared_ptr<DesktopViewCell>> m_tiles;
    std::vector<std::shared_ptr<UIButton>> m_strips;
};
