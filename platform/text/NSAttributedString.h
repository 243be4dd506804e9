#pragma once
// Text with attributes over ranges, counted in UTF-16 units as the text is. Attributes are
// immutable dictionaries shared between runs; adjacent runs with equal attributes are merged.
// Ranges outside the text raise NSRangeException, as the platform's do.

#include "platform/foundation/NSDictionary.h"
#include "platform/foundation/NSString.h"

#include <functional>
#include <vector>

using NSAttributedStringKey = const char*;
// The keys of the platform's text drawing. The text engine's font, paragraph style, kerning and
// underline keys are the same strings (CTStringAttributes.h).
inline constexpr NSAttributedStringKey NSFontAttributeName = "NSFont";
inline constexpr NSAttributedStringKey NSParagraphStyleAttributeName = "NSParagraphStyle";
inline constexpr NSAttributedStringKey NSForegroundColorAttributeName = "NSColor";
inline constexpr NSAttributedStringKey NSBackgroundColorAttributeName = "NSBackgroundColor";
inline constexpr NSAttributedStringKey NSKernAttributeName = "NSKern";
inline constexpr NSAttributedStringKey NSUnderlineStyleAttributeName = "NSUnderline";
inline constexpr NSAttributedStringKey NSStrikethroughStyleAttributeName = "NSStrikethrough";
inline constexpr NSAttributedStringKey NSLinkAttributeName = "NSLink";

enum NSUnderlineStyle : NSInteger {
    NSUnderlineStyleNone = 0x00,
    NSUnderlineStyleSingle = 0x01,
    NSUnderlineStyleThick = 0x02,
    NSUnderlineStyleDouble = 0x09,
};

using NSAttributedStringEnumerationOptions = NSUInteger;
enum : NSAttributedStringEnumerationOptions {
    NSAttributedStringEnumerationReverse = 1u << 1,
    NSAttributedStringEnumerationLongestEffectiveRangeNotRequired = 1u << 20,
};

using NSAttributes = std::shared_ptr<NSDictionary>;

class NSMutableAttributedString;

class NSAttributedString : public NSObject {
    NS_OBJECT(NSAttributedString, NSObject)
public:
    static std::shared_ptr<NSAttributedString> withString(const NSString& text, const NSAttributes& attributes = nullptr)
    {
        return create(text, attributes);
    }

    const NSString& string() const { return m_string; }
    NSUInteger length() const { return m_string.length(); }

    // The attributes at an index, never nil, and the range of the run holding it.
    NSAttributes attributesAtIndex(NSUInteger index, NSRange* effectiveRange = nullptr) const;
    // The attributes at an index, with the longest range around it, within a range, that has them.
    NSAttributes attributesAtIndexLongest(NSUInteger index, NSRange* longestEffectiveRange, NSRange rangeLimit) const;
    id attributeAtIndex(const NSString& name, NSUInteger index, NSRange* effectiveRange = nullptr) const;
    id attributeAtIndexLongest(const NSString& name, NSUInteger index, NSRange* longestEffectiveRange, NSRange rangeLimit) const;

    // Runs of equal values of one attribute (nil where it is absent), clipped to the range.
    void enumerateAttribute(const NSString& name, NSRange range, NSAttributedStringEnumerationOptions options,
        const std::function<void(const id& value, NSRange range, bool& stop)>& block) const;
    void enumerateAttributesInRange(NSRange range, NSAttributedStringEnumerationOptions options,
        const std::function<void(const NSAttributes& attributes, NSRange range, bool& stop)>& block) const;

    std::shared_ptr<NSAttributedString> attributedSubstringFromRange(NSRange range) const;
    bool isEqualToAttributedString(const std::shared_ptr<NSAttributedString>& other) const;

    bool isEqual(const id& other) const override;
    NSUInteger hash() const override { return m_string.hash(); }
    NSString description() const override;
    id copy() const override;
    id mutableCopy() const override;
    std::shared_ptr<NSMutableAttributedString> mutableCopyAttributedString() const;

protected:
    struct Run {
        NSUInteger start { 0 };
        NSUInteger length { 0 };
        NSAttributes attributes;
    };

    void init(const NSString& text);
    void init(const NSString& text, const NSAttributes& attributes);
    void init(const std::shared_ptr<NSAttributedString>& other);

    void checkRange(NSRange range) const;
    std::size_t runIndexAtIndex(NSUInteger index) const;
    // Recomputes run starts and merges neighbours with equal attributes.
    void normalizeRuns();
    static NSAttributes emptyAttributes();

    NSString m_string { NSString::string() };
    std::vector<Run> m_runs;
};

class NSMutableAttributedString final : public NSAttributedString {
    NS_OBJECT(NSMutableAttributedString, NSAttributedString)
public:
    static std::shared_ptr<NSMutableAttributedString> withString(const NSString& text, const NSAttributes& attributes = nullptr)
    {
        return create(text, attributes);
    }

    // New text takes the attributes of the first character replaced, or of the one before
    // when nothing is replaced.
    void replaceCharactersInRange(NSRange range, const NSString& text);
    void replaceCharactersInRange(NSRange range, const std::shared_ptr<NSAttributedString>& text);
    void deleteCharactersInRange(NSRange range);
    void insertAttributedString(const std::shared_ptr<NSAttributedString>& text, NSUInteger index);
    void appendAttributedString(const std::shared_ptr<NSAttributedString>& text);
    void setAttributedString(const std::shared_ptr<NSAttributedString>& text);

    void setAttributes(const NSAttributes& attributes, NSRange range);
    void addAttribute(const NSString& name, const id& value, NSRange range);
    void addAttributes(const NSAttributes& attributes, NSRange range);
    void removeAttribute(const NSString& name, NSRange range);

    // Kept for callers that batch their edits; edits take effect at once.
    void beginEditing() { }
    void endEditing() { }

    id copy() const override;

private:
    // Splits runs so that a run starts at the index; answers the index of that run.
    std::size_t splitAt(NSUInteger index);
    void editAttributes(NSRange range, const std::function<NSAttributes(const NSAttributes&)>& edit);
    void replace(NSRange range, const NSString& text, const std::vector<Run>& runs);
};
