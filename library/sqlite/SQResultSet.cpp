#include "library/sqlite/SQResultSet.h"

#include "library/sqlite/SQDatabase.h"
#include "library/sqlite/SQLog.h"
#include "platform/foundation/NSData.h"
#include "platform/foundation/NSDate.h"
#include "platform/foundation/NSNull.h"

#include <algorithm>
#include <utility>

std::shared_ptr<SQResultSet> SQResultSet::resultSetWithStatement(const std::shared_ptr<SQStatement>& statement,
    const std::shared_ptr<SQDatabase>& parentDatabase)
{
    return create(statement, parentDatabase);
}

void SQResultSet::init(const std::shared_ptr<SQStatement>& statement, const std::shared_ptr<SQDatabase>& parentDatabase)
{
    _statement = statement;
    _parentDB = parentDatabase;
    if (_statement)
        _statement->setInUse(true);
}

SQResultSet::~SQResultSet()
{
    close();
}

void SQResultSet::close()
{
    if (_statement) {
        _statement->reset();
        _statement.reset();
    }
    // Taken out first: telling the parent may be the last thing that keeps it alive.
    if (const auto parent = std::exchange(_parentDB, nullptr))
        parent->resultSetDidClose(this);
}

bool SQResultSet::next()
{
    sqlite3_stmt* statement = handle();
    if (!statement) {
        // Text without a statement prepares to nothing: there is no row, and the set is done.
        close();
        return false;
    }
    if (_parentDB)
        _parentDB->clearOwnError();
    const int rc = sqlite3_step(statement);
    if (rc == SQLITE_ROW)
        return true;
    if (rc != SQLITE_DONE) {
        sqlite3* db = _parentDB ? _parentDB->sqliteHandle() : sqlite3_db_handle(statement);
        if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED) {
            SQLog("%s:%d Database busy (%@)", __func__, __LINE__, _parentDB ? _parentDB->databasePath() : NSString());
            SQLog("Database busy");
        } else if (rc == SQLITE_ERROR || rc == SQLITE_MISUSE) {
            SQLog("Error calling sqlite3_step (%d: %s) rs", rc, sqlite3_errmsg(db));
        } else {
            SQLog("Unknown error calling sqlite3_step (%d: %s) rs", rc, sqlite3_errmsg(db));
        }
    }
    close();
    return false;
}

bool SQResultSet::hasAnotherRow() const
{
    return _parentDB && _parentDB->lastErrorCode() == SQLITE_ROW;
}

int SQResultSet::columnCount() const
{
    return sqlite3_column_count(handle());
}

NSString SQResultSet::columnNameForIndex(int columnIdx) const
{
    // SQLite reads a statement's connection here even when there is no statement.
    if (!handle())
        return NSString();
    const char* name = sqlite3_column_name(handle(), columnIdx);
    return name ? NSString::stringWithUTF8String(name) : NSString();
}

void SQResultSet::buildColumnNameToIndexMap()
{
    _columnNameToIndexMapBuilt = true;
    const int columns = columnCount();
    for (int index = 0; index < columns; ++index) {
        // The later of two columns with one lower-case name wins.
        _columnNameToIndexMap[columnNameForIndex(index).lowercaseString().characters()] = index;
    }
}

int SQResultSet::columnIndexForName(const NSString& columnName)
{
    const std::u16string_view name = columnName.view();
    const std::size_t spellings = _columnIndexForSpelling.size();
    std::size_t position = _nextSpelling;
    for (std::size_t step = 0; step < spellings; ++step, ++position) {
        if (position >= spellings)
            position = 0;
        const auto& [spelling, index] = _columnIndexForSpelling[position];
        if (spelling.size() == name.size() && std::equal(spelling.begin(), spelling.end(), name.begin())) {
            _nextSpelling = position + 1;
            return index;
        }
    }
    if (!_columnNameToIndexMapBuilt)
        buildColumnNameToIndexMap();
    const NSString lowercased = columnName.lowercaseString();
    const auto found = _columnNameToIndexMap.find(lowercased.characters());
    if (found == _columnNameToIndexMap.end()) {
        SQLog("Warning: I could not find the column named '%@'.", lowercased);
        return -1;
    }
    _columnIndexForSpelling.emplace_back(name, found->second);
    _nextSpelling = _columnIndexForSpelling.size();
    return found->second;
}

std::shared_ptr<NSDictionary> SQResultSet::columnNameToIndexMap()
{
    if (!_columnNameToIndexMapBuilt)
        buildColumnNameToIndexMap();
    const auto map = NSMutableDictionary::dictionaryWithCapacity(_columnNameToIndexMap.size());
    for (const auto& [name, index] : _columnNameToIndexMap)
        map->setObject(NSNumber::numberWithInt(index), NSString(name));
    return map;
}

int SQResultSet::intForColumnIndex(int columnIdx) const
{
    return sqlite3_column_int(handle(), columnIdx);
}

std::int64_t SQResultSet::longForColumnIndex(int columnIdx) const
{
    return sqlite3_column_int64(handle(), columnIdx);
}

long long SQResultSet::longLongIntForColumnIndex(int columnIdx) const
{
    return sqlite3_column_int64(handle(), columnIdx);
}

