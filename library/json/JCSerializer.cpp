#include "library/json/JCSerializer.h"

#include "platform/foundation/NSData.h"
#include "platform/foundation/NSDictionary.h"
#include "platform/foundation/NSException.h"
#include "platform/foundation/NSNull.h"
#include "platform/foundation/NSNumber.h"
#include "platform/foundation/StringEncoding.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <typeinfo>

namespace {

constexpr NSUInteger kEncodeCacheCount = 1024;
constexpr NSUInteger kOutputInitialBytes = 4096;

enum class Kind { String, Number, Dictionary, Array, Null, Unsupported };

// The escape of each ASCII byte: 0 to copy it, 1 for \u00XX, or the letter after the backslash.
constexpr std::array<char, 128> makeEscapes()
{
    std::array<char, 128> escapes {};
    for (int c = 0; c < 0x20; ++c)
        escapes[c] = 1;
    escapes['\b'] = 'b';
    escapes['\t'] = 't';
    escapes['\n'] = 'n';
    escapes['\f'] = 'f';
    escapes['\r'] = 'r';
    escapes['"'] = '"';
    escapes['\\'] = '\\';
    return escapes;
}
constexpr std::array<char, 128> kEscapes = makeEscapes();

void appendHexEscape(std::string& out, std::uint32_t unit)
{
    static constexpr char digits[] = "0123456789abcdef";
    const char escape[6] = { '\\', 'u', digits[(unit >> 12) & 0xF], digits[(unit >> 8) & 0xF], digits[(unit >> 4) & 0xF], digits[unit & 0xF] };
    out.append(escape, 6);
}

} // namespace

struct JCSerializer::JCEncodeState {
    struct CacheSlot {
        const NSObject* object { nullptr };
        NSUInteger offset { 0 };
        NSUInteger length { 0 };
    };

    std::string stringBuffer;
    std::array<const std::type_info*, 5> fastClassLookup {};
    std::array<CacheSlot, kEncodeCacheCount> cache {};
    JCSerializeOptionFlags serializeOptionFlags { 0 };
    JCEncodeOptionType encodeOption { 0 };
    NSUInteger depth { 0 };
    std::shared_ptr<NSError> error;
    id delegate;
    DelegateSelector selector;
    UnsupportedClassBlock block;
    // The collections being written, outermost first: a collection met again inside itself is a cycle.
    std::vector<const NSObject*> collections;
    // Replacements answered by the block or delegate live until the end of the call, so no other
    // object can take their address while the cache remembers it.
    std::vector<id> replacements;

    template <class... Args>
    bool fail(const char* format, const Args&... args)
    {
        if (!error) {
            error = NSError::errorWithDomain(JCErrorDomain, -1,
                ns::dictionary({ { NSLocalizedDescriptionKey, NSString::stringWithFormat(format, args...) } }));
        }
        return false;
    }

    Kind kindOf(const NSObject& object)
    {
        const std::type_info& type = typeid(object);
        for (std::size_t k = 0; k < fastClassLookup.size(); ++k) {
            if (fastClassLookup[k] && *fastClassLookup[k] == type)
                return Kind(k);
        }
        Kind kind = Kind::Unsupported;
        if (dynamic_cast<const NSStringObject*>(&object))
            kind = Kind::String;
        else if (dynamic_cast<const NSNumber*>(&object))
            kind = Kind::Number;
        else if (dynamic_cast<const NSDictionary*>(&object))
            kind = Kind::Dictionary;
        else if (dynamic_cast<const NSArray*>(&object))
            kind = Kind::Array;
        else if (dynamic_cast<const NSNull*>(&object))
            kind = Kind::Null;
        if (kind != Kind::Unsupported)
            fastClassLookup[std::size_t(kind)] = &type;
        return kind;
    }

    static NSUInteger cacheIndex(const NSObject* object)
    {
        const auto p = reinterpret_cast<std::uintptr_t>(object);
        return (((p >> 21) ^ (p >> 9)) + (p >> 4)) & (kEncodeCacheCount - 1);
    }

    void newLine()
    {
        stringBuffer.push_back('\n');
        stringBuffer.append(depth * 2, ' ');
    }

    void open(char c)
    {
        stringBuffer.push_back(c);
        if (serializeOptionFlags & JCSerializePrettyPrint) {
            ++depth;
            newLine();
        }
    }

    void close(char c)
    {
        if (serializeOptionFlags & JCSerializePrettyPrint) {
            --depth;
            newLine();
        }
        stringBuffer.push_back(c);
    }

    void comma()
    {
        stringBuffer.push_back(',');
        if (serializeOptionFlags & JCSerializePrettyPrint)
            newLine();
    }

    void colon()
    {
        stringBuffer.push_back(':');
        if (serializeOptionFlags & JCSerializePrettyPrint)
            stringBuffer.push_back(' ');
    }

