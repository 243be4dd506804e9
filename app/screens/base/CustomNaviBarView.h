#pragma once
// The bar every screen draws at the top of its own view (the navigation controller's bar stays
// hidden): a background picture, a centred title, a back button on the left and an optional
// button on the right. Its class operations are the one factory of bar buttons.

#include "platform/uikit/UIButton.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UILabel.h"

class ParentViewController;

class CustomNaviBarView : public UIView {
    NS_OBJECT(CustomNaviBarView, UIView)
public:
    static CGSize barBtnSize() { return CGSizeMake(30, 30); }
    static CGSize barSize();
    static CGRect leftBtnFrame() { return CGRectMake(5, 27, 30, 30); }
    static CGRect rightBtnFrame();
    static CGRect titleViewFrame();

    // Buttons for setLeftBtn/setRightBtn. A nil highlight or selected image name shows the
    // normal one; the images sit centred in the 30-point square.
    static std::shared_ptr<UIButton> createImgNaviBarBtnByImgNormal(const NSString& normal, const NSString& highlight,
        const NSString& selected);
    static std::shared_ptr<UIButton> createNormalNaviBarBtnByTitle(const NSString& title);
    template <class T>
    static std::shared_ptr<UIButton> createImgNaviBarBtnByImgNormal(const NSString& normal, const NSString& highlight,
        const std::shared_ptr<T>& target, void (T::*action)(UIControl&))
    {
        auto button = createImgNaviBarBtnByImgNormal(normal, highlight, normal);
        button->addTarget(target, action, UIControlEventTouchUpInside);
        return button;
    }
    template <class T>
    static std::shared_ptr<UIButton> createNormalNaviBarBtnByTitle(const NSString& title, const std::shared_ptr<T>& target,
        void (T::*action)(UIControl&))
    {
        auto button = createNormalNaviBarBtnByTitle(title);
        button->addTarget(target, action, UIControlEventTouchUpInside);
        return button;
    }

    // A plain white text button, as wide as its text, left of the right button's place.
    static std::shared_ptr<UIButton> createNormalNaviBarBtnByTxt(const NSString& text);
    template <class T>
    static std::shared_ptr<UIButton> createNormalNaviBarBtnByTxt(const NSString& text, const std::shared_ptr<T>& target,
        void (T::*action)(UIControl&))
    {
        auto button = createNormalNaviBarBtnByTxt(text);
        button->addTarget(target, action, UIControlEventTouchUpInside);
        return button;
    }

    // Lays the bar out again for the status bar's present orientation; the left button stays.
    void inViewsFrameAtOrientation();

    void setTitle(const NSString& title);
    void settitleColor(const UIColorRef& color);
    // Nil removes the button.
    void setLeftBtn(const std::shared_ptr<UIButton>& button);
    void setRightBtn(const std::shared_ptr<UIButton>& button);
    void btnBack(UIControl&);

    // A view laid over the bar's items (which hide meanwhile); nil changes nothing.
    void showCoverView(const UIViewRef& view, bool animation);
    void showCoverViewOnTitleView(const UIViewRef& view);
    void hideCoverView(const UIViewRef& view);

    const std::shared_ptr<UIButton>& m_btnBack() const { return m_back; }
    const std::shared_ptr<UILabel>& m_labelTitle() const { return m_title; }
    const std::shared_ptr<UIButton>& m_btnLeft() const { return m_left; }
    const std::shared_ptr<UIButton>& m_btnRight() const { return m_right; }
    std::shared_ptr<ParentViewController> viewCtrlParent() const { return m_parent.lock(); }
    void setViewCtrlParent(const std::shared_ptr<ParentViewController>& parent) { m_parent = parent; }

protected:
    void init(CGRect frame) override;

private:
    void setItemsHidden(bool hidden);
    void placeRightBtn();

    std::shared_ptr<UIButton> m_back;
    std::shared_ptr<UILabel> m_title;
    std::shared_ptr<UIImageView> m_background;
    std::shared_ptr<UIButton> m_left;
    std::shared_ptr<UIButton> m_right;
    std::weak_ptr<ParentViewController> m_parent;
};
