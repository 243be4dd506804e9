// The keyboard manager's view-tree questions that it does not ask itself yet: the frame
// shorthands of centre and origin, transforms seen from another view, the debug descriptions and
// the flag a view sees while it is asked whether it can take the keyboard.
#include "library/widgets/keyboard/UIView_KMHierarchy.h"

#include "platform/uikit/UITextField.h"

#include <gtest/gtest.h>

using namespace KM_UIView_Frame;
using namespace KM_UIView_Hierarchy;

namespace {

class AskedField : public UITextField {
    NS_OBJECT(AskedField, UITextField)
public:
    bool canBecomeFirstResponder() const override
    {
        askedWhileAsking = isAskingCanBecomeFirstResponder(*this);
        return true;
    }
    mutable bool askedWhileAsking { false };
};

} // namespace

TEST(ViewHierarchyMembers, centreAndOriginShorthandsReadAndMoveTheFrame)
{
    auto view = UIView::create(CGRectMake(10, 20, 100, 40));
    EXPECT_TRUE(CGPointEqualToPoint(KM_origin(*view), CGPointMake(10, 20)));
    EXPECT_TRUE(CGSizeEqualToSize(KM_size(*view), CGSizeMake(100, 40)));
    EXPECT_DOUBLE_EQ(KM_centerX(*view), 60);
    EXPECT_DOUBLE_EQ(KM_centerY(*view), 40);
    EXPECT_TRUE(CGPointEqualToPoint(KM_boundsCenter(*view), CGPointMake(50, 20)));
    setKM_centerX(*view, 0);
    setKM_centerY(*view, 0);
    EXPECT_TRUE(CGRectEqualToRect(view->frame(), CGRectMake(-50, -20, 100, 40)));
    setKM_origin(*view, CGPointMake(1, 2));
    setKM_size(*view, CGSizeMake(3, 4));
    EXPECT_TRUE(CGRectEqualToRect(view->frame(), CGRectMake(1, 2, 3, 4)));
}

TEST(ViewHierarchyMembers, transformsAreSeenFromAnotherViewAndTheTreeDescribesItself)
{
    auto root = UIView::create(CGRectMake(0, 0, 320, 480));
    auto scaled = UIView::create(CGRectMake(0, 0, 100, 100));
    auto inner = UIScrollView::create(CGRectMake(10, 10, 50, 50));
    inner->setContentSize(CGSizeMake(50, 200));
    root->addSubview(scaled);
    scaled->addSubview(inner);
    scaled->setTransform(CGAffineTransformMakeScale(2, 2));
    inner->setTransform(CGAffineTransformMakeRotation(0));
    const CGAffineTransform toRoot = convertTransformToView(*inner, root.get());
    EXPECT_DOUBLE_EQ(toRoot.a, 2);
    const CGAffineTransform toScaled = convertTransformToView(*inner, scaled.get());
    EXPECT_DOUBLE_EQ(toScaled.a, 1);
    EXPECT_DOUBLE_EQ(convertTransformToView(*inner, nullptr).a, 2); // no window: the whole chain

    EXPECT_EQ(debugHierarchy(*inner), NSString("UIScrollView: ( 10, 10, 50, 50 ) contentSize: ( 50, 200 )"));
    EXPECT_TRUE(debugHierarchy(*scaled).containsString("transform: [2, 0, 0, 2, 0, 0]"));
    const std::string below = subHierarchy(*root).UTF8String();
    EXPECT_EQ(below.find("\nUIView: ( 0, 0, 320, 480 )"), 0u);
    EXPECT_NE(below.find("\n|  |  UIScrollView"), std::string::npos);
    const std::string above = superHierarchy(*inner).UTF8String();
    EXPECT_EQ(above.find("\nUIView: ( 0, 0, 320, 480 )\n|  UIView"), 0u);
    EXPECT_TRUE(KM_Logging::KMDescription(*root).hasPrefix("<UIView 0x"));
}

TEST(ViewHierarchyMembers, aViewKnowsWhenItIsAskedWhetherItCanTakeTheKeyboard)
{
    auto field = AskedField::create(CGRectMake(0, 0, 100, 30));
    EXPECT_TRUE(canBecomeFirstResponder(*field));
    EXPECT_TRUE(field->askedWhileAsking);
    EXPECT_FALSE(isAskingCanBecomeFirstResponder(*field));
    field->canBecomeFirstResponder();
    EXPECT_FALSE(field->askedWhileAsking);
}