    bool writeString(const NSStringObject& string)
    {
        const std::u16string_view units = string.characters();
        const bool quotes = !(encodeOption & JCEncodeOmitQuotes);
        const bool escapeSlashes = serializeOptionFlags & JCSerializeEscapeSlashes;
        const bool escapeNonASCII = serializeOptionFlags & JCSerializeEscapeNonASCII;
        std::string& out = stringBuffer;
        out.reserve(out.size() + units.size() * 3 + 2);
        if (quotes)
            out.push_back('"');
        const std::size_t n = units.size();
        for (std::size_t i = 0; i < n; ++i) {
            std::uint32_t c = units[i];
            if (c < 0x80) {
                const char escape = kEscapes[c];
                if (!escape) {
                    if (c == '/' && escapeSlashes)
                        out.push_back('\\');
                    out.push_back(char(c));
                } else if (escape == 1) {
                    appendHexEscape(out, c);
                } else {
                    out.push_back('\\');
                    out.push_back(escape);
                }
                continue;
            }
            if (c >= 0xD800 && c <= 0xDFFF) {
                if (c <= 0xDBFF && i + 1 < n && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) {
                    c = 0x10000 + ((c - 0xD800) << 10) + (units[i + 1] - 0xDC00u);
                    ++i;
                } else {
                    // UTF-8 cannot carry an unpaired surrogate.
                    out.push_back('?');
                    continue;
                }
            }
            if (!escapeNonASCII) {
                ns::appendUTF8(out, c);
                continue;
            }
            if (!JCIsValidCodePoint(c))
                return fail("Error converting UTF8.");
            if (c <= 0xFFFF) {
                appendHexEscape(out, c);
            } else {
                appendHexEscape(out, (c >> 10) + 0xD7C0);
                appendHexEscape(out, (c & 0x3FF) | 0xDC00);
            }
        }
        if (quotes)
            out.push_back('"');
        return true;
    }

    bool writeNumber(const std::shared_ptr<NSNumber>& number)
    {
        if (number == NSNumber::numberWithBool(true)) {
            stringBuffer.append("true");
            return true;
        }
        if (number == NSNumber::numberWithBool(false)) {
            stringBuffer.append("false");
            return true;
        }
        const char* type = number->objCType();
        if (!type || std::strlen(type) != 1)
            return fail("NSNumber conversion error, unknown type.  Type: '%s'", type ? type : "<NULL>");
        char digits[64];
        char* end = digits;
        switch (type[0]) {
        case 'B': case 'C': case 'I': case 'L': case 'Q': case 'S':
            end = std::to_chars(digits, digits + sizeof digits, number->unsignedLongLongValue()).ptr;
            break;
        case 'c': case 'i': case 'l': case 'q': case 's':
            end = std::to_chars(digits, digits + sizeof digits, number->longLongValue()).ptr;
            break;
        case 'd': case 'f': {
            const double value = number->doubleValue();
            if (!std::isfinite(value))
                return fail("Floating point values must be finite.  JSON does not support NaN or Infinity.");
            end = std::to_chars(digits, digits + sizeof digits, value, std::chars_format::general, 17).ptr;
            break;
        }
        default:
            return fail("NSNumber conversion error, unknown type.  Type: '%c' / 0x%2.2x", type[0], unsigned(std::uint8_t(type[0])));
        }
        stringBuffer.append(digits, std::size_t(end - digits));
        return true;
    }

    bool enterCollection(const NSObject& collection)
    {
        if (std::find(collections.begin(), collections.end(), &collection) != collections.end())
            return fail("Unable to serialize object class %@: the collection contains itself.", collection.className());
        if (collections.size() >= JCMaximumEncodeDepth)
            return fail("Unable to serialize object class %@: collections nest deeper than %lu levels.", collection.className(),
                static_cast<unsigned long>(JCMaximumEncodeDepth));
        collections.push_back(&collection);
        return true;
    }

    bool writeArray(const NSArray& array)
    {
        if (!enterCollection(array))
            return false;
        open('[');
        const NSUInteger count = array.count();
        for (NSUInteger i = 0; i < count; ++i) {
            if (i)
                comma();
            if (!writeAtom(array.objectAtIndex(i)))
                return false;
        }
        close(']');
        collections.pop_back();
        return true;
    }

    bool writeKey(const id& key)
    {
        if (!key || kindOf(*key) != Kind::String)
            return fail("Key must be a string object.");
        return writeAtom(key);
    }

