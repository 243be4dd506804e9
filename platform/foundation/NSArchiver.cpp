#include "platform/foundation/NSArchiver.h"

#include "platform/foundation/NSException.h"
#include "platform/foundation/NSKeyedArchiver.h"

#include <algorithm>
#include <bit>
#include <cstring>

using namespace ns::unkeyed;

std::size_t ns::unkeyed::sizeOfType(const char* type)
{
    if (!type || std::strlen(type) != 1)
        return 0;
    switch (type[0]) {
    case 'c':
    case 'C':
    case 'B':
        return 1;
    case 's':
    case 'S':
        return 2;
    case 'i':
    case 'I':
    case 'f':
        return 4;
    case 'l':
    case 'L':
        return sizeof(long);
    case 'q':
    case 'Q':
    case 'd':
        return 8;
    default:
        return 0;
    }
}

namespace {

[[noreturn]] void refuseKeyed()
{
    NSException::raise(NSInvalidArgumentException, "NSArchiver only supports the unkeyed form");
}

} // namespace

std::shared_ptr<NSData> NSArchiver::archivedDataWithRootObject(const id& rootObject)
{
    auto archiver = create();
    archiver->encodeObject(rootObject);
    return archiver->archiverData();
}

void NSArchiver::init()
{
    m_bytes.assign(std::begin(magic), std::end(magic));
    m_bytes.push_back(version);
}

std::shared_ptr<NSData> NSArchiver::archiverData() const { return NSData::dataWithBytes(m_bytes.data(), m_bytes.size()); }

void NSArchiver::appendLength(std::uint32_t length)
{
    for (int shift = 0; shift < 32; shift += 8)
        m_bytes.push_back(static_cast<std::uint8_t>(length >> shift));
}

void NSArchiver::appendText(const std::string& text)
{
    appendLength(static_cast<std::uint32_t>(text.size()));
    m_bytes.insert(m_bytes.end(), text.begin(), text.end());
}

void NSArchiver::encodeValueOfObjCType(const char* type, const void* address)
{
    std::size_t size = sizeOfType(type);
    if (!size || !address)
        NSException::raise(NSInvalidArgumentException, "cannot archive a value of type \"%s\"", type ? type : "");
    m_bytes.push_back(TagValue);
    m_bytes.push_back(static_cast<std::uint8_t>(type[0]));
    // Little-endian whatever the host, so that streams move between machines.
    std::uint8_t value[8];
    std::memcpy(value, address, size);
    if constexpr (std::endian::native == std::endian::big)
        std::reverse(value, value + size);
    m_bytes.insert(m_bytes.end(), value, value + size);
}

void NSArchiver::encodeUnkeyedObject(const id& object)
{
    if (!object) {
        m_bytes.push_back(TagNil);
        return;
    }
    if (auto found = m_written.find(object.get()); found != m_written.end()) {
        m_bytes.push_back(TagReference);
        appendLength(found->second);
        return;
    }
    if (m_depth >= maximumNesting)
        NSException::raise(NSInvalidArchiveOperationException, "object graph nests too deep to archive");
    m_written[object.get()] = static_cast<std::uint32_t>(m_objects.size());
    m_objects.push_back(object);

    auto coding = std::dynamic_pointer_cast<const NSCoding>(object);
    if (!coding) {
        auto archive = NSKeyedArchiver::archivedDataWithRootObject(object);
        m_bytes.push_back(TagValueObject);
        appendLength(static_cast<std::uint32_t>(archive->length()));
        m_bytes.insert(m_bytes.end(), archive->bytes(), archive->bytes() + archive->length());
        return;
    }
    const char* codedName = coding->classNameForCoder();
    m_bytes.push_back(TagCodedObject);
    appendText(codedName ? codedName : object->className());
    ++m_depth;
    struct Leave {
        std::size_t& depth;
        ~Leave() { --depth; }
    } leave { m_depth };
    coding->encodeWithCoder(*this);
    m_bytes.push_back(TagEnd);
}

void NSArchiver::encodeObject(const id&, const NSString&) { refuseKeyed(); }
void NSArchiver::encodeBool(bool, const NSString&) { refuseKeyed(); }
void NSArchiver::encodeInt64(std::int64_t, const NSString&) { refuseKeyed(); }
void NSArchiver::encodeDouble(double, const NSString&) { refuseKeyed(); }
void NSArchiver::encodeBytes(const void*, NSUInteger, const NSString&) { refuseKeyed(); }
bool NSArchiver::containsValueForKey(const NSString&) const { refuseKeyed(); }
id NSArchiver::decodeObjectForKey(const NSString&) { refuseKeyed(); }
bool NSArchiver::decodeBoolForKey(const NSString&) { refuseKeyed(); }
std::int64_t NSArchiver::decodeInt64ForKey(const NSString&) { refuseKeyed(); }
double NSArchiver::decodeDoubleForKey(const NSString&) { refuseKeyed(); }
std::shared_ptr<NSData> NSArchiver::decodeBytesForKey(const NSString&) { refuseKeyed(); }
