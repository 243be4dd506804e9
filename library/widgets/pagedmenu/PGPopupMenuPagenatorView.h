#pragma once
// A paging arrow at either end of a paged pop-up menu's row: a 30-point-wide item view with a
// small white arrow that turns the page on the run loop's next pass and leaves the menu open.

#include "library/widgets/pagedmenu/PGPopupMenuItemView.h"
#include "platform/graphics/CGContext.h"

enum PGPopupMenuPagenatorDirection : NSUInteger {
    PGPopupMenuPagenatorDirectionLeft = 0,
    PGPopupMenuPagenatorDirectionRight = 1,
};

class PGPopupMenuPagenatorView : public PGPopupMenuItemView {
    NS_OBJECT(PGPopupMenuPagenatorView, PGPopupMenuItemView)
public:
    using Action = std::function<void()>;

    static CGFloat pagenatorWidth() { return 30; }
    static std::shared_ptr<PGPopupMenuPagenatorView> leftPagenatorViewWithTarget(const std::shared_ptr<NSObject>& target, Action action)
    {
        return create(PGPopupMenuPagenatorDirectionLeft, target, std::move(action));
    }
    static std::shared_ptr<PGPopupMenuPagenatorView> rightPagenatorViewWithTarget(const std::shared_ptr<NSObject>& target, Action action)
    {
        return create(PGPopupMenuPagenatorDirectionRight, target, std::move(action));
    }

    static UIImageRef arrowImageWithSize(CGSize size, NSUInteger direction, bool highlighted);
    static CGPathRef arrowPathInRect(CGRect rect, NSUInteger direction);
    static void drawArrowInRect(CGRect rect, NSUInteger direction, bool highlighted);

    std::shared_ptr<NSObject> target() const { return m_target.lock(); }
    NSUInteger arrowDirection() const { return m_arrowDirection; }

    CGSize sizeThatFits(CGSize size) const override;
    void performAction() override;

protected:
    void init(NSUInteger arrowDirection, const std::shared_ptr<NSObject>& target, Action action);

private:
    std::weak_ptr<NSObject> m_target;
    Action m_action;
    NSUInteger m_arrowDirection { PGPopupMenuPagenatorDirectionLeft };
};
