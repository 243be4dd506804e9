#pragma once
// The paged pop-up menu drawn glossy: a black outline, a one-point rim, an upper and a lower
// gradient, embossed separators between the items and a gradient arrow; blue when highlighted.

#include "library/widgets/pagedmenu/PGPopupMenu.h"

class PGPlasticPopupMenu : public PGPopupMenu {
    NS_OBJECT(PGPlasticPopupMenu, PGPopupMenu)
public:
    static std::shared_ptr<PGPlasticPopupMenu> popupMenuWithItems(const std::vector<PGPopupMenuItemRef>& items) { return create(items); }

    CGPathRef upperHeadPathInRect(CGRect rect, CGFloat cornerRadius) const;
    CGPathRef lowerHeadPathInRect(CGRect rect, CGFloat cornerRadius) const;
    CGPathRef upperTailPathInRect(CGRect rect, CGFloat cornerRadius) const;
    CGPathRef lowerTailPathInRect(CGRect rect, CGFloat cornerRadius) const;

    void drawArrowInRect(CGRect rect, NSUInteger direction, bool highlighted) override;
    void drawHeadInRect(CGRect rect, CGFloat cornerRadius, bool highlighted) override;
    void drawTailInRect(CGRect rect, CGFloat cornerRadius, bool highlighted) override;
    void drawBodyInRect(CGRect rect, bool firstItem, bool lastItem, bool highlighted) override;
    void drawLeftSeparatorInRect(CGRect rect, bool highlighted);
    void drawRightSeparatorInRect(CGRect rect, bool highlighted);

protected:
    void init(const std::vector<PGPopupMenuItemRef>& items) { PGPopupMenu::init(items); }
};
