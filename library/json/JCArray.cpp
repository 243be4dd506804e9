#include "library/json/JCArray.h"

#include "library/json/JCCollectionSupport.h"
#include "platform/foundation/UnsharedRelease.h"

using namespace JCCollectionSupport;

namespace {

constexpr const char* kClassName = "JCArray";

[[noreturn]] void raiseBeyondBounds(const char* operation, NSUInteger index, NSUInteger bound)
{
    raise(NSRangeException, prefix(kClassName, operation) + "index (" + std::to_string(index) + "l) beyond bounds ("
            + std::to_string(bound) + "l)");
}

} // namespace

void JCArray::init()
{
    raisePrivateClass(kClassName);
}

void JCArray::init(std::vector<id>)
{
    raisePrivateClass(kClassName);
}

JCArray::~JCArray()
{
    // The members of a decoded tree are mostly its own alone: they go without count updates.
    for (auto& object : m_objects)
        ns::releaseUnshared(object);
}

void JCArray::init(PassKey<JSONDecoder>, std::vector<id> objects, bool mutableCollection)
{
    m_objects = std::move(objects);
    m_mutations = mutableCollection ? 1 : 0;
}

id JCArray::objectAtIndex(NSUInteger index) const
{
    if (index >= m_objects.size())
        raiseBeyondBounds("objectAtIndex:", index, m_objects.size());
    return m_objects[index];
}

void JCArray::getObjects(id* objects, NSRange range) const
{
    if (!objects && NSMaxRange(range) > 0)
        raise(NSRangeException, prefix(kClassName, "getObjects:range:") + "pointer to objects array is NULL but range length is "
                + std::to_string(NSMaxRange(range)) + "l");
    if (range.location > m_objects.size() || range.length > m_objects.size() - range.location)
        raiseBeyondBounds("getObjects:range:", NSMaxRange(range), m_objects.size());
    for (NSUInteger i = 0; i < range.length; ++i)
        objects[i] = m_objects[range.location + i];
}

void JCArray::requireMutable(const char* operation) const
{
    if (m_mutations == 0)
        raiseImmutable(kClassName, operation);
}

void JCArray::advanceMutations()
{
    m_mutations = nextMutation(m_mutations);
    noteMutation();
}

void JCArray::insertObject(const id& object, NSUInteger index)
{
    constexpr const char* operation = "insertObject:atIndex:";
    requireMutable(operation);
    if (!object)
        raise(NSInvalidArgumentException, prefix(kClassName, operation) + "attempt to insert nil");
    if (index > m_objects.size()) {
        raise(NSRangeException, prefix(kClassName, operation) + "index (" + std::to_string(index) + "l) beyond bounds ("
                + std::to_string(m_objects.size() + 1) + ")");
    }
    // The member list grows by 16 slots at a time.
    if (m_objects.size() + 1 >= m_objects.capacity()) {
        try {
            m_objects.reserve(m_objects.capacity() + 16);
        } catch (const std::bad_alloc&) {
            raise(NSMallocException, "Unable to resize objects array.");
        }
    }
    m_objects.insert(m_objects.begin() + std::ptrdiff_t(index), object);
    advanceMutations();
}

void JCArray::removeObjectAtIndex(NSUInteger index)
{
    constexpr const char* operation = "removeObjectAtIndex:";
    requireMutable(operation);
    if (index >= m_objects.size())
        raiseBeyondBounds(operation, index, m_objects.size());
    m_objects.erase(m_objects.begin() + std::ptrdiff_t(index));
    advanceMutations();
}

void JCArray::replaceObjectAtIndex(NSUInteger index, const id& object)
{
    constexpr const char* operation = "replaceObjectAtIndex:withObject:";
    requireMutable(operation);
    if (!object)
        raise(NSInvalidArgumentException, prefix(kClassName, operation) + "attempt to insert nil");
    if (index >= m_objects.size())
        raiseBeyondBounds(operation, index, m_objects.size());
    m_objects[index] = object;
    advanceMutations();
}

id JCArray::copy() const
{
    if (m_mutations == 0)
        return std::const_pointer_cast<JCArray>(self());
    return NSArray::create(m_objects);
}

id JCArray::mutableCopy() const
{
    return NSMutableArray::create(m_objects);
}