unsigned long long SQResultSet::unsignedLongLongIntForColumnIndex(int columnIdx) const
{
    return static_cast<unsigned long long>(sqlite3_column_int64(handle(), columnIdx));
}

double SQResultSet::doubleForColumnIndex(int columnIdx) const
{
    return sqlite3_column_double(handle(), columnIdx);
}

bool SQResultSet::columnIndexIsNull(int columnIdx) const
{
    return sqlite3_column_type(handle(), columnIdx) == SQLITE_NULL;
}

NSString SQResultSet::stringForColumnIndex(int columnIdx) const
{
    sqlite3_stmt* statement = handle();
    if (columnIdx < 0 || sqlite3_column_type(statement, columnIdx) == SQLITE_NULL)
        return NSString();
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, columnIdx));
    if (!text)
        return NSString();
    // By the byte count: stored text may hold U+0000, which must not end it early.
    const int length = sqlite3_column_bytes(statement, columnIdx);
    std::u16string units;
    if (!ns::utf16FromUTF8Strict(std::string_view(text, static_cast<std::size_t>(std::max(length, 0))), units))
        return NSString();
    return NSString(std::move(units));
}

const char* SQResultSet::UTF8StringForColumnIndex(int columnIdx) const
{
    sqlite3_stmt* statement = handle();
    if (columnIdx < 0 || sqlite3_column_type(statement, columnIdx) == SQLITE_NULL)
        return nullptr;
    return reinterpret_cast<const char*>(sqlite3_column_text(statement, columnIdx));
}

std::shared_ptr<NSDate> SQResultSet::dateForColumnIndex(int columnIdx) const
{
    sqlite3_stmt* statement = handle();
    if (columnIdx < 0 || sqlite3_column_type(statement, columnIdx) == SQLITE_NULL)
        return nullptr;
    if (_parentDB && _parentDB->hasDateFormatter())
        return _parentDB->dateFromString(stringForColumnIndex(columnIdx));
    return NSDate::dateWithTimeIntervalSince1970(doubleForColumnIndex(columnIdx));
}

std::shared_ptr<NSData> SQResultSet::dataForColumnIndex(int columnIdx) const
{
    const auto bytes = dataNoCopyForColumnIndex(columnIdx);
    if (!bytes)
        return nullptr;
    return NSData::dataWithBytes(bytes->data(), bytes->size());
}

std::optional<std::span<const std::uint8_t>> SQResultSet::dataNoCopyForColumnIndex(int columnIdx) const
{
    sqlite3_stmt* statement = handle();
    if (columnIdx < 0 || sqlite3_column_type(statement, columnIdx) == SQLITE_NULL)
        return std::nullopt;
    const auto* bytes = static_cast<const std::uint8_t*>(sqlite3_column_blob(statement, columnIdx));
    const int length = sqlite3_column_bytes(statement, columnIdx);
    if (!bytes || length <= 0)
        return std::span<const std::uint8_t>();
    return std::span<const std::uint8_t>(bytes, static_cast<std::size_t>(length));
}

id SQResultSet::objectForColumnIndex(int columnIdx) const
{
    id value;
    switch (sqlite3_column_type(handle(), columnIdx)) {
    case SQLITE_INTEGER:
        value = NSNumber::numberWithLongLong(longLongIntForColumnIndex(columnIdx));
        break;
    case SQLITE_FLOAT:
        value = NSNumber::numberWithDouble(doubleForColumnIndex(columnIdx));
        break;
    case SQLITE_BLOB:
        value = dataForColumnIndex(columnIdx);
        break;
    default:
        value = stringForColumnIndex(columnIdx);
        break;
    }
    return value ? value : NSNull::null();
}

std::shared_ptr<NSMutableDictionary> SQResultSet::resultDictionary() const
{
    sqlite3_stmt* statement = handle();
    if (sqlite3_data_count(statement) == 0) {
        SQLog("Warning: There seem to be no columns in this set.");
        return nullptr;
    }
    const int columns = sqlite3_column_count(statement);
    const auto dictionary = NSMutableDictionary::dictionaryWithCapacity(static_cast<NSUInteger>(columns));
    for (int index = 0; index < columns; ++index) {
        const NSString name = columnNameForIndex(index);
        dictionary->setObject(objectForColumnIndex(index), name.isNil() ? NSString("") : name);
    }
    return dictionary;
}

std::shared_ptr<NSDictionary> SQResultSet::resultDict()
{
    if (sqlite3_data_count(handle()) == 0) {
        SQLog("Warning: There seem to be no columns in this set.");
        return nullptr;
    }
    if (!_columnNameToIndexMapBuilt)
        buildColumnNameToIndexMap();
    const auto dictionary = NSMutableDictionary::dictionaryWithCapacity(_columnNameToIndexMap.size());
    const int columns = columnCount();
    for (int index = 0; index < columns; ++index) {
        NSString name = columnNameForIndex(index).lowercaseString();
        const auto found = _columnNameToIndexMap.find(name.characters());
        if (found != _columnNameToIndexMap.end() && found->second == index)
            dictionary->setObject(objectForColumnIndex(index), name);
    }
    return dictionary->copyDictionary();
}
