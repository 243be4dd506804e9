#include "app/training/GoodsInfoViewController.h"

#include "app/screens/base/ScreenImages.h"
#include "app/screens/base/UIColor_Addition.h"
#include "app/training/OrderInfoViewController.h"
#include "library/network/images/RIImageManager.h"
#include "library/widgets/hud/STProgressHUD.h"
#include "library/widgets/richlabel/RAAttributedLabel.h"
#include "platform/foundation/TypedValues.h"
#include "platform/text/NSStringDrawing.h"
#include "platform/text/UIFont.h"
#include "platform/uikit/UILabel.h"

namespace {

constexpr const char* kGoodsAction = "SYSBL/BRENLOW/DTTM/PUBL/ZXZF/QUERYGOODSBYID";
constexpr CGFloat kHeaderHeight = 70;

} // namespace

void GoodsInfoViewController::loadView()
{
    NoXibViewController::loadView();
    auto root = view();
    root->setClipsToBounds(true);
    root->setBackgroundColor(UIColor_Addition::colorWithHexString("f6f6f6"));
    setNaviBarRightBtn(nullptr);
    setNaviBarTitle("商品详情");
    const CGFloat W = root->bounds().size.width;
    const CGFloat h = getNaviBarRect().size.height;
    const CGRect frame = CGRectMake(0, h, W, root->bounds().size.height - h);
    m_containerView = UIView::create(frame);
    addNothingView(frame, m_containerView);
    m_containerView->setBackgroundColor(UIColor_Addition::colorWithHexString("f6f6f6"));
    m_containerView->setHidden(true);
    root->addSubview(m_containerView);
    auto header = UIView::create(CGRectMake(0, 0, W, kHeaderHeight));
    header->setBackgroundColor(UIColor::whiteColor());
    m_containerView->addSubview(header);
    m_goodsImage = UIImageView::create(CGRectMake(10, 5, 60, 60));
    m_goodsImage->setImage(UIImage::imageNamed("ic_item"));
    header->addSubview(m_goodsImage);
    m_nameLab = InsetsLabel::create(CGRectMake(80, 24.5, W - 90, 21), UIEdgeInsetsMake(0, 10, 0, 0));
    m_nameLab->setBackgroundColor(UIColor::clearColor());
    m_nameLab->setFont(UIFont::systemFontOfSize(16));
    m_nameLab->setTextColor(UIColor::blackColor());
    m_nameLab->setNumberOfLines(0);
    header->addSubview(m_nameLab);

    auto section = UIView::create(CGRectMake(0, 80, W, 44));
    section->setBackgroundColor(UIColor::whiteColor());
    m_containerView->addSubview(section);
    auto sectionLabel = InsetsLabel::create(CGRectMake(0, 11.5, W, 21), UIEdgeInsetsMake(0, 20, 0, 0));
    sectionLabel->setBackgroundColor(UIColor::whiteColor());
    sectionLabel->setFont(UIFont::systemFontOfSize(16));
    sectionLabel->setText("商品介绍");
    section->addSubview(sectionLabel);
    auto accent = UIView::create(CGRectMake(0, 0, 15, 44));
    accent->setBackgroundColor(UIColor_Addition::colorWithHexString("e66444"));
    section->addSubview(accent);

    const CGFloat containerHeight = frame.size.height;
    m_vScrollView = UIScrollView::create(CGRectMake(0, 125, W, containerHeight - 50 - 10 - 125));
    m_vScrollView->setBackgroundColor(UIColor::whiteColor());
    m_vScrollView->setShowsVerticalScrollIndicator(false);
    m_vScrollView->setShowsHorizontalScrollIndicator(false);
    m_containerView->addSubview(m_vScrollView);

    auto submit = UIButton::buttonWithType(UIButtonTypeCustom);
    submit->setFrame(CGRectMake(10, containerHeight - 50, W - 20, 40));
    submit->setBackgroundImage(stretchableImageNamed("bt_blu", 20), UIControlStateNormal);
    submit->setBackgroundImage(stretchableImageNamed("bt_red", 20), UIControlStateHighlighted);
    submit->setTitle("提交订单", UIControlStateNormal);
    submit->setTitleColor(UIColor::whiteColor(), UIControlStateNormal);
    submit->titleLabel()->setFont(UIFont::systemFontOfSize(20));
    submit->addTarget(self(), &GoodsInfoViewController::saveEvent, UIControlEventTouchUpInside);
    m_containerView->addSubview(submit);
}

void GoodsInfoViewController::loadData()
{
    STProgressHUD::showInView(view());
    auto fields = NSMutableDictionary::dictionary();
    fields->setObject(NSString("100201500001"), NSString("GOODS_ID"));
    fields->setObject(NSString("400"), NSString("PROJECT_CODE"));
    requestPurchaseRow(kGoodsAction, fields, [this](const std::shared_ptr<NSDictionary>& row) { goodsCompletion(row); });
}

void GoodsInfoViewController::goodsCompletion(const std::shared_ptr<NSDictionary>& row)
{
    m_goods = Goods::goodsWithRow(row);

    m_nameLab->setLineBreakMode(NSLineBreakByWordWrapping);
    m_nameLab->setText(m_goods->name);
    CGRect frame = m_nameLab->frame();
    const CGSize measured = m_nameLab->sizeThatFits(CGSizeMake(frame.size.width - 10, 1000));
    if (measured.height <= kHeaderHeight) {
        frame.size.height = measured.height;
        frame.origin.y = (kHeaderHeight - measured.height) / 2;
    } else {
        frame.origin.y = 0;
        frame.size.height = kHeaderHeight;
    }
    m_nameLab->setFrame(frame);

    std::weak_ptr<UIImageView> weakImage = m_goodsImage;
    RIImageManager::sharedManager()->downloadImageWithURL(NSURL::URLWithString(m_goods->imgUrl), 0, nullptr,
        [weakImage](const UIImageRef& image, const std::shared_ptr<NSError>&, RIImageCacheType, bool, const std::shared_ptr<NSURL>&) {
            if (auto view = weakImage.lock())
                view->setImage(image ? image : UIImage::imageNamed("ic_item"));
        });

    for (const auto& subview : std::vector<UIViewRef>(m_vScrollView->subviews()))
        subview->removeFromSuperview();
    const CGFloat width = m_vScrollView->bounds().size.width - 20;
    auto detail = RAAttributedLabel::create(CGRectMake(10, 5, width, 0));
    detail->setLineSpacing(5);
    detail->setParagraphSpacing(10);
    detail->setNumberOfLines(0);
    detail->setFont(UIFont::systemFontOfSize(15));
    detail->setLineBreakMode(NSLineBreakByWordWrapping);
    detail->setBackgroundColor(UIColor::whiteColor());
    detail->setText(m_goods->detail.isNil() ? NSString("") : m_goods->detail);
    const CGSize size = detail->sizeThatFits(CGSizeMake(width, CGFLOAT_MAX));
    detail->setFrame(CGRectMake(10, 5, size.width, size.height));
    m_vScrollView->addSubview(detail);
    m_vScrollView->setContentSize(CGSizeMake(m_vScrollView->bounds().size.width, size.height + 10));
    STProgressHUD::dismiss();
}

void GoodsInfoViewController::saveEvent(UIControl&)
{
    if (!m_goods)
        return;
    auto order = OrderInfoViewController::create();
    order->setGoods(m_goods);
    order->setGoBackViewController(m_goBackViewController);
    if (auto navigation = navigationController())
        navigation->pushViewController(order, true);
}
