#pragma once
// A set of Unicode code points, immutable once made. Membership is by code point, so sets
// written with supplementary characters match surrogate pairs as a whole.

#include "platform/foundation/NSString.h"

#include <memory>

class NSMutableCharacterSet;

class NSCharacterSet : public NSObject {
    NS_OBJECT(NSCharacterSet, NSObject)
public:
    static std::shared_ptr<NSCharacterSet> whitespaceCharacterSet();
    static std::shared_ptr<NSCharacterSet> whitespaceAndNewlineCharacterSet();
    static std::shared_ptr<NSCharacterSet> newlineCharacterSet();
    static std::shared_ptr<NSCharacterSet> decimalDigitCharacterSet();
    static std::shared_ptr<NSCharacterSet> letterCharacterSet();
    static std::shared_ptr<NSCharacterSet> alphanumericCharacterSet();
    static std::shared_ptr<NSCharacterSet> punctuationCharacterSet();
    static std::shared_ptr<NSCharacterSet> uppercaseLetterCharacterSet();
    static std::shared_ptr<NSCharacterSet> lowercaseLetterCharacterSet();
    static std::shared_ptr<NSCharacterSet> controlCharacterSet();
    static std::shared_ptr<NSCharacterSet> characterSetWithCharactersInString(const NSString& characters);
    static std::shared_ptr<NSCharacterSet> characterSetWithRange(NSRange range);
    // The sets of characters a URL part may carry unescaped.
    static std::shared_ptr<NSCharacterSet> URLQueryAllowedCharacterSet();
    static std::shared_ptr<NSCharacterSet> URLPathAllowedCharacterSet();
    static std::shared_ptr<NSCharacterSet> URLHostAllowedCharacterSet();
    static std::shared_ptr<NSCharacterSet> URLFragmentAllowedCharacterSet();
    static std::shared_ptr<NSCharacterSet> URLUserAllowedCharacterSet();
    static std::shared_ptr<NSCharacterSet> URLPasswordAllowedCharacterSet();

    bool characterIsMember(unichar character) const;
    bool longCharacterIsMember(char32_t codePoint) const;
    std::shared_ptr<NSCharacterSet> invertedSet() const;
    std::shared_ptr<NSMutableCharacterSet> mutableCopyOfSet() const;

    bool isEqual(const id& other) const override;
    NSUInteger hash() const override;

protected:
    void init();
    void init(const NSCharacterSet& other);

    struct Storage;
    std::shared_ptr<Storage> m_storage;
    // Membership of the ASCII range, checked first because nearly every lookup lands there.
    std::uint64_t m_ascii[2] { 0, 0 };
    void rebuildASCIICache();
    friend class NSMutableCharacterSet;
};

class NSMutableCharacterSet final : public NSCharacterSet {
    NS_OBJECT(NSMutableCharacterSet, NSCharacterSet)
public:
    void addCharactersInString(const NSString& characters);
    void addCharactersInRange(NSRange range);
    void removeCharactersInString(const NSString& characters);
    void removeCharactersInRange(NSRange range);
    void formUnionWithCharacterSet(const NSCharacterSet& other);
    void formIntersectionWithCharacterSet(const NSCharacterSet& other);
    void invert();
};
