#include "platform/foundation/PropertyListSalvage.h"

#include "platform/foundation/NSArray.h"
#include "platform/foundation/NSDate.h"
#include "platform/foundation/NSNumber.h"

#include <bit>
#include <cstring>
#include <limits>
#include <span>

namespace {

constexpr std::size_t kHeaderLength = 8;
constexpr std::size_t kTrailerLength = 32;
constexpr int kMaximumDepth = 64;
// Shared members may be named many times; past this many decoded objects the rest is given up.
constexpr std::uint64_t kObjectAllowance = 1 << 16;
constexpr std::size_t kUnreadable = std::numeric_limits<std::size_t>::max();

class Reader {
public:
    // Objects lie below the limit; what is past it (an offset table) is only read as such.
    Reader(std::span<const std::uint8_t> bytes, std::size_t refSize, std::size_t limit)
        : m_bytes(bytes)
        , m_refSize(refSize)
        , m_limit(limit)
    {
    }

    // Offsets of the objects as they follow each other after the header, up to the first that
    // does not fit.
    void scanInOrder()
    {
        std::size_t at = kHeaderLength;
        while (at < m_limit) {
            const std::size_t next = end(at);
            if (!next)
                break;
            m_offsets.push_back(at);
            at = next;
        }
    }

    // Offsets from an offset table that still lies within the bytes; unreadable entries are
    // marked so and skipped.
    void takeOffsetTable(std::size_t tableOffset, std::size_t offsetSize, std::uint64_t count)
    {
        for (std::uint64_t index = 0; index < count; ++index) {
            const std::size_t at = std::size_t(big(tableOffset + index * offsetSize, offsetSize));
            m_offsets.push_back(at >= kHeaderLength && at < tableOffset && end(at) ? at : kUnreadable);
        }
    }

    std::shared_ptr<NSDictionary> rootEntries(std::uint64_t root)
    {
        if (root >= m_offsets.size() || m_offsets[root] == kUnreadable)
            return nullptr;
        std::size_t at = m_offsets[root];
        const std::uint8_t marker = m_bytes[at++];
        if (marker >> 4 != 0xD)
            return nullptr;
        std::uint64_t count = 0;
        if (!readCount(at, marker & 0xF, count))
            return nullptr;
        auto entries = NSMutableDictionary::dictionary();
        for (std::uint64_t index = 0; index < count; ++index) {
            NSString key = NSString::fromId(object(ref(at, index), 1));
            id value = object(ref(at, count + index), 1);
            if (!key.isNil() && value)
                entries->setObject(value, static_cast<id>(key));
        }
        return entries->copyDictionary();
    }

private:
    std::uint64_t big(std::size_t at, std::size_t width) const
    {
        std::uint64_t value = 0;
        for (std::size_t i = 0; i < width; ++i)
            value = (value << 8) | m_bytes[at + i];
        return value;
    }

    std::uint64_t ref(std::size_t refsAt, std::uint64_t index) const { return big(refsAt + index * m_refSize, m_refSize); }

    // The count of a marker: in its low four bits, or in the integer object after it.
    bool readCount(std::size_t& at, unsigned info, std::uint64_t& count) const
    {
        if (info != 0xF) {
            count = info;
            return true;
        }
        if (at >= m_limit || m_bytes[at] >> 4 != 0x1)
            return false;
        const std::size_t width = std::size_t(1) << (m_bytes[at] & 0xF);
        if (width > 8 || width > m_limit - at - 1)
            return false;
        count = big(at + 1, width);
        at += 1 + width;
        return true;
    }

    // Just past the object at the offset, or 0 when it runs beyond the bytes or is no object.
    std::size_t end(std::size_t at) const
    {
        const std::uint8_t marker = m_bytes[at];
        const unsigned info = marker & 0xF;
        std::size_t after = at + 1;
        std::uint64_t count = 0;
        std::uint64_t payload = 0;
        const std::uint64_t room = std::numeric_limits<std::uint64_t>::max() / 2 / m_refSize;
        switch (marker >> 4) {
        case 0x0:
            if (info != 0 && info != 8 && info != 9 && info != 0xF)
                return 0;
            break;
        case 0x1:
            if (info > 4)
                return 0;
            payload = std::uint64_t(1) << info;
            break;
        case 0x2:
            if (info != 2 && info != 3)
                return 0;
            payload = std::uint64_t(1) << info;
            break;
        case 0x3:
            if (info != 3)
                return 0;
            payload = 8;
            break;
        case 0x4:
        case 0x5:
            if (!readCount(after, info, count))
                return 0;
            payload = count;
            break;
        case 0x6:
            if (!readCount(after, info, count) || count > std::numeric_limits<std::uint64_t>::max() / 2)
                return 0;
            payload = count * 2;
            break;
        case 0x8:
            payload = info + 1;
            break;
        case 0xA:
            if (!readCount(after, info, count) || count > room)
                return 0;
            payload = count * m_refSize;
            break;
        case 0xD:
            if (!readCount(after, info, count) || count > room)
                return 0;
            payload = 2 * count * m_refSize;
            break;
        default:
            return 0;
        }
        if (after > m_limit || payload > m_limit - after)
            return 0;
        return after + std::size_t(payload);
    }

