#pragma once
// An operation's own connection to a store's file, closed when the operation ends, and what the
// stores share around it: where their files live, their tables, their named parameters.

#include "platform/foundation/NSDictionary.h"

#include <initializer_list>
#include <utility>

class SQDatabase;

class StoreConnection {
public:
    // Not open (false) when the file cannot be opened.
    explicit StoreConnection(const NSString& path);
    ~StoreConnection();
    StoreConnection(const StoreConnection&) = delete;
    StoreConnection& operator=(const StoreConnection&) = delete;
    SQDatabase* operator->() const { return m_database.get(); }
    explicit operator bool() const { return m_database != nullptr; }

    // The file of the name in the user's documents folder.
    static NSString documentsPath(const char* fileName);
    // Runs the statements once through a database queue on the file.
    static void createTables(const NSString& path, std::initializer_list<const char*> statements);
    // Moves a file SQLite cannot read, or that cannot answer the probe query, out of the way
    // (beside it, with a suffix) so the store is made anew; true when it was moved.
    static bool setAsideIfUnreadable(const NSString& path, const char* probe);
    // Named statement parameters; a nil text binds NULL.
    static std::shared_ptr<NSDictionary> named(std::initializer_list<std::pair<const char*, NSString>> values);

private:
    std::shared_ptr<SQDatabase> m_database;
};
