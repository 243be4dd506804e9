#pragma once
// Keyed coding. A class takes part by deriving from NSCoding (encodeWithCoder writes its
// values under keys) and by registering with NSCoder::registerClass<T>(), which lets a decoder
// make it again by its class name through the initialiser overload `init(NSCoder&)`:
//
//     class NSHTTPCookie : public NSObject, public NSCoding {
//         NS_OBJECT(NSHTTPCookie, NSObject)
//     public:
//         void encodeWithCoder(NSCoder& coder) const override { coder.encodeObject(m_properties, "properties"); }
//     protected:
//         bool init(NSCoder& coder) { ... coder.decodeObjectOfClass<NSDictionary>("properties") ... }
//     };
//     NSCoder::registerClass<NSHTTPCookie>();   // once, before the first decode
//
// The value classes (strings, numbers, data, dates, arrays, dictionaries, sets, null) are built in.

#include "platform/foundation/NSData.h"

#include <functional>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

class NSCoder;

class NSCoding {
public:
    virtual ~NSCoding() = default;
    virtual void encodeWithCoder(NSCoder& coder) const = 0;
    // The class name an archive records; nullptr for the object's own. A class whose archive
    // should name another registered class answers that class's name.
    virtual const char* classNameForCoder() const { return nullptr; }
};

class NSCoder : public NSObject {
    NS_OBJECT(NSCoder, NSObject)
public:
    using Factory = std::function<id(NSCoder&)>;
    struct RegisteredClass {
        // The class first, then its bases up to NSObject, as archives record them.
        std::vector<std::string> classChain;
        Factory factory;
    };

    // Makes a class decodable by name. The factory reads the coder's values and answers the
    // object, or nil to refuse the archive.
    static void registerClass(const std::string& name, std::vector<std::string> classChain, Factory factory);
    template <class T>
    static bool registerClass()
    {
        std::vector<std::string> chain;
        appendClassChain<T>(chain);
        registerClass(T::staticClassName(), std::move(chain), [](NSCoder& coder) -> id { return T::create(coder); });
        return true;
    }
    static std::optional<RegisteredClass> registeredClass(const std::string& name);

    virtual bool allowsKeyedCoding() const { return true; }

    virtual void encodeObject(const id& object, const NSString& key) = 0;
    virtual void encodeBool(bool value, const NSString& key) = 0;
    virtual void encodeInt64(std::int64_t value, const NSString& key) = 0;
    virtual void encodeDouble(double value, const NSString& key) = 0;
    virtual void encodeBytes(const void* bytes, NSUInteger length, const NSString& key) = 0;
    void encodeInt(int value, const NSString& key) { encodeInt64(value, key); }
    void encodeInt32(std::int32_t value, const NSString& key) { encodeInt64(value, key); }
    void encodeInteger(NSInteger value, const NSString& key) { encodeInt64(value, key); }
    void encodeFloat(float value, const NSString& key) { encodeDouble(value, key); }

    virtual bool containsValueForKey(const NSString& key) const = 0;
    virtual id decodeObjectForKey(const NSString& key) = 0;
    // Nil when the value is missing or of another class.
    template <class T>
    std::shared_ptr<T> decodeObjectOfClass(const NSString& key) { return ns::cast<T>(decodeObjectForKey(key)); }
    virtual bool decodeBoolForKey(const NSString& key) = 0;
    virtual std::int64_t decodeInt64ForKey(const NSString& key) = 0;
    virtual double decodeDoubleForKey(const NSString& key) = 0;
    // Nil when the key holds no bytes.
    virtual std::shared_ptr<NSData> decodeBytesForKey(const NSString& key) = 0;
    int decodeIntForKey(const NSString& key) { return static_cast<int>(decodeInt64ForKey(key)); }
    std::int32_t decodeInt32ForKey(const NSString& key) { return static_cast<std::int32_t>(decodeInt64ForKey(key)); }
    NSInteger decodeIntegerForKey(const NSString& key) { return decodeInt64ForKey(key); }
    float decodeFloatForKey(const NSString& key) { return static_cast<float>(decodeDoubleForKey(key)); }

    // Writes the object only when the same archive also writes it unconditionally; otherwise the
    // key reads back as nil. Links to parents and delegates are written this way. A coder that
    // does not track references writes the object as encodeObject does.
    virtual void encodeConditionalObject(const id& object, const NSString& key) { encodeObject(object, key); }
    // Called by an initialiser that decodes links back to its own object (a child's conditional
    // link to its parent), before it decodes them: references to the object being decoded then
    // resolve to it through decodeWeakObjectForKey instead of failing the archive as a cycle.
    virtual void registerDecodingObject(const id&) { }
    // Reads a link its reader keeps without owning it (a parent, a delegate). Only such a link may
    // resolve to an object still being decoded; decodeObjectForKey refuses the archive there, as an
    // owning link would close a cycle that is never freed.
    virtual id decodeWeakObjectForKey(const NSString& key) { return decodeObjectForKey(key); }
    template <class T>
    std::shared_ptr<T> decodeWeakObjectOfClass(const NSString& key) { return ns::cast<T>(decodeWeakObjectForKey(key)); }

    // The unkeyed form (allowsKeyedCoding() false): values are read back in the order they were
    // written, each with the type code it was written with ("c", "C", "s", "S", "i", "I", "l",
    // "L", "q", "Q", "f", "d", "B"). Keyed coders raise NSInvalidArgumentException here.
    virtual void encodeValueOfObjCType(const char* type, const void* address);
    // `size` is the room at `address`; a type that does not match what was written, or that
    // does not fit, raises NSInvalidUnarchiveOperationException.
    virtual void decodeValueOfObjCType(const char* type, void* address, NSUInteger size);
    void encodeObject(const id& object) { encodeUnkeyedObject(object); }
    id decodeObject() { return decodeUnkeyedObject(); }

protected:
    virtual void encodeUnkeyedObject(const id& object);
    virtual id decodeUnkeyedObject();

private:
    template <class T>
    static void appendClassChain(std::vector<std::string>& chain)
    {
        chain.push_back(T::staticClassName());
        if constexpr (!std::is_same_v<T, NSObject>)
            appendClassChain<typename T::super>(chain);
    }
};
