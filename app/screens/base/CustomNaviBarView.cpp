#include "app/screens/base/CustomNaviBarView.h"

#include "app/screens/base/ParentViewController.h"
#include "app/screens/base/UtilityFunc.h"
#include "platform/foundation/NSAssertMainThread.h"
#include "platform/text/UIFont.h"
#include "platform/text/UIStringDrawing.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIImage.h"
#include "platform/uikit/UINavigationController.h"
#include "platform/uikit/UIScreen.h"

namespace {

// The screen's width as the bar sees it: the height in a landscape status-bar orientation.
float barWidth()
{
    const CGRect bounds = UIScreen::mainScreen()->bounds();
    const auto orientation = UIApplication::sharedApplication()->statusBarOrientation();
    const bool landscape = orientation == UIInterfaceOrientation::LandscapeLeft || orientation == UIInterfaceOrientation::LandscapeRight;
    return static_cast<float>(landscape ? bounds.size.height : bounds.size.width);
}

UIImageRef stretchable(const NSString& name, CGFloat cap = 0)
{
    auto image = UIImage::imageNamed(name);
    return image ? image->resizableImageWithCapInsets(UIEdgeInsetsMake(cap, cap, cap, cap), UIImageResizingModeStretch) : nullptr;
}

} // namespace

CGSize CustomNaviBarView::barSize() { return CGSizeMake(barWidth(), 64); }
CGRect CustomNaviBarView::rightBtnFrame() { return CGRectMake(barWidth() - 30 - 5, 24, 30, 30); }
CGRect CustomNaviBarView::titleViewFrame() { return CGRectMake(30 + 5, 24, barWidth() - 2 * 30 - 10, 36); }

std::shared_ptr<UIButton> CustomNaviBarView::createImgNaviBarBtnByImgNormal(const NSString& normal, const NSString& highlight,
    const NSString& selected)
{
    auto button = UIButton::buttonWithType(UIButtonTypeCustom);
    auto normalImage = UIImage::imageNamed(normal);
    button->setImage(normalImage, UIControlStateNormal);
    button->setImage(highlight.length() ? UIImage::imageNamed(highlight) : normalImage, UIControlStateHighlighted);
    button->setImage(selected.length() ? UIImage::imageNamed(selected) : normalImage, UIControlStateSelected);
    const CGSize size = normalImage ? normalImage->size() : CGSizeZero;
    const CGFloat h = (30 - size.width) / 2, v = (30 - size.height) / 2;
    const CGFloat horizontal = h >= 2 ? h / 2 : 0, vertical = v >= 2 ? v / 2 : 0;
    button->setImageEdgeInsets(UIEdgeInsetsMake(vertical, horizontal, vertical, horizontal));
    button->setTitleEdgeInsets(UIEdgeInsetsMake(vertical, -size.width, vertical, horizontal));
    return button;
}

std::shared_ptr<UIButton> CustomNaviBarView::createNormalNaviBarBtnByTitle(const NSString& title)
{
    auto button = createImgNaviBarBtnByImgNormal("nav_button_b", "nav_button_d", "nav_button_b");
    button->setTitle(title, UIControlStateNormal);
    button->setTitleColor(UIColor::colorWithRed(10 / 255.0, 10 / 255.0, 10 / 255.0, 1), UIControlStateNormal);
    button->titleLabel()->setFont(UIFont::systemFontOfSize(12));
    UtilityFunc::label(button->titleLabel(), 8, 1);
    return button;
}

std::shared_ptr<UIButton> CustomNaviBarView::createNormalNaviBarBtnByTxt(const NSString& text)
{
    auto button = UIButton::buttonWithType(UIButtonTypeCustom);
    for (auto state : { UIControlStateNormal, UIControlStateHighlighted, UIControlStateSelected })
        button->setImage(nullptr, state);
    button->setTitle(text, UIControlStateNormal);
    button->setTitleColor(UIColor::whiteColor(), UIControlStateNormal);
    auto font = UIFont::systemFontOfSize(13);
    button->titleLabel()->setFont(font);
    button->titleLabel()->setTextAlignment(NSTextAlignmentCenter);
    // Measured within the screen as it stands, not turned with the status bar.
    const CGSize measured = UIStringDrawing::sizeWithFont(text, font, CGSizeMake(UIScreen::mainScreen()->bounds().size.width, 30),
        NSLineBreakByWordWrapping);
    CGRect frame = rightBtnFrame();
    frame.origin.x -= 10;
    frame.size.width = measured.width;
    button->setFrame(frame);
    return button;
}

