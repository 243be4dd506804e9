#pragma once
// The cursor a query returns: steps one prepared statement row by row and reads the current row's
// columns by index or by name. A set closes itself when it steps past its last row or fails, and
// tells its connection; a caller that stops early closes it (or leaves it to the connection).

#include "library/sqlite/SQStatement.h"
#include "platform/foundation/NSDictionary.h"

#include <optional>
#include <span>
#include <unordered_map>

class NSData;
class NSDate;
class SQDatabase;

class SQResultSet : public NSObject {
    NS_OBJECT(SQResultSet, NSObject)
public:
    static std::shared_ptr<SQResultSet> resultSetWithStatement(const std::shared_ptr<SQStatement>& statement,
        const std::shared_ptr<SQDatabase>& parentDatabase);
    ~SQResultSet() override;

    // Steps to the next row; NO past the last row or on an error, and the set is then closed.
    bool next();
    bool hasAnotherRow() const;
    void close();
    // Sets, on any object that takes setValue(value, key), each non-NULL column as text under
    // the column's name.
    template <class T>
        requires requires(T& object) { object.setValue(id {}, NSString {}); }
    void kvcMagic(const std::shared_ptr<T>& object);

    int columnCount() const;
    NSString columnNameForIndex(int columnIdx) const;
    // Without regard to case; -1 (and a warning) when no column has the name.
    int columnIndexForName(const NSString& columnName);

    int intForColumnIndex(int columnIdx) const;
    int intForColumn(const NSString& columnName) { return intForColumnIndex(columnIndexForName(columnName)); }
    std::int64_t longForColumnIndex(int columnIdx) const;
    std::int64_t longForColumn(const NSString& columnName) { return longForColumnIndex(columnIndexForName(columnName)); }
    long long longLongIntForColumnIndex(int columnIdx) const;
    long long longLongIntForColumn(const NSString& columnName) { return longLongIntForColumnIndex(columnIndexForName(columnName)); }
    unsigned long long unsignedLongLongIntForColumnIndex(int columnIdx) const;
    unsigned long long unsignedLongLongIntForColumn(const NSString& columnName) { return unsignedLongLongIntForColumnIndex(columnIndexForName(columnName)); }
    bool boolForColumnIndex(int columnIdx) const { return intForColumnIndex(columnIdx) != 0; }
    bool boolForColumn(const NSString& columnName) { return boolForColumnIndex(columnIndexForName(columnName)); }
    double doubleForColumnIndex(int columnIdx) const;
    double doubleForColumn(const NSString& columnName) { return doubleForColumnIndex(columnIndexForName(columnName)); }
    NSString stringForColumnIndex(int columnIdx) const;
    NSString stringForColumn(const NSString& columnName) { return stringForColumnIndex(columnIndexForName(columnName)); }
    std::shared_ptr<NSDate> dateForColumnIndex(int columnIdx) const;
    std::shared_ptr<NSDate> dateForColumn(const NSString& columnName) { return dateForColumnIndex(columnIndexForName(columnName)); }
    std::shared_ptr<NSData> dataForColumnIndex(int columnIdx) const;
    std::shared_ptr<NSData> dataForColumn(const NSString& columnName) { return dataForColumnIndex(columnIndexForName(columnName)); }
    // SQLite's own bytes, valid only until the next step, reset or close; nullopt for NULL.
    std::optional<std::span<const std::uint8_t>> dataNoCopyForColumnIndex(int columnIdx) const;
    std::optional<std::span<const std::uint8_t>> dataNoCopyForColumn(const NSString& columnName) { return dataNoCopyForColumnIndex(columnIndexForName(columnName)); }
    // SQLite's own text, valid like the bytes above; null for NULL.
    const char* UTF8StringForColumnIndex(int columnIdx) const;
    const char* UTF8StringForColumnName(const NSString& columnName) { return UTF8StringForColumnIndex(columnIndexForName(columnName)); }
    bool columnIndexIsNull(int columnIdx) const;
    bool columnIsNull(const NSString& columnName) { return columnIndexIsNull(columnIndexForName(columnName)); }
    // A number, data or text by the column's type; NSNull for NULL.
    id objectForColumnIndex(int columnIdx) const;
    id objectForColumnName(const NSString& columnName) { return objectForColumnIndex(columnIndexForName(columnName)); }
    id objectAtIndexedSubscript(int columnIdx) const { return objectForColumnIndex(columnIdx); }
    id objectForKeyedSubscript(const NSString& columnName) { return objectForColumnName(columnName); }

    // The row keyed by the column names as SQLite reports them; nil when the row has no data.
    std::shared_ptr<NSMutableDictionary> resultDictionary() const;
    // The older form, keyed by the lower-case names.
    std::shared_ptr<NSDictionary> resultDict();

    const NSString& query() const { return _query; }
    void setQuery(const NSString& query) { _query = query; }
    const std::shared_ptr<SQStatement>& statement() const { return _statement; }
    void setStatement(const std::shared_ptr<SQStatement>& statement) { _statement = statement; }
    const std::shared_ptr<SQDatabase>& parentDB() const { return _parentDB; }
    void setParentDB(const std::shared_ptr<SQDatabase>& parentDB) { _parentDB = parentDB; }
    // Lower-case column name to column index, built on first use.
    std::shared_ptr<NSDictionary> columnNameToIndexMap();

protected:
    void init(const std::shared_ptr<SQStatement>& statement, const std::shared_ptr<SQDatabase>& parentDatabase);

private:
    sqlite3_stmt* handle() const { return _statement ? _statement->statement() : nullptr; }
    void buildColumnNameToIndexMap();

    std::shared_ptr<SQDatabase> _parentDB;
    std::shared_ptr<SQStatement> _statement;
    NSString _query;
    std::unordered_map<std::u16string, int> _columnNameToIndexMap;
    bool _columnNameToIndexMapBuilt { false };
    // Names as callers spell them, so a row loop that reads by name lower-cases each name once.
    // Row loops ask for the same names in the same order, so the search starts after the last hit.
    std::vector<std::pair<std::u16string, int>> _columnIndexForSpelling;
    std::size_t _nextSpelling { 0 };
};

template <class T>
    requires requires(T& object) { object.setValue(id {}, NSString {}); }
void SQResultSet::kvcMagic(const std::shared_ptr<T>& object)
{
    if (!object)
        return;
    const int columns = columnCount();
    for (int index = 0; index < columns; ++index) {
        NSString text = stringForColumnIndex(index);
        if (!text.isNil())
            object->setValue(static_cast<id>(text), columnNameForIndex(index));
    }
}