    bool writeDictionary(const NSDictionary& dictionary)
    {
        if (!enterCollection(dictionary))
            return false;
        open('{');
        bool first = true;
        if (serializeOptionFlags & JCSerializePrettyPrint) {
            std::vector<id> keys;
            for (const auto& entry : dictionary) {
                if (!entry.key || kindOf(*entry.key) != Kind::String)
                    return fail("Key must be a string object.");
                keys.push_back(entry.key);
            }
            std::stable_sort(keys.begin(), keys.end(), [](const id& a, const id& b) {
                return NSString::fromId(a).compare(NSString::fromId(b)) == NSOrderedAscending;
            });
            for (const auto& key : keys) {
                if (!first)
                    comma();
                first = false;
                if (!writeKey(key))
                    return false;
                colon();
                if (!writeAtom(dictionary.objectForKey(key)))
                    return false;
            }
        } else {
            for (const auto& entry : dictionary) {
                if (!first)
                    comma();
                first = false;
                if (!writeKey(entry.key))
                    return false;
                colon();
                if (!writeAtom(entry.object))
                    return false;
            }
        }
        close('}');
        collections.pop_back();
        return true;
    }

    bool writeAtom(const id& object) { return writeAtom(object, object.get(), nullptr); }

    // `cacheOwner` is the object whose cache slot records the text: a replacement is recorded
    // under the object it replaces. `replaced` is that object when `object` is a replacement.
    bool writeAtom(const id& object, const NSObject* cacheOwner, const NSObject* replaced)
    {
        if (!object)
            return fail("Unable to serialize object class %@.", "(null)");
        CacheSlot& slot = cache[cacheIndex(cacheOwner)];
        if (!replaced && slot.object == cacheOwner) {
            const std::size_t offset = slot.offset, length = slot.length;
            stringBuffer.append(stringBuffer, offset, length);
            return true;
        }
        const NSUInteger start = stringBuffer.size();
        auto record = [&] {
            slot = { cacheOwner, start, stringBuffer.size() - start };
            return true;
        };
        switch (kindOf(*object)) {
        case Kind::String:
            return writeString(static_cast<const NSStringObject&>(*object)) && record();
        case Kind::Number:
            return writeNumber(std::static_pointer_cast<NSNumber>(object)) && record();
        case Kind::Null:
            stringBuffer.append("null");
            return record();
        case Kind::Array:
            return writeArray(static_cast<const NSArray&>(*object));
        case Kind::Dictionary:
            return writeDictionary(static_cast<const NSDictionary&>(*object));
        case Kind::Unsupported:
            break;
        }
        if (replaced)
            return fail("Unable to serialize object class %@ that was returned by the unsupported class formatter.  Original object class was %@.",
                object->className(), replaced->className());
        id replacement;
        if (block)
            replacement = block(object);
        if (!replacement && selector)
            replacement = selector(delegate, block ? nullptr : object);
        if (!replacement)
            return fail("Unable to serialize object class %@.", object->className());
        replacements.push_back(replacement);
        return writeAtom(replacement, cacheOwner, object.get());
    }
};

JCSerializer::~JCSerializer() = default;

void JCSerializer::releaseState()
{
    m_encodeState.reset();
}

id JCSerializer::serializeObject(const id& object, JCSerializeOptionFlags options, JCEncodeOptionType encodeOption,
    const UnsupportedClassBlock& block, const id& delegate, const DelegateSelector& selector, NSErrorPointer error)
{
    return create()->serialize(object, options, encodeOption, block, delegate, selector, error);
}

id JCSerializer::serialize(const id& object, JCSerializeOptionFlags options, JCEncodeOptionType encodeOption,
    const UnsupportedClassBlock& block, const id& delegate, const DelegateSelector& selector, NSErrorPointer error)
{
    releaseState();
    m_encodeState = std::make_shared<JCEncodeState>();
    JCEncodeState& state = *m_encodeState;
    if (error && *error)
        error->reset();
    if (delegate) {
        if (!selector)
            NSException::raise(NSInvalidArgumentException, "The delegate argument is not NULL, but the selector argument is NULL.");
        state.delegate = delegate;
        state.selector = selector;
    }
    state.block = block;
    state.serializeOptionFlags = options;
    state.encodeOption = encodeOption;
    state.stringBuffer.reserve(kOutputInitialBytes);

    id result;
    bool ok = true;
    const Kind rootKind = object ? state.kindOf(*object) : Kind::Unsupported;
    const char* rootClass = object ? object->className() : "(null)";
    if ((encodeOption & JCEncodeRequireCollection) && rootKind != Kind::Array && rootKind != Kind::Dictionary)
        ok = state.fail("Unable to serialize object class %@, expected a NSArray or NSDictionary.", rootClass);
    else if ((encodeOption & JCEncodeRequireString) && rootKind != Kind::String)
        ok = state.fail("Unable to serialize object class %@, expected a NSString.", rootClass);
    if (ok)
        ok = state.writeAtom(object);
    if (ok) {
        switch (encodeOption & JCEncodeAsMask) {
        case JCEncodeAsString:
            result = static_cast<id>(NSString(std::string_view(state.stringBuffer)));
            break;
        case JCEncodeAsData:
            result = NSData::dataWithBytes(state.stringBuffer.data(), state.stringBuffer.size());
            break;
        default:
            state.fail("Unknown encode as type.");
            break;
        }
    }
    if (state.error)
        NSSetError(error, state.error);
    releaseState();
    return result;
}
