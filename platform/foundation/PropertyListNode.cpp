#include "platform/foundation/PropertyListNode.h"

#include "platform/foundation/NSDate.h"
#include "platform/foundation/NSDictionary.h"
#include "platform/foundation/NSNumber.h"

#include <plist/plist.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <limits>
#include <string_view>

namespace {

std::uint64_t readBigEndian(const std::uint8_t* bytes, std::size_t size)
{
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < size; ++i)
        value = value << 8 | bytes[i];
    return value;
}

// The library takes and answers dates as 32-bit seconds (1933 to 2069) but keeps them, and
// stores them in the binary form, as full doubles: both directions go through a binary list
// of the one date.
constexpr std::size_t loneDateAt = 9;

plist_t dateNode(double seconds)
{
    std::uint8_t list[] = { 'b', 'p', 'l', 'i', 's', 't', '0', '0', 0x33, 0, 0, 0, 0, 0, 0, 0, 0, 8, 0, 0, 0, 0, 0, 0, 1, 1,
        0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 17 };
    std::uint64_t pattern = 0;
    std::memcpy(&pattern, &seconds, sizeof pattern);
    for (std::size_t i = 0; i < 8; ++i)
        list[loneDateAt + i] = static_cast<std::uint8_t>(pattern >> (56 - 8 * i));
    plist_t node = nullptr;
    plist_from_bin(reinterpret_cast<const char*>(list), sizeof list, &node);
    return node;
}

double dateSeconds(plist_t node)
{
    plist_t lone = plist_copy(node);
    char* bytes = nullptr;
    uint32_t length = 0;
    plist_to_bin(lone, &bytes, &length);
    plist_free(lone);
    double seconds = std::numeric_limits<double>::quiet_NaN();
    if (bytes && length >= loneDateAt + 8 && static_cast<std::uint8_t>(bytes[loneDateAt - 1]) == 0x33) {
        std::uint64_t pattern = readBigEndian(reinterpret_cast<const std::uint8_t*>(bytes) + loneDateAt, 8);
        std::memcpy(&seconds, &pattern, sizeof seconds);
    }
    free(bytes);
    return seconds;
}

plist_t nodeFrom(const id& object, int depth, NSString* failure)
{
    auto fail = [failure](const char* reason) -> plist_t {
        if (failure && failure->isNil())
            *failure = reason;
        return nullptr;
    };
    if (depth > PropertyListNode::maximumDepth)
        return fail("Property list nests too deep");
    if (!object)
        return fail("Property lists cannot hold nil");
    if (auto text = ns::cast<NSStringObject>(object))
        return plist_new_string(ns::utf8FromUTF16(text->characters()).c_str());
    if (auto number = ns::cast<NSNumber>(object)) {
        if (number->isBoolean())
            return plist_new_bool(number->boolValue());
        if (number->isFloatingPoint())
            return plist_new_real(number->doubleValue());
        // Integers travel as their 64-bit pattern; the signed reading is the one written.
        return plist_new_uint(static_cast<std::uint64_t>(number->longLongValue()));
    }
    if (auto data = ns::cast<NSData>(object))
        return plist_new_data(reinterpret_cast<const char*>(data->bytes()), data->length());
    if (auto date = ns::cast<NSDate>(object)) {
        double seconds = date->timeIntervalSinceReferenceDate();
        // Years 1 to 9999, all the XML form can write.
        if (!(seconds >= -63113904000.0 && seconds < 252423993600.0))
            return fail("Date out of the property-list range");
        return dateNode(seconds);
    }
    if (auto array = ns::cast<NSArray>(object)) {
        plist_t node = plist_new_array();
        for (const id& member : *array) {
            plist_t child = nodeFrom(member, depth + 1, failure);
            if (!child) {
                plist_free(node);
                return nullptr;
            }
            plist_array_append_item(node, child);
        }
        return node;
    }
    if (auto dictionary = ns::cast<NSDictionary>(object)) {
        plist_t node = plist_new_dict();
        for (const auto& entry : *dictionary) {
            auto key = ns::cast<NSStringObject>(entry.key);
            plist_t child = key ? nodeFrom(entry.object, depth + 1, failure) : nullptr;
            if (!child) {
                plist_free(node);
                return key ? nullptr : fail("Property-list dictionary keys must be strings");
            }
            plist_dict_set_item(node, ns::utf8FromUTF16(key->characters()).c_str(), child);
        }
        return node;
    }
    return fail("Object of a class property lists cannot hold");
}

