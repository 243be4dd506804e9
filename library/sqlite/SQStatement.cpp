#include "library/sqlite/SQStatement.h"

SQStatement::~SQStatement()
{
    close();
}

void SQStatement::setStatement(sqlite3_stmt* statement)
{
    if (statement == _statement)
        return;
    if (_statement)
        sqlite3_finalize(_statement);
    _statement = statement;
}

void SQStatement::close()
{
    if (_statement) {
        sqlite3_finalize(_statement);
        _statement = nullptr;
    }
    _inUse = false;
}

void SQStatement::reset()
{
    if (_statement)
        sqlite3_reset(_statement);
    _inUse = false;
}

NSString SQStatement::description() const
{
    return NSString::stringWithFormat("%@ %ld hit(s) for query %@", NSObject::description(), static_cast<long>(_useCount), _query);
}
