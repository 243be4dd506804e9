#pragma once
// One link of an attributed link label: what it points at and the character range it covers,
// the attributes it shows normally, pressed and dimmed, and what it says to a screen reader.

#include "platform/foundation/NSCoder.h"
#include "platform/foundation/NSDictionary.h"
#include "platform/foundation/NSTextCheckingResult.h"

class LKAttributedLabel;

class LKAttributedLabelLink : public NSObject, public NSCoding {
    NS_OBJECT(LKAttributedLabelLink, NSObject)
public:
    using Block = std::function<void(LKAttributedLabel&, LKAttributedLabelLink&)>;

    const std::shared_ptr<NSTextCheckingResult>& result() const { return m_result; }
    const std::shared_ptr<NSDictionary>& attributes() const { return m_attributes; }
    const std::shared_ptr<NSDictionary>& activeAttributes() const { return m_activeAttributes; }
    const std::shared_ptr<NSDictionary>& inactiveAttributes() const { return m_inactiveAttributes; }

    // Derived once from the result when empty: a date in full, the phone number, the address.
    NSString accessibilityValue();
    void setAccessibilityValue(const NSString& value) { m_accessibilityValue = value; }

    const Block& linkTapBlock() const { return m_linkTapBlock; }
    void setLinkTapBlock(Block block) { m_linkTapBlock = std::move(block); }
    const Block& linkLongPressBlock() const { return m_linkLongPressBlock; }
    void setLinkLongPressBlock(Block block) { m_linkLongPressBlock = std::move(block); }

    void encodeWithCoder(NSCoder& coder) const override;

protected:
    void init(const std::shared_ptr<NSDictionary>& attributes, const std::shared_ptr<NSDictionary>& activeAttributes,
        const std::shared_ptr<NSDictionary>& inactiveAttributes, const std::shared_ptr<NSTextCheckingResult>& result);
    void init(LKAttributedLabel& label, const std::shared_ptr<NSTextCheckingResult>& result);
    bool init(NSCoder& coder);

private:
    std::shared_ptr<NSTextCheckingResult> m_result;
    std::shared_ptr<NSDictionary> m_attributes;
    std::shared_ptr<NSDictionary> m_activeAttributes;
    std::shared_ptr<NSDictionary> m_inactiveAttributes;
    NSString m_accessibilityValue;
    Block m_linkTapBlock;
    Block m_linkLongPressBlock;
};