id objectFrom(plist_t node, PropertyListNode::Mutability mutability, int depth)
{
    if (!node || depth > PropertyListNode::maximumDepth)
        return nullptr;
    using Mutability = PropertyListNode::Mutability;
    switch (plist_get_node_type(node)) {
    case PLIST_ARRAY: {
        std::vector<id> members;
        uint32_t count = plist_array_get_size(node);
        PropertyListNode::indexArray(node);
        members.reserve(count);
        for (uint32_t index = 0; index < count; ++index) {
            id member = objectFrom(plist_array_get_item(node, index), mutability, depth + 1);
            if (!member)
                return nullptr;
            members.push_back(std::move(member));
        }
        if (mutability == Mutability::Immutable)
            return NSArray::create(std::move(members));
        auto array = NSMutableArray::arrayWithCapacity(members.size());
        for (auto& member : members)
            array->addObject(member);
        return array;
    }
    case PLIST_DICT: {
        auto dictionary = NSMutableDictionary::dictionary();
        plist_dict_iter iterator = nullptr;
        plist_dict_new_iter(node, &iterator);
        for (;;) {
            char* key = nullptr;
            plist_t value = nullptr;
            plist_dict_next_item(node, iterator, &key, &value);
            if (!value) {
                free(key);
                break;
            }
            id member = objectFrom(value, mutability, depth + 1);
            NSString keyText = key ? NSString(key) : NSString();
            free(key);
            if (!member || keyText.isNil()) {
                free(iterator);
                return nullptr;
            }
            dictionary->setObject(member, static_cast<id>(keyText));
        }
        free(iterator);
        if (mutability == Mutability::Immutable)
            return dictionary->copy();
        return dictionary;
    }
    case PLIST_STRING: {
        NSString text = PropertyListNode::stringOf(node);
        if (mutability == Mutability::MutableContainersAndLeaves)
            return NSMutableString::stringWithString(text);
        return text;
    }
    case PLIST_DATA: {
        id data = PropertyListNode::scalarToObject(node);
        if (mutability == Mutability::MutableContainersAndLeaves)
            return NSMutableData::dataWithData(ns::cast<NSData>(data));
        return data;
    }
    case PLIST_UID: {
        // As the XML form writes keyed-archive references.
        uint64_t value = 0;
        plist_get_uid_val(node, &value);
        return NSDictionary::dictionaryWithObjectsAndKeys(
            { { NSNumber::numberWithLongLong(static_cast<long long>(value)), NSString("CF$UID") } });
    }
    default:
        return PropertyListNode::scalarToObject(node);
    }
}

std::uint64_t saturatingSum(std::uint64_t a, std::uint64_t b)
{
    return a > std::numeric_limits<std::uint64_t>::max() - b ? std::numeric_limits<std::uint64_t>::max() : a + b;
}

