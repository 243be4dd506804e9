#pragma once
// One prepared statement: the handle a result set steps and the statement cache keeps.

#include "platform/foundation/NSString.h"

#include <sqlite3.h>

class SQStatement : public NSObject {
    NS_OBJECT(SQStatement, NSObject)
public:
    ~SQStatement() override;

    sqlite3_stmt* statement() const { return _statement; }
    // Takes ownership of the handle: it is finalized by close() or the destructor.
    void setStatement(sqlite3_stmt* statement);
    const NSString& query() const { return _query; }
    void setQuery(const NSString& query) { _query = query; }
    std::int64_t useCount() const { return _useCount; }
    void setUseCount(std::int64_t useCount) { _useCount = useCount; }
    bool inUse() const { return _inUse; }
    void setInUse(bool inUse) { _inUse = inUse; }

    // Finalizes the handle.
    void close();
    // Makes the handle ready to run again (bindings stay until cleared by the next binding).
    void reset();

    NSString description() const override;

private:
    sqlite3_stmt* _statement { nullptr };
    NSString _query;
    std::int64_t _useCount { 0 };
    bool _inUse { false };
};