    id object(std::uint64_t index, int depth)
    {
        if (index >= m_offsets.size() || m_offsets[index] == kUnreadable || depth > kMaximumDepth || ++m_decoded > kObjectAllowance)
            return nullptr;
        std::size_t at = m_offsets[index];
        const std::uint8_t marker = m_bytes[at++];
        const unsigned info = marker & 0xF;
        std::uint64_t count = 0;
        switch (marker >> 4) {
        case 0x0:
            if (info == 8 || info == 9)
                return NSNumber::numberWithBool(info == 9);
            return nullptr;
        case 0x1: {
            const std::size_t width = std::size_t(1) << info;
            // Sixteen bytes hold an unsigned value above the signed range in their low half.
            if (width == 16)
                return NSNumber::numberWithUnsignedLongLong(big(at + 8, 8));
            const std::uint64_t value = big(at, width);
            return NSNumber::numberWithLongLong(width == 8 ? std::bit_cast<std::int64_t>(value) : std::int64_t(value));
        }
        case 0x2:
            if (info == 2)
                return NSNumber::numberWithDouble(std::bit_cast<float>(std::uint32_t(big(at, 4))));
            return NSNumber::numberWithDouble(std::bit_cast<double>(big(at, 8)));
        case 0x3:
            return NSDate::dateWithTimeIntervalSinceReferenceDate(std::bit_cast<double>(big(at, 8)));
        case 0x4:
            readCount(at, info, count);
            return NSData::dataWithBytes(m_bytes.data() + at, NSUInteger(count));
        // Text holding U+0000 is refused, as the whole-file reader refuses it.
        case 0x5: {
            readCount(at, info, count);
            const std::string text(reinterpret_cast<const char*>(m_bytes.data() + at), std::size_t(count));
            if (text.find('\0') != std::string::npos)
                return nullptr;
            return static_cast<id>(NSString(text));
        }
        case 0x6: {
            readCount(at, info, count);
            std::u16string units(std::size_t(count), u'\0');
            for (std::size_t i = 0; i < units.size(); ++i)
                units[i] = char16_t(big(at + 2 * i, 2));
            if (units.find(u'\0') != std::u16string::npos)
                return nullptr;
            return static_cast<id>(NSString::stringWithCharacters(units.data(), units.size()));
        }
        case 0xA: {
            readCount(at, info, count);
            std::vector<id> members;
            for (std::uint64_t i = 0; i < count; ++i) {
                id member = object(ref(at, i), depth + 1);
                if (!member)
                    return nullptr;
                members.push_back(std::move(member));
            }
            return NSArray::create(std::move(members));
        }
        case 0xD: {
            readCount(at, info, count);
            auto dictionary = NSMutableDictionary::dictionary();
            for (std::uint64_t i = 0; i < count; ++i) {
                NSString key = NSString::fromId(object(ref(at, i), depth + 1));
                id value = object(ref(at, count + i), depth + 1);
                if (key.isNil() || !value)
                    return nullptr;
                dictionary->setObject(value, static_cast<id>(key));
            }
            return dictionary->copyDictionary();
        }
        default:
            return nullptr;
        }
    }

    std::span<const std::uint8_t> m_bytes;
    std::size_t m_refSize;
    std::size_t m_limit;
    std::vector<std::size_t> m_offsets;
    std::uint64_t m_decoded { 0 };
};

// The trailer's offset table when the trailer is still there and describes these bytes.
std::shared_ptr<NSDictionary> entriesThroughTrailer(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() < kHeaderLength + kTrailerLength)
        return nullptr;
    const std::uint8_t* trailer = bytes.data() + bytes.size() - kTrailerLength;
    const std::size_t offsetSize = trailer[6];
    const std::size_t refSize = trailer[7];
    auto field = [&](std::size_t at) {
        std::uint64_t value = 0;
        for (std::size_t i = 0; i < 8; ++i)
            value = (value << 8) | trailer[at + i];
        return value;
    };
    const std::uint64_t count = field(8);
    const std::uint64_t root = field(16);
    const std::uint64_t tableOffset = field(24);
    const std::size_t tableEnd = bytes.size() - kTrailerLength;
    const bool sane = (offsetSize == 1 || offsetSize == 2 || offsetSize == 4 || offsetSize == 8)
        && (refSize == 1 || refSize == 2 || refSize == 4 || refSize == 8) && tableOffset >= kHeaderLength && tableOffset <= tableEnd
        && count <= (tableEnd - tableOffset) / offsetSize && root < count;
    if (!sane)
        return nullptr;
    Reader reader(bytes, refSize, std::size_t(tableOffset));
    reader.takeOffsetTable(std::size_t(tableOffset), offsetSize, count);
    return reader.rootEntries(root);
}

} // namespace

std::shared_ptr<NSDictionary> PropertyListSalvage::readableEntries(const std::shared_ptr<NSData>& data)
{
    if (!data || data->length() <= kHeaderLength || std::memcmp(data->bytes(), "bplist00", kHeaderLength) != 0)
        return nullptr;
    const std::span<const std::uint8_t> bytes(static_cast<const std::uint8_t*>(data->bytes()), data->length());
    std::shared_ptr<NSDictionary> best = entriesThroughTrailer(bytes);
    // Without a trailer the width of object references is not written anywhere: each width is
    // tried, and the one that reads the most entries wins.
    for (std::size_t refSize : { 1, 2, 4 }) {
        Reader reader(bytes, refSize, bytes.size());
        reader.scanInOrder();
        auto entries = reader.rootEntries(0);
        if (entries && (!best || entries->count() > best->count()))
            best = entries;
    }
    return best;
}