// The parser recurses once per level of nesting and follows references blindly, so a hostile
// binary list (a deep chain, a cycle) would exhaust the stack. This walks the object table
// without recursion first, counting what the parser's copies will add up to; lists that nest too
// deep, hold cycles or point out of bounds have no footprint.
PropertyListNode::Footprint binaryWalk(std::span<const std::uint8_t> bytes, PropertyListNode::Footprint* once = nullptr)
{
    constexpr std::size_t trailerSize = 32;
    const auto unreadable = PropertyListNode::Footprint {};
    if (bytes.size() < 8 + trailerSize)
        return unreadable;
    const std::uint8_t* trailer = bytes.data() + bytes.size() - trailerSize;
    std::size_t offsetSize = trailer[6];
    std::size_t referenceSize = trailer[7];
    std::uint64_t objectCount = readBigEndian(trailer + 8, 8);
    std::uint64_t topObject = readBigEndian(trailer + 16, 8);
    std::uint64_t tableOffset = readBigEndian(trailer + 24, 8);
    std::size_t tableEnd = bytes.size() - trailerSize;
    if (offsetSize < 1 || offsetSize > 8 || referenceSize < 1 || referenceSize > 8 || objectCount == 0
        || objectCount > tableEnd || topObject >= objectCount || tableOffset > tableEnd
        || (tableEnd - tableOffset) / offsetSize < objectCount)
        return unreadable;

    auto objectOffset = [&](std::uint64_t index) {
        return readBigEndian(bytes.data() + tableOffset + index * offsetSize, offsetSize);
    };
    // The library aborts on a dictionary key whose text holds U+0000, so such a key (or one out of
    // bounds) refuses the list.
    auto keyHoldsZero = [&](std::uint64_t offset) {
        if (offset >= tableEnd)
            return true;
        const std::uint8_t marker = bytes[offset];
        const std::uint8_t kind = marker >> 4;
        if (kind != 0x5 && kind != 0x6)
            return false;
        std::uint64_t count = marker & 0xF;
        std::uint64_t position = offset + 1;
        if (count == 0xF) {
            if (position >= tableEnd || (bytes[position] & 0xF0) != 0x10)
                return true;
            const std::size_t countSize = std::size_t(1) << (bytes[position] & 0x3);
            if (position + 1 + countSize > tableEnd)
                return true;
            count = readBigEndian(bytes.data() + position + 1, countSize);
            position += 1 + countSize;
        }
        const std::uint64_t unitSize = kind == 0x6 ? 2 : 1;
        if (count > (tableEnd - position) / unitSize)
            return true;
        for (std::uint64_t i = 0; i < count; ++i) {
            if (bytes[position + i * unitSize] == 0 && bytes[position + i * unitSize + unitSize - 1] == 0)
                return true;
        }
        return false;
    };
    // What one node costs the reader, its text or bytes included (UTF-16 text grows to UTF-8).
    auto ownBytes = [&](std::uint64_t index) -> std::uint64_t {
        constexpr std::uint64_t nodeCost = PropertyListNode::bytesPerObject;
        const std::uint64_t offset = objectOffset(index);
        if (offset >= tableEnd)
            return nodeCost;
        const std::uint8_t kind = bytes[offset] >> 4;
        if (kind != 0x4 && kind != 0x5 && kind != 0x6)
            return nodeCost;
        std::uint64_t count = bytes[offset] & 0xF;
        if (count == 0xF) {
            const std::uint64_t position = offset + 1;
            if (position >= tableEnd || (bytes[position] & 0xF0) != 0x10)
                return nodeCost;
            const std::size_t countSize = std::size_t(1) << (bytes[position] & 0x3);
            if (position + 1 + countSize > tableEnd)
                return nodeCost;
            count = std::min<std::uint64_t>(readBigEndian(bytes.data() + position + 1, countSize), tableEnd);
        }
        return nodeCost + count * (kind == 0x6 ? 3 : 1);
    };
    // The references of a container object; false when the object runs out of bounds.
    auto references = [&](std::uint64_t index, std::vector<std::uint64_t>& out) {
        out.clear();
        std::uint64_t offset = objectOffset(index);
        if (offset >= tableEnd)
            return false;
        std::uint8_t marker = bytes[offset];
        std::uint8_t kind = marker >> 4;
        if (kind != 0xA && kind != 0xB && kind != 0xC && kind != 0xD)
            return true;
        std::uint64_t count = marker & 0xF;
        std::uint64_t position = offset + 1;
        if (count == 0xF) {
            if (position >= tableEnd || (bytes[position] & 0xF0) != 0x10)
                return false;
            std::size_t countSize = std::size_t(1) << (bytes[position] & 0x3);
            if (position + 1 + countSize > tableEnd)
                return false;
            count = readBigEndian(bytes.data() + position + 1, countSize);
            position += 1 + countSize;
        }
        std::uint64_t total = kind == 0xD ? count * 2 : count;
        if (count > tableEnd || total > (tableEnd - position) / referenceSize)
            return false;
        for (std::uint64_t i = 0; i < total; ++i) {
            std::uint64_t reference = readBigEndian(bytes.data() + position + i * referenceSize, referenceSize);
            if (reference >= objectCount || (kind == 0xD && i < count && keyHoldsZero(objectOffset(reference))))
                return false;
            out.push_back(reference);
        }
        return true;
    };

    // Depth-first over the object graph with an explicit stack; the height and expanded size of
    // every finished object are remembered, so shared objects are walked once.
    enum : std::uint8_t { Unseen, Open, Closed };
    std::vector<std::uint8_t> state(objectCount, Unseen);
    std::vector<std::uint16_t> height(objectCount, 0);
    std::vector<PropertyListNode::Footprint> expanded(objectCount);
    struct Frame {
        std::uint64_t index;
        std::vector<std::uint64_t> children;
        std::size_t next { 0 };
        std::uint16_t childHeight { 0 };
        PropertyListNode::Footprint below {};
    };
    auto add = [](PropertyListNode::Footprint& into, const PropertyListNode::Footprint& more) {
        into.objects = saturatingSum(into.objects, more.objects);
        into.bytes = saturatingSum(into.bytes, more.bytes);
    };
    const auto limit = static_cast<std::size_t>(PropertyListNode::maximumDepth);
    std::vector<Frame> stack;
    stack.push_back({ topObject, {} });
    if (!references(topObject, stack.back().children))
        return unreadable;
    state[topObject] = Open;
    while (!stack.empty()) {
        Frame& frame = stack.back();
        if (frame.next == frame.children.size()) {
            std::uint16_t finished = static_cast<std::uint16_t>(frame.childHeight + 1);
            const std::uint64_t index = frame.index;
            height[index] = finished;
            state[index] = Closed;
            expanded[index] = { 1, ownBytes(index) };
            if (once)
                add(*once, expanded[index]);
            add(expanded[index], frame.below);
            stack.pop_back();
            if (!stack.empty()) {
                stack.back().childHeight = std::max(stack.back().childHeight, finished);
                add(stack.back().below, expanded[index]);
            }
            continue;
        }
        std::uint64_t child = frame.children[frame.next++];
        if (state[child] == Open)
            return unreadable;
        if (state[child] == Closed) {
            if (stack.size() + height[child] > limit)
                return unreadable;
            frame.childHeight = std::max(frame.childHeight, height[child]);
            add(frame.below, expanded[child]);
            continue;
        }
        if (stack.size() >= limit)
            return unreadable;
        Frame next { child, {} };
        if (!references(child, next.children))
            return unreadable;
        state[child] = Open;
        stack.push_back(std::move(next));
    }
    return expanded[topObject];
}

