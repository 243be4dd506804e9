#pragma once
// What a link label reports about its links. Each operation answers whether it is implemented
// (false by default); a link whose own operation is missing goes to the text-checking-result one.
// A long press reports where it pressed, in the label's own space.

#include "platform/foundation/NSTextCheckingResult.h"
#include "platform/foundation/NSTimeZone.h"
#include "platform/graphics/CGGeometry.h"

class LKAttributedLabel;

class LKAttributedLabelDelegate {
public:
    virtual ~LKAttributedLabelDelegate() = default;
    virtual bool attributedLabelDidSelectLinkWithURL(LKAttributedLabel&, const id& /*URL*/) { return false; }
    virtual bool attributedLabelDidSelectLinkWithAddress(LKAttributedLabel&, const std::shared_ptr<NSDictionary>&) { return false; }
    virtual bool attributedLabelDidSelectLinkWithPhoneNumber(LKAttributedLabel&, const NSString&) { return false; }
    virtual bool attributedLabelDidSelectLinkWithDate(LKAttributedLabel&, const std::shared_ptr<NSDate>&) { return false; }
    virtual bool attributedLabelDidSelectLinkWithDate(LKAttributedLabel&, const std::shared_ptr<NSDate>&, const std::shared_ptr<NSTimeZone>&,
        NSTimeInterval /*duration*/)
    {
        return false;
    }
    virtual bool attributedLabelDidSelectLinkWithTransitInformation(LKAttributedLabel&, const std::shared_ptr<NSDictionary>&) { return false; }
    virtual bool attributedLabelDidSelectLinkWithTextCheckingResult(LKAttributedLabel&, const std::shared_ptr<NSTextCheckingResult>&) { return false; }

    virtual bool attributedLabelDidLongPressLinkWithURL(LKAttributedLabel&, const id& /*URL*/, CGPoint) { return false; }
    virtual bool attributedLabelDidLongPressLinkWithAddress(LKAttributedLabel&, const std::shared_ptr<NSDictionary>&, CGPoint) { return false; }
    virtual bool attributedLabelDidLongPressLinkWithPhoneNumber(LKAttributedLabel&, const NSString&, CGPoint) { return false; }
    virtual bool attributedLabelDidLongPressLinkWithDate(LKAttributedLabel&, const std::shared_ptr<NSDate>&, CGPoint) { return false; }
    virtual bool attributedLabelDidLongPressLinkWithDate(LKAttributedLabel&, const std::shared_ptr<NSDate>&, const std::shared_ptr<NSTimeZone>&,
        NSTimeInterval /*duration*/, CGPoint)
    {
        return false;
    }
    virtual bool attributedLabelDidLongPressLinkWithTransitInformation(LKAttributedLabel&, const std::shared_ptr<NSDictionary>&, CGPoint) { return false; }
    virtual bool attributedLabelDidLongPressLinkWithTextCheckingResult(LKAttributedLabel&, const std::shared_ptr<NSTextCheckingResult>&, CGPoint)
    {
        return false;
    }
};
