#include "library/widgets/linklabel/LKAttributedLabelLink.h"

#include "library/widgets/linklabel/LKAttributeCoding.h"
#include "library/widgets/linklabel/LKAttributedLabel.h"
#include "platform/foundation/NSDateFormatter.h"
#include "platform/foundation/TypedValues.h"

namespace {

const bool registeredForCoding = NSCoder::registerClass<LKAttributedLabelLink>();

std::shared_ptr<NSDictionary> copied(const std::shared_ptr<NSDictionary>& dictionary)
{
    return dictionary ? std::static_pointer_cast<NSDictionary>(dictionary->copy()) : nullptr;
}

} // namespace

void LKAttributedLabelLink::init(const std::shared_ptr<NSDictionary>& attributes, const std::shared_ptr<NSDictionary>& activeAttributes,
    const std::shared_ptr<NSDictionary>& inactiveAttributes, const std::shared_ptr<NSTextCheckingResult>& result)
{
    (void)registeredForCoding;
    m_result = result;
    m_attributes = copied(attributes);
    m_activeAttributes = copied(activeAttributes);
    m_inactiveAttributes = copied(inactiveAttributes);
}

void LKAttributedLabelLink::init(LKAttributedLabel& label, const std::shared_ptr<NSTextCheckingResult>& result)
{
    init(label.linkAttributes(), label.activeLinkAttributes(), label.inactiveLinkAttributes(), result);
}

NSString LKAttributedLabelLink::accessibilityValue()
{
    if ((m_accessibilityValue.isNil() || m_accessibilityValue.length() == 0) && m_result) {
        switch (m_result->resultType()) {
        case NSTextCheckingTypeDate:
            if (m_result->date())
                m_accessibilityValue = NSDateFormatter::localizedStringFromDate(m_result->date(), NSDateFormatterFullStyle, NSDateFormatterFullStyle);
            break;
        case NSTextCheckingTypePhoneNumber:
            m_accessibilityValue = m_result->phoneNumber();
            break;
        case NSTextCheckingTypeLink:
            m_accessibilityValue = m_result->URLString();
            break;
        default:
            break;
        }
    }
    return m_accessibilityValue;
}

void LKAttributedLabelLink::encodeWithCoder(NSCoder& coder) const
{
    coder.encodeObject(LKAttributeCoding::encodedResult(m_result), "result");
    coder.encodeObject(LKAttributeCoding::encodedAttributes(m_attributes), "attributes");
    coder.encodeObject(LKAttributeCoding::encodedAttributes(m_activeAttributes), "activeAttributes");
    coder.encodeObject(LKAttributeCoding::encodedAttributes(m_inactiveAttributes), "inactiveAttributes");
    coder.encodeObject(const_cast<LKAttributedLabelLink*>(this)->accessibilityValue(), "accessibilityValue");
}

bool LKAttributedLabelLink::init(NSCoder& coder)
{
    m_result = LKAttributeCoding::decodedResult(coder.decodeObjectForKey("result"));
    m_attributes = LKAttributeCoding::decodedAttributes(coder.decodeObjectForKey("attributes"));
    m_activeAttributes = LKAttributeCoding::decodedAttributes(coder.decodeObjectForKey("activeAttributes"));
    m_inactiveAttributes = LKAttributeCoding::decodedAttributes(coder.decodeObjectForKey("inactiveAttributes"));
    if (const id value = coder.decodeObjectForKey("accessibilityValue"); ns::cast<NSStringObject>(value))
        setAccessibilityValue(ns::textOf(value));
    return true;
}