bool binaryExpansionIsBounded(std::span<const std::uint8_t> bytes)
{
    PropertyListNode::Footprint once;
    const auto footprint = binaryWalk(bytes, &once);
    const auto allowance = PropertyListNode::sharedAllowance(bytes.size());
    return footprint.objects > 0
        && footprint.objects <= saturatingSum(once.objects, allowance.objects)
        && footprint.bytes <= saturatingSum(once.bytes, allowance.bytes);
}

// Whether the text is a date as the XML form writes it, "2026-12-08T05:25:28Z", with a month,
// day and time that exist; the parser would read anything else as some made-up date.
bool isWrittenDate(std::string_view text)
{
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    const std::size_t yearDigits = text.find('-');
    if (yearDigits == std::string_view::npos || yearDigits == 0 || yearDigits > 4 || text.size() != yearDigits + 16)
        return false;
    constexpr std::string_view shape = "-00-00T00:00:00Z";
    int fields[6] {};
    int field = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const char expected = i < yearDigits ? '0' : shape[i - yearDigits];
        if (expected != '0') {
            if (c != expected)
                return false;
            ++field;
            continue;
        }
        if (c < '0' || c > '9')
            return false;
        fields[field] = fields[field] * 10 + (c - '0');
    }
    const auto [year, month, day, hour, minute, second] = fields;
    constexpr int daysIn[] = { 31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31 };
    const bool leap = year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
    return year >= 1 && month >= 1 && month <= 12 && day >= 1 && day <= daysIn[month - 1] && (month != 2 || day <= 28 || leap)
        && hour <= 23 && minute <= 59 && second <= 59;
}

