#include "platform/foundation/NSUnarchiver.h"

#include "platform/foundation/NSArchiver.h"
#include "platform/foundation/NSException.h"
#include "platform/foundation/NSKeyedUnarchiver.h"

#include <algorithm>
#include <bit>
#include <cstring>

using namespace ns::unkeyed;

namespace {

[[noreturn]] void refuseKeyed()
{
    NSException::raise(NSInvalidArgumentException, "NSUnarchiver only supports the unkeyed form");
}

[[noreturn]] void damaged(const char* reason)
{
    NSException::raise(NSInvalidUnarchiveOperationException, "%s", reason);
}

} // namespace

id NSUnarchiver::unarchiveObjectWithData(const std::shared_ptr<NSData>& data)
{
    auto unarchiver = create(data);
    if (!unarchiver)
        return nullptr;
    try {
        return unarchiver->decodeObject();
    } catch (const NSException&) {
        return nullptr;
    }
}

bool NSUnarchiver::init(const std::shared_ptr<NSData>& data)
{
    if (!data || data->length() < sizeof(magic) + 1)
        return false;
    if (std::memcmp(data->bytes(), magic, sizeof(magic)) != 0 || data->bytes()[sizeof(magic)] != version)
        return false;
    m_bytes = data;
    m_position = sizeof(magic) + 1;
    return true;
}

std::uint8_t NSUnarchiver::readByte() { return *readBytes(1); }

const std::uint8_t* NSUnarchiver::readBytes(std::size_t length)
{
    if (length > m_bytes->length() - m_position)
        damaged("the stream ends early");
    const std::uint8_t* bytes = m_bytes->bytes() + m_position;
    m_position += length;
    return bytes;
}

std::uint32_t NSUnarchiver::readLength()
{
    const std::uint8_t* bytes = readBytes(4);
    return std::uint32_t(bytes[0]) | std::uint32_t(bytes[1]) << 8 | std::uint32_t(bytes[2]) << 16
        | std::uint32_t(bytes[3]) << 24;
}

std::string NSUnarchiver::readText()
{
    std::uint32_t length = readLength();
    const std::uint8_t* bytes = readBytes(length);
    return std::string(reinterpret_cast<const char*>(bytes), length);
}

void NSUnarchiver::decodeValueOfObjCType(const char* type, void* address, NSUInteger size)
{
    std::size_t typeSize = sizeOfType(type);
    if (!typeSize || !address || size < typeSize)
        NSException::raise(NSInvalidArgumentException, "cannot read a value of type \"%s\" into %lu bytes",
            type ? type : "", static_cast<unsigned long>(size));
    if (readByte() != TagValue)
        damaged("a value was asked for where the stream holds an object");
    if (readByte() != static_cast<std::uint8_t>(type[0]))
        damaged("a value is read with another type than it was written with");
    std::uint8_t value[8];
    std::memcpy(value, readBytes(typeSize), typeSize);
    if constexpr (std::endian::native == std::endian::big)
        std::reverse(value, value + typeSize);
    std::memcpy(address, value, typeSize);
}

void NSUnarchiver::registerDecodingObject(const id& object)
{
    if (!m_decodingSlots.empty() && object)
        m_objects[m_decodingSlots.back()] = object;
}

id NSUnarchiver::decodeUnkeyedObject()
{
    switch (readByte()) {
    case TagNil:
        return nullptr;
    case TagReference: {
        std::uint32_t index = readLength();
        if (index >= m_objects.size() || !m_objects[index])
            damaged("a reference to an object not read before");
        return m_objects[index];
    }
    case TagValueObject: {
        std::uint32_t length = readLength();
        const std::uint8_t* bytes = readBytes(length);
        id object = NSKeyedUnarchiver::unarchiveObjectWithData(NSData::dataWithBytes(bytes, length));
        if (!object)
            damaged("a value object cannot be read");
        m_objects.push_back(object);
        return object;
    }
    case TagCodedObject: {
        std::string name = readText();
        auto registered = registeredClass(name);
        if (!registered)
            damaged("an object of an unknown class");
        if (m_depth >= maximumNesting)
            damaged("objects nest too deep");
        // The slot is taken before the members are read, in the order the archiver numbered them.
        std::size_t slot = m_objects.size();
        m_objects.push_back(nullptr);
        ++m_depth;
        struct Leave {
            std::size_t& depth;
            ~Leave() { --depth; }
        } leave { m_depth };
        m_decodingSlots.push_back(slot);
        id object;
        try {
            object = registered->factory(*this);
        } catch (...) {
            m_decodingSlots.pop_back();
            throw;
        }
        m_decodingSlots.pop_back();
        if (readByte() != TagEnd)
            damaged("an object reads fewer or other values than were written");
        m_objects[slot] = object;
        return object;
    }
    default:
        damaged("an object was asked for where the stream holds a value");
    }
}

void NSUnarchiver::encodeObject(const id&, const NSString&) { refuseKeyed(); }
void NSUnarchiver::encodeBool(bool, const NSString&) { refuseKeyed(); }
void NSUnarchiver::encodeInt64(std::int64_t, const NSString&) { refuseKeyed(); }
void NSUnarchiver::encodeDouble(double, const NSString&) { refuseKeyed(); }
void NSUnarchiver::encodeBytes(const void*, NSUInteger, const NSString&) { refuseKeyed(); }
bool NSUnarchiver::containsValueForKey(const NSString&) const { refuseKeyed(); }
id NSUnarchiver::decodeObjectForKey(const NSString&) { refuseKeyed(); }
bool NSUnarchiver::decodeBoolForKey(const NSString&) { refuseKeyed(); }
std::int64_t NSUnarchiver::decodeInt64ForKey(const NSString&) { refuseKeyed(); }
double NSUnarchiver::decodeDoubleForKey(const NSString&) { refuseKeyed(); }
std::shared_ptr<NSData> NSUnarchiver::decodeBytesForKey(const NSString&) { refuseKeyed(); }