void CustomNaviBarView::inViewsFrameAtOrientation()
{
    CGRect frame = this->frame();
    frame.size.width = barWidth();
    setFrame(frame);
    m_background->setFrame(frame);
    placeRightBtn();
    m_title->setFrame(titleViewFrame());
}

void CustomNaviBarView::init(CGRect frame)
{
    UIView::init(frame);
    setBackgroundColor(UIColor::clearColor());
    m_back = createImgNaviBarBtnByImgNormal("nav_arrow_d", "nav_arrow_b", "nav_arrow_d");
    m_back->addTarget(self(), &CustomNaviBarView::btnBack, UIControlEventTouchUpInside);

    m_title = UILabel::create(CGRectZero);
    m_title->setBackgroundColor(UIColor::clearColor());
    m_title->setTextColor(UIColor::colorWithRed(80 / 255.0, 80 / 255.0, 80 / 255.0, 1));
    m_title->setFont(UIFont::boldSystemFontOfSize(19));
    m_title->setTextAlignment(NSTextAlignmentCenter);

    m_background = UIImageView::create(frame);
    m_background->setImage(stretchable("nav_bg"));
    addSubview(m_background);

    m_title->setFrame(titleViewFrame());
    addSubview(m_title);
    setLeftBtn(m_back);
}

void CustomNaviBarView::setTitle(const NSString& title)
{
    NSAssertMainThread();
    m_title->setText(title);
}

void CustomNaviBarView::settitleColor(const UIColorRef& color) { m_title->setTextColor(color); }

void CustomNaviBarView::setLeftBtn(const std::shared_ptr<UIButton>& button)
{
    NSAssertMainThread();
    if (m_left)
        m_left->removeFromSuperview();
    m_left = button;
    if (m_left) {
        m_left->setFrame(leftBtnFrame());
        addSubview(m_left);
    }
}

void CustomNaviBarView::setRightBtn(const std::shared_ptr<UIButton>& button)
{
    NSAssertMainThread();
    if (m_right)
        m_right->removeFromSuperview();
    m_right = button;
    if (m_right) {
        placeRightBtn();
        addSubview(m_right);
    }
}

// A wider button keeps its width and moves left, 10 points further from the edge; a narrower
// one fills the square.
void CustomNaviBarView::placeRightBtn()
{
    if (!m_right)
        return;
    CGRect frame = rightBtnFrame();
    const CGFloat width = m_right->frame().size.width;
    if (width > frame.size.width) {
        frame.origin.x -= (width - frame.size.width) + 10;
        frame.size.width = width;
    }
    m_right->setFrame(frame);
}

void CustomNaviBarView::btnBack(UIControl&)
{
    auto parent = m_parent.lock();
    if (!parent)
        return;
    if (auto navigation = parent->navigationController())
        navigation->popViewControllerAnimated(true);
}

void CustomNaviBarView::setItemsHidden(bool hidden)
{
    m_title->setHidden(hidden);
    m_back->setHidden(hidden);
    if (m_left)
        m_left->setHidden(hidden);
    if (m_right)
        m_right->setHidden(hidden);
}

void CustomNaviBarView::showCoverView(const UIViewRef& view, bool animation)
{
    NSAssertMainThread();
    if (!view)
        return;
    setItemsHidden(true);
    view->removeFromSuperview();
    view->setAlpha(0.4);
    addSubview(view);
    if (animation)
        UIView::animateWithDuration(0.2, [view] { view->setAlpha(1); });
    else
        view->setAlpha(1);
}

void CustomNaviBarView::showCoverViewOnTitleView(const UIViewRef& view)
{
    NSAssertMainThread();
    if (!view)
        return;
    m_title->setHidden(true);
    view->removeFromSuperview();
    view->setFrame(titleViewFrame());
    addSubview(view);
}

void CustomNaviBarView::hideCoverView(const UIViewRef& view)
{
    NSAssertMainThread();
    setItemsHidden(false);
    if (view && view->superview().get() == this)
        view->removeFromSuperview();
}
