#include "platform/foundation/NSSet.h"

void NSSet::init()
{
    m_members = NSMutableDictionary::create();
}

void NSSet::init(const std::vector<id>& objects)
{
    init();
    // The first of equal members stays, as addObject keeps it.
    for (const auto& object : objects) {
        if (!object || !m_members->objectForKey(object))
            m_members->setObject(object, object);
    }
}

std::shared_ptr<NSSet> NSSet::setWithObject(const id& object)
{
    return create(std::vector<id> { object });
}

std::shared_ptr<NSSet> NSSet::setWithObjects(std::initializer_list<id> objects)
{
    return create(std::vector<id>(objects));
}

std::shared_ptr<NSSet> NSSet::setWithArray(const std::shared_ptr<NSArray>& array)
{
    return create(array ? array->objects() : std::vector<id> {});
}

id NSSet::member(const id& object) const
{
    return object ? m_members->objectForKey(object) : nullptr;
}

id NSSet::anyObject() const
{
    return count() ? m_members->begin()->key : nullptr;
}

bool NSSet::intersectsSet(const std::shared_ptr<NSSet>& other) const
{
    if (!other)
        return false;
    for (const auto& object : *this) {
        if (other->containsObject(object))
            return true;
    }
    return false;
}

bool NSSet::isSubsetOfSet(const std::shared_ptr<NSSet>& other) const
{
    if (!other)
        return count() == 0;
    for (const auto& object : *this) {
        if (!other->containsObject(object))
            return false;
    }
    return true;
}

bool NSSet::isEqualToSet(const std::shared_ptr<NSSet>& other) const
{
    return other && other->count() == count() && isSubsetOfSet(other);
}

std::shared_ptr<NSSet> NSSet::setByAddingObject(const id& object) const
{
    auto objects = allObjects()->objects();
    objects.push_back(object);
    return create(objects);
}

void NSSet::enumerateObjectsUsingBlock(const std::function<void(const id& object, bool& stop)>& block) const
{
    bool stop = false;
    for (const auto& object : *this) {
        block(object, stop);
        if (stop)
            break;
    }
}

NSString NSSet::description() const
{
    auto text = NSMutableString::stringWithString("{(");
    bool first = true;
    for (const auto& object : *this) {
        text->appendString(first ? "\n    " : ",\n    ");
        text->appendString(object->description());
        first = false;
    }
    text->appendString(first ? ")}" : "\n)}");
    return NSString(std::u16string(text->characters()));
}

bool NSSet::isEqual(const id& other) const
{
    return isEqualToSet(ns::cast<NSSet>(other));
}

id NSSet::copy() const
{
    return create(allObjects()->objects());
}

id NSSet::mutableCopy() const
{
    return NSMutableSet::create(allObjects()->objects());
}

std::shared_ptr<NSMutableSet> NSMutableSet::setWithArray(const std::shared_ptr<NSArray>& array)
{
    return create(array ? array->objects() : std::vector<id> {});
}

void NSMutableSet::addObject(const id& object)
{
    if (!containsObject(object))
        m_members->setObject(object, object);
}

void NSMutableSet::addObjectsFromArray(const std::shared_ptr<NSArray>& array)
{
    if (!array)
        return;
    for (const auto& object : *array)
        addObject(object);
}

void NSMutableSet::removeObject(const id& object)
{
    m_members->removeObjectForKey(object);
}

void NSMutableSet::removeAllObjects()
{
    m_members->removeAllObjects();
}

void NSMutableSet::unionSet(const std::shared_ptr<NSSet>& other)
{
    if (other)
        addObjectsFromArray(other->allObjects());
}

void NSMutableSet::minusSet(const std::shared_ptr<NSSet>& other)
{
    if (!other)
        return;
    for (const auto& object : other->allObjects()->objects())
        removeObject(object);
}

void NSMutableSet::intersectSet(const std::shared_ptr<NSSet>& other)
{
    for (const auto& object : allObjects()->objects()) {
        if (!other || !other->containsObject(object))
            removeObject(object);
    }
}

id NSMutableSet::copy() const
{
    return NSSet::create(allObjects()->objects());
}