// The parser takes only double quotes for quotes, in tags, instructions and document types
// alike, and ends an internal subset at the first "]>" outside them and an instruction at the
// first "?>" outside them. Where XML would read the markup otherwise the list is refused: each
// of these answers where a construct ends as both read it (the index of its last character),
// or npos.
constexpr std::size_t unsound = std::string_view::npos;

// The index past a quoted value that opens at `at`. A value in single quotes, which the parser
// takes for plain text, may hold nothing it would take for markup.
std::size_t pastQuoted(std::string_view text, std::size_t at, std::string_view refusedInDouble, std::string_view refusedInSingle)
{
    const char quote = text[at];
    const std::size_t close = text.find(quote, at + 1);
    if (close == unsound)
        return unsound;
    const std::string_view value = text.substr(at + 1, close - at - 1);
    return value.find_first_of(quote == '"' ? refusedInDouble : refusedInSingle) == unsound ? close + 1 : unsound;
}

// A start, end or empty tag. No value holds a '<', as in XML.
std::size_t tagEnd(std::string_view text, std::size_t at)
{
    for (std::size_t i = at + 1;;) {
        i = text.find_first_of("<>\"'", i);
        if (i == unsound || text[i] == '<')
            return unsound;
        if (text[i] == '>')
            return i;
        if ((i = pastQuoted(text, i, "<", "<>\"")) == unsound)
            return unsound;
    }
}

std::size_t instructionEnd(std::string_view text, std::size_t at)
{
    // "<?>" ends at once for the parser, not for XML.
    const std::size_t end = text.find("?>", at + 1);
    if (end == unsound || end == at + 1 || std::count(text.begin() + at, text.begin() + end, '"') % 2)
        return unsound;
    return end + 1;
}

// The markup inside a document type's brackets: declarations, comments, instructions and
// parameter references. The parser looks only for the "]>" that ends it, so a bracket or a
// double quote may stand nowhere else.
std::size_t subsetEnd(std::string_view text, std::size_t at)
{
    constexpr std::string_view refusedInSingle = "\"[]<>";
    for (std::size_t i = at;;) {
        i = text.find_first_not_of(" \t\r\n", i);
        if (i == unsound)
            return unsound;
        const std::string_view rest = text.substr(i);
        std::size_t end = unsound;
        if (rest.starts_with("]"))
            return rest.starts_with("]>") ? i + 1 : unsound;
        if (rest.starts_with("%")) {
            end = text.find_first_of(";\"'[]<> \t\r\n", i + 1);
            end = end != unsound && text[end] == ';' ? end : unsound;
        } else if (rest.starts_with("<?") || rest.starts_with("<!--")) {
            if (rest.starts_with("<?"))
                end = instructionEnd(text, i);
            else if ((end = text.find("-->", i + 4)) != unsound)
                end += 2;
            if (end != unsound && text.substr(i, end - i).find_first_of("\"[]") != unsound)
                return unsound;
        } else if (rest.starts_with("<!")) {
            for (std::size_t j = i + 2; end == unsound;) {
                j = text.find_first_of("\"'[]<>", j);
                if (j == unsound || (text[j] != '>' && text[j] != '"' && text[j] != '\''))
                    return unsound;
                if (text[j] == '>')
                    end = j;
                else if ((j = pastQuoted(text, j, "", refusedInSingle)) == unsound)
                    return unsound;
            }
        }
        if (end == unsound)
            return unsound;
        i = end + 1;
    }
}

