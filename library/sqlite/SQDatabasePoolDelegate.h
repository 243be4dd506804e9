#pragma once
// Hooks of a database pool's owner: refuse a connection before it is lent, hear of new ones.
// The pool is passed first, as a reference; a delegate that keeps it calls self() on it.

#include <memory>
#include <optional>

class SQDatabase;
class SQDatabasePool;

class SQDatabasePoolDelegate {
public:
    virtual ~SQDatabasePoolDelegate() = default;
    // false closes the connection and the borrow gives nil; not implemented lends it.
    virtual std::optional<bool> shouldAddDatabaseToPool(SQDatabasePool&, const std::shared_ptr<SQDatabase>&) { return std::nullopt; }
    virtual void didAddDatabase(SQDatabasePool&, const std::shared_ptr<SQDatabase>&) { }
};
