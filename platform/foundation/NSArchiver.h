#pragma once
// Writes object graphs in the unkeyed form: a stream of values and objects that an NSUnarchiver
// reads back in the same order. Classes see allowsKeyedCoding() false and write their fields
// with encodeValueOfObjCType and encodeObject:
//
//     if (!coder.allowsKeyedCoding()) {
//         coder.encodeObject(m_data);
//         coder.encodeValueOfObjCType("i", &m_format);
//     }
//
// A coded object is written as its class name and what its encodeWithCoder writes; value objects
// (strings, numbers, data, collections) are written as keyed archives of their own. An object
// met twice is written once and referred to afterwards.

#include "platform/foundation/NSCoder.h"

#include <cstdint>
#include <unordered_map>
#include <vector>

class NSArchiver : public NSCoder {
    NS_OBJECT(NSArchiver, NSCoder)
public:
    // Raises NSInvalidArgumentException for an object that supports no coding.
    static std::shared_ptr<NSData> archivedDataWithRootObject(const id& rootObject);

    bool allowsKeyedCoding() const override { return false; }
    using NSCoder::encodeObject;

    void encodeValueOfObjCType(const char* type, const void* address) override;

    // What has been written so far.
    std::shared_ptr<NSData> archiverData() const;

    // The keyed operations raise NSInvalidArgumentException; so does decoding.
    void encodeObject(const id& object, const NSString& key) override;
    void encodeBool(bool value, const NSString& key) override;
    void encodeInt64(std::int64_t value, const NSString& key) override;
    void encodeDouble(double value, const NSString& key) override;
    void encodeBytes(const void* bytes, NSUInteger length, const NSString& key) override;
    bool containsValueForKey(const NSString& key) const override;
    id decodeObjectForKey(const NSString& key) override;
    bool decodeBoolForKey(const NSString& key) override;
    std::int64_t decodeInt64ForKey(const NSString& key) override;
    double decodeDoubleForKey(const NSString& key) override;
    std::shared_ptr<NSData> decodeBytesForKey(const NSString& key) override;

protected:
    void init();
    void encodeUnkeyedObject(const id& object) override;

private:
    void appendLength(std::uint32_t length);
    void appendText(const std::string& text);

    std::vector<std::uint8_t> m_bytes;
    std::unordered_map<const NSObject*, std::uint32_t> m_written;
    // Keeps every written object alive so that its address stays its identity.
    std::vector<id> m_objects;
    std::size_t m_depth { 0 };
};

namespace ns::unkeyed {

// The stream's opening bytes and item tags, shared with NSUnarchiver.
inline constexpr std::uint8_t magic[4] = { 'C', 'V', 'U', 'A' };
inline constexpr std::uint8_t version = 1;
enum Tag : std::uint8_t {
    TagValue = 'v',
    TagNil = 'n',
    TagCodedObject = 'o',
    TagValueObject = 'k',
    TagReference = 'r',
    TagEnd = 'e',
};
inline constexpr std::size_t maximumNesting = 64;

// The size of a scalar type code, 0 for a type the unkeyed form does not carry.
std::size_t sizeOfType(const char* type);

} // namespace ns::unkeyed