std::size_t documentTypeEnd(std::string_view text, std::size_t at)
{
    for (std::size_t i = at + 2;;) {
        i = text.find_first_of("\"'[]<>", i);
        if (i == unsound || text[i] == '<' || text[i] == ']')
            return unsound;
        if (text[i] == '>')
            return i;
        if (text[i] == '[')
            return subsetEnd(text, i + 1);
        if ((i = pastQuoted(text, i, "", "\"[]<>")) == unsound)
            return unsound;
    }
}

// Reads the XML form's markup as its parser does, once over: comments, CDATA sections,
// instructions and the document type hold no elements. The parser builds trees of any depth,
// recursing once per level, so container tags are counted; and it would read the text of a
// <date> that holds no date as some made-up date, so every one must hold a date, as a bad date
// in the binary form refuses the list.
bool xmlMarkupIsSound(std::string_view text)
{
    const auto named = [](std::string_view tag, std::string_view name) {
        return tag.starts_with(name)
            && (tag.size() == name.size() || tag[name.size()] == '/' || std::isspace(static_cast<unsigned char>(tag[name.size()])));
    };
    int depth = 0;
    std::size_t at = text.find('<');
    while (at != std::string_view::npos) {
        const std::string_view rest = text.substr(at);
        std::size_t next = unsound;
        if (rest.starts_with("<!--")) {
            next = text.find("-->", at + 4);
            next = next == unsound ? unsound : next + 2;
        } else if (rest.starts_with("<?")) {
            next = instructionEnd(text, at);
        } else if (rest.starts_with("<![CDATA[")) {
            next = text.find("]]>", at + 9);
            next = next == unsound ? unsound : next + 2;
        } else if (rest.size() > 9 && rest.starts_with("<!DOCTYPE") && std::isspace(static_cast<unsigned char>(rest[9]))) {
            // Wherever it stands, as the parser reads it there too.
            next = documentTypeEnd(text, at);
        } else if (rest.starts_with("<!")) {
            return false;
        } else {
            const std::size_t end = tagEnd(text, at);
            if (end == unsound)
                return false;
            const std::string_view tag = text.substr(at + 1, end - at - 1);
            const bool closing = tag.starts_with('/');
            const bool empty = tag.ends_with('/');
            const std::string_view name = closing ? tag.substr(1) : tag;
            if ((name.starts_with("array") || name.starts_with("dict")) && !empty) {
                depth = std::max(0, depth + (closing ? -1 : 1));
                if (depth > PropertyListNode::maximumDepth)
                    return false;
            }
            next = end;
            if (!closing && named(name, "date")) {
                if (empty)
                    return false;
                const std::size_t close = text.find("</date", end + 1);
                if (close == std::string_view::npos || !isWrittenDate(text.substr(end + 1, close - end - 1)))
                    return false;
                next = close;
            }
        }
        if (next == unsound)
            return false;
        at = text.find('<', next + (text[next] == '<' ? 0 : 1));
    }
    return true;
}

} // namespace

PropertyListNode& PropertyListNode::operator=(PropertyListNode&& other) noexcept
{
    if (this != &other) {
        if (m_node)
            plist_free(m_node);
        m_node = other.release();
    }
    return *this;
}

PropertyListNode::~PropertyListNode()
{
    if (m_node)
        plist_free(m_node);
}

PropertyListNode::Footprint PropertyListNode::binaryFootprint(std::span<const std::uint8_t> bytes)
{
    return binaryWalk(bytes);
}

