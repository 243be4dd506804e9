#pragma once
// Unordered collections of distinct objects (by isEqual and hash); enumeration follows insertion.

#include "platform/foundation/NSDictionary.h"

class NSSet : public NSObject {
    NS_OBJECT(NSSet, NSObject)
public:
    static std::shared_ptr<NSSet> set() { return create(); }
    static std::shared_ptr<NSSet> setWithObject(const id& object);
    static std::shared_ptr<NSSet> setWithObjects(std::initializer_list<id> objects);
    static std::shared_ptr<NSSet> setWithArray(const std::shared_ptr<NSArray>& array);

    NSUInteger count() const { return m_members->count(); }
    bool containsObject(const id& object) const { return member(object) != nullptr; }
    id member(const id& object) const;
    id anyObject() const;
    std::shared_ptr<NSArray> allObjects() const { return m_members->allKeys(); }
    bool intersectsSet(const std::shared_ptr<NSSet>& other) const;
    bool isSubsetOfSet(const std::shared_ptr<NSSet>& other) const;
    bool isEqualToSet(const std::shared_ptr<NSSet>& other) const;
    std::shared_ptr<NSSet> setByAddingObject(const id& object) const;
    void enumerateObjectsUsingBlock(const std::function<void(const id& object, bool& stop)>& block) const;

    NSString description() const override;
    bool isEqual(const id& other) const override;
    NSUInteger hash() const override { return count(); }
    id copy() const override;
    id mutableCopy() const override;

    class Iterator {
    public:
        explicit Iterator(NSDictionary::Iterator inner) : m_inner(inner) { }
        const id& operator*() const { return m_inner->key; }
        Iterator& operator++() { ++m_inner; return *this; }
        bool operator==(const Iterator& other) const { return m_inner == other.m_inner; }
    private:
        NSDictionary::Iterator m_inner;
    };
    Iterator begin() const { return Iterator(NSDictionary::Iterator(m_members.get(), 0, this)); }
    Iterator end() const { return Iterator(m_members->end()); }

protected:
    void init();
    void init(const std::vector<id>& objects);

    // Members are the keys; the objects are the members again.
    std::shared_ptr<NSMutableDictionary> m_members;
};

class NSMutableSet final : public NSSet {
    NS_OBJECT(NSMutableSet, NSSet)
public:
    static std::shared_ptr<NSMutableSet> set() { return create(); }
    static std::shared_ptr<NSMutableSet> setWithArray(const std::shared_ptr<NSArray>& array);

    void addObject(const id& object);
    void addObjectsFromArray(const std::shared_ptr<NSArray>& array);
    void removeObject(const id& object);
    void removeAllObjects();
    void unionSet(const std::shared_ptr<NSSet>& other);
    void minusSet(const std::shared_ptr<NSSet>& other);
    void intersectSet(const std::shared_ptr<NSSet>& other);

    id copy() const override;
};
