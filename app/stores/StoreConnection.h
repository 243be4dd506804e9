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
    // What a store's file is worth. A file is damaged only when a connection that may write
    // (and so rolls back what a killed writer left half done) still finds it unsound or unable to
    // answer the probe query; one that another connection holds locked is busy, to be tried later.
    enum class Health { Sound, Missing, Busy, Damaged };
    static Health checkStore(const NSString& path, const char* probe);
    // Moves a damaged store out of the way (beside it, with a suffix, its journal with it) so the
    // store is made anew; an older copy set aside goes, so only the latest is kept. True when moved.
    static bool setAsideIfUnreadable(const NSString& path, const char* probe);
    // Removes the copies of the store set aside: the new store has taken their place.
    static void removeSetAside(const NSString& path);
    // Named statement parameters; a nil text binds NULL.
    static std::shared_ptr<NSDictionary> named(std::initializer_list<std::pair<const char*, NSString>> values);

private:
    std::shared_ptr<SQDatabase> m_database;
};