PropertyListNode::Footprint PropertyListNode::sharedAllowance(std::uint64_t listBytes)
{
    return { saturatingSum(sharedObjectAllowance, listBytes),
        saturatingSum(sharedByteAllowance, listBytes > std::numeric_limits<std::uint64_t>::max() / bytesPerObject
                ? std::numeric_limits<std::uint64_t>::max()
                : listBytes * bytesPerObject) };
}

PropertyListNode PropertyListNode::fromObject(const id& object, NSString* failure)
{
    return PropertyListNode(nodeFrom(object, 0, failure));
}

PropertyListNode PropertyListNode::parse(const std::shared_ptr<NSData>& data, Format* format)
{
    // The parser reads a few header bytes without checking the length.
    if (!data || data->length() < 8 || data->length() > std::numeric_limits<uint32_t>::max())
        return {};
    const char* bytes = reinterpret_cast<const char*>(data->bytes());
    auto length = static_cast<uint32_t>(data->length());
    plist_t node = nullptr;
    bool binary = plist_is_binary(bytes, length);
    if (binary ? !binaryExpansionIsBounded(data->span()) : !xmlMarkupIsSound(data->stringView()))
        return {};
    if (binary)
        plist_from_bin(bytes, length, &node);
    else
        plist_from_xml(bytes, length, &node);
    if (node && format)
        *format = binary ? Format::Binary : Format::XML;
    return PropertyListNode(node);
}

std::shared_ptr<NSData> PropertyListNode::serialize(Format format) const
{
    if (!m_node)
        return nullptr;
    char* bytes = nullptr;
    uint32_t length = 0;
    if (format == Format::Binary)
        plist_to_bin(m_node, &bytes, &length);
    else
        plist_to_xml(m_node, &bytes, &length);
    if (!bytes)
        return nullptr;
    auto data = NSData::dataWithBytes(bytes, length);
    free(bytes);
    return data;
}

id PropertyListNode::toObject(Mutability mutability) const
{
    return objectFrom(m_node, mutability, 0);
}

NSString PropertyListNode::stringOf(void* node)
{
    if (!node || (plist_get_node_type(node) != PLIST_STRING && plist_get_node_type(node) != PLIST_KEY))
        return {};
    uint64_t length = 0;
    const char* text = plist_get_string_ptr(node, &length);
    if (!text)
        return {};
    return NSString(std::string_view(text, length));
}

id PropertyListNode::scalarToObject(void* node)
{
    if (!node)
        return nullptr;
    switch (plist_get_node_type(node)) {
    case PLIST_BOOLEAN: {
        uint8_t value = 0;
        plist_get_bool_val(node, &value);
        return NSNumber::numberWithBool(value != 0);
    }
    case PLIST_UINT: {
        uint64_t value = 0;
        plist_get_uint_val(node, &value);
        return NSNumber::numberWithLongLong(static_cast<long long>(value));
    }
    case PLIST_REAL: {
        double value = 0;
        plist_get_real_val(node, &value);
        return NSNumber::numberWithDouble(value);
    }
    case PLIST_STRING:
        return stringOf(node);
    case PLIST_DATA: {
        uint64_t length = 0;
        const char* bytes = plist_get_data_ptr(node, &length);
        return NSData::dataWithBytes(bytes, bytes ? length : 0);
    }
    case PLIST_DATE:
        return NSDate::dateWithTimeIntervalSinceReferenceDate(dateSeconds(node));
    default:
        return nullptr;
    }
}

void PropertyListNode::indexArray(void* array)
{
    // The library builds its index of an array on an insertion; the placeholder goes again at once.
    if (!array || plist_get_node_type(array) != PLIST_ARRAY || plist_array_get_size(array) < 2)
        return;
    plist_array_append_item(array, plist_new_bool(0));
    plist_array_remove_item(array, plist_array_get_size(array) - 1);
}
