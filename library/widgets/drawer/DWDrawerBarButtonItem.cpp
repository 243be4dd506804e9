#include "library/widgets/drawer/DWDrawerBarButtonItem.h"

#include "library/network/device/UIDevice_System.h"
#include "platform/graphics/UIGraphics.h"
#include "platform/uikit/UIRectFill.h"

#include <cmath>

const UIImageRef& DWDrawerBarButtonItem::drawerButtonItemImage()
{
    static const UIImageRef image = [] {
        UIGraphicsBeginImageContextWithOptions(CGSizeMake(26, 26), false, 0);
        if (auto context = UIGraphicsGetCurrentContext())
            CGContextSetRGBFillColor(context, 1, 1, 1, 1);
        const CGFloat barWidth = 16, barHeight = 1;
        const CGFloat x = std::floor((26 - barWidth) * 0.5 + 0.5);
        for (CGFloat ratio : { 0.72, 0.48, 0.24 })
            UIRectFill(CGRectMake(x, std::floor((26 - barHeight) * ratio + 0.5), barWidth, barHeight));
        auto drawn = UIGraphicsGetImageFromCurrentImageContext();
        UIGraphicsEndImageContext();
        return drawn;
    }();
    return image;
}

void DWDrawerBarButtonItem::initWithTargetAction()
{
    if (UIDevice_System::isSystemGreaterEqualOS7(UIDevice::currentDevice())) {
        UIBarButtonItem::init(drawerButtonItemImage(), UIBarButtonItemStylePlain);
        return;
    }
    auto button = DWDrawerMenuButtonView::create(CGRectMake(0, 0, 26, 26));
    UIBarButtonItem::init(std::static_pointer_cast<UIView>(button));
    button->addTarget(self(), &DWDrawerBarButtonItem::touchUpInside, UIControlEventTouchUpInside);
    m_buttonView = button;
}

namespace {

const NSString kTargetKey = "DWDrawerBarButtonItemTarget";
const NSString kActionKey = "DWDrawerBarButtonItemAction";
const bool registeredForCoding = NSCoder::registerClass<DWDrawerBarButtonItem>();

} // namespace

std::map<std::string, std::vector<DWDrawerBarButtonItem::NamedAction>>& DWDrawerBarButtonItem::namedActions()
{
    static std::map<std::string, std::vector<NamedAction>> actions;
    return actions;
}

void DWDrawerBarButtonItem::init(NSCoder& coder)
{
    (void)registeredForCoding;
    initWithTargetAction();
    // The item only points at its target, most often the owner being read around it.
    const id target = coder.decodeWeakObjectForKey(kTargetKey);
    const NSString name = NSString::fromId(coder.decodeObjectForKey(kActionKey));
    if (!target || name.isNil())
        return;
    // The action may be registered for a class the target's own class derives from.
    const auto registered = NSCoder::registeredClass(target->className());
    const std::vector<std::string> chain = registered ? registered->classChain : std::vector<std::string> { target->className() };
    const std::string wanted = name.UTF8String();
    for (const auto& className : chain) {
        const auto found = namedActions().find(className);
        if (found == namedActions().end())
            continue;
        for (const auto& entry : found->second) {
            if (entry.name == wanted) {
                entry.set(*this, target);
                m_actionName = entry.name;
                return;
            }
        }
    }
}

void DWDrawerBarButtonItem::encodeWithCoder(NSCoder& coder) const
{
    if (auto owner = target(); owner && !m_actionName.empty()) {
        coder.encodeConditionalObject(owner, kTargetKey);
        coder.encodeObject(NSString(m_actionName), kActionKey);
    }
}

void DWDrawerBarButtonItem::touchUpInside(UIButton&) { sendAction(); }

UIColorRef DWDrawerBarButtonItem::menuButtonColorForState(UIControlState state) const
{
    return m_buttonView ? m_buttonView->menuButtonColorForState(state) : nullptr;
}

void DWDrawerBarButtonItem::setMenuButtonColor(const UIColorRef& color, UIControlState state)
{
    if (m_buttonView)
        m_buttonView->setMenuButtonColor(color, state);
}

UIColorRef DWDrawerBarButtonItem::shadowColorForState(UIControlState state) const
{
    return m_buttonView ? m_buttonView->shadowColorForState(state) : nullptr;
}

void DWDrawerBarButtonItem::setShadowColor(const UIColorRef& color, UIControlState state)
{
    if (m_buttonView)
        m_buttonView->setShadowColor(color, state);
}

void DWDrawerBarButtonItem::setTintColor(const UIColorRef& color)
{
    UIBarButtonItem::setTintColor(color);
    if (m_buttonView)
        m_buttonView->setTintColor(color);
}
