#include "app/stores/StoreConnection.h"

#include "library/sqlite/SQDatabase.h"
#include "library/sqlite/SQDatabaseQueue.h"
#include "platform/foundation/NSNull.h"
#include "platform/foundation/NSPathUtilities.h"

StoreConnection::StoreConnection(const NSString& path) : m_database(SQDatabase::databaseWithPath(path))
{
    if (!m_database->open())
        m_database = nullptr;
}

StoreConnection::~StoreConnection()
{
    if (m_database)
        m_database->close();
}

NSString StoreConnection::documentsPath(const char* fileName)
{
    auto folders = NSSearchPathForDirectoriesInDomains(NSDocumentDirectory, NSUserDomainMask, true);
    return NSString::fromId(folders->lastObject()).stringByAppendingPathComponent(fileName);
}

void StoreConnection::createTables(const NSString& path, std::initializer_list<const char*> statements)
{
    auto queue = SQDatabaseQueue::databaseQueueWithPath(path);
    if (!queue)
        return;
    queue->inDatabase([&](const std::shared_ptr<SQDatabase>& db) {
        for (const char* statement : statements)
            db->executeUpdate(statement);
    });
}

std::shared_ptr<NSDictionary> StoreConnection::named(std::initializer_list<std::pair<const char*, NSString>> values)
{
    auto dictionary = NSMutableDictionary::dictionary();
    for (const auto& [key, value] : values)
        dictionary->setObject(value.isNil() ? id(NSNull::null()) : id(value), key);
    return dictionary;
}
