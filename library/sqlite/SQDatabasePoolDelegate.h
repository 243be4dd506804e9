#pragma once
// Hooks of a database pool's owner: refuse a connection before it is lent, hear of new ones.

#include <memory>

class SQDatabase;
class SQDatabasePool;

class SQDatabasePoolDelegate {
public:
    virtual ~SQDatabasePoolDelegate() = default;
    // NO closes the connection and the borrow gives nil.
    virtual bool shouldAddDatabaseToPool(const std::shared_ptr<SQDatabasePool>&, const std::shared_ptr<SQDatabase>&) { return true; }
    virtual void didAddDatabase(const std::shared_ptr<SQDatabasePool>&, const std::shared_ptr<SQDatabase>&) { }
};
