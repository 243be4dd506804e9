#include "library/widgets/foldingtable/FolderCoverView.h"

void FolderCoverView::init(CGRect frame, CGFloat offset)
{
    UIControl::init(frame);
    createHighlightWithFrame(frame);
    m_cover = UIView::create(CGRectMake(0, 0, frame.size.width, std::max(CGFloat(0), frame.size.height - offset)));
    m_cover->setBackgroundColor(UIColor::whiteColor());
    m_cover->setAlpha(0);
    addSubview(m_cover);
}

void FolderCoverView::createHighlightWithFrame(CGRect frame)
{
    m_highlight = CALayer::layer();
    m_highlight->setFrame(CGRectMake(frame.origin.x, frame.origin.y, frame.size.width, 1));
    m_highlight->setAnchorPoint(CGPointZero);
    m_highlight->setBackgroundColor(UIColor::colorWithWhite(1, 0.3)->CGColor());
    layer()->addSublayer(m_highlight);
}

void FolderCoverView::setIsTopView(bool isTop)
{
    CGRect frame = m_highlight->frame();
    frame.origin = CGPointMake(0, isTop ? bounds().size.height - 1 : 0);
    m_highlight->setFrame(frame);
}
