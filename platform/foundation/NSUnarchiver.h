#pragma once
// Reads the unkeyed form written by NSArchiver. Streams may come from files, so every reading is
// checked: a truncated stream, a value read with another type than it was written with, an
// unknown class, a reference forward or out of range, or nesting past a limit raises
// NSInvalidUnarchiveOperationException inside a decoder, and unarchiveObjectWithData answers nil.

#include "platform/foundation/NSCoder.h"

#include <cstdint>
#include <vector>

class NSUnarchiver : public NSCoder {
    NS_OBJECT(NSUnarchiver, NSCoder)
public:
    // Nil for a damaged stream or an object its class refuses.
    static id unarchiveObjectWithData(const std::shared_ptr<NSData>& data);

    bool allowsKeyedCoding() const override { return false; }
    using NSCoder::decodeObject;
    bool isAtEnd() const { return m_position >= m_bytes->length(); }

    void decodeValueOfObjCType(const char* type, void* address, NSUInteger size) override;
    void registerDecodingObject(const id& object) override;

    // The keyed operations raise NSInvalidArgumentException; so does encoding.
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
    // False when the data does not start as an unkeyed stream.
    bool init(const std::shared_ptr<NSData>& data);
    id decodeUnkeyedObject() override;

private:
    std::uint8_t readByte();
    std::uint32_t readLength();
    const std::uint8_t* readBytes(std::size_t length);
    std::string readText();

    std::shared_ptr<NSData> m_bytes;
    std::size_t m_position { 0 };
    std::vector<id> m_objects;
    std::size_t m_depth { 0 };
    // Slots of the objects whose initialisers are running, innermost last.
    std::vector<std::size_t> m_decodingSlots;
};
