#pragma once
// The inside of a record set, shared by the record set and its field handles. Not
// part of the interface that other folders use.
#include "dataset/record_set.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace dataset {

struct Row;
// A deque keeps inserting at either end cheap: the import inserts every line at the
// current position, which is always the front or the back.
using RowList = std::deque<std::unique_ptr<Row>>;

// The rows of one level: the headers of a record set, or the lines of one header.
struct Rows {
    RowList rows;
    std::vector<std::unique_ptr<Row>> deleted; // deleted since the last read, kept for the log
    std::vector<Row*> log;                     // logged rows of this level, in log order
};

struct Row {
    std::vector<Value> values;
    std::vector<Value> original; // values as read, for changed and deleted rows
    RowStatus status = RowStatus::Unmodified;
    bool logged = false;         // in its level's log
    bool doomed = false;         // marked for removal while the log is cancelled
    std::uint64_t readSeq = 0;   // position as last read or merged
    std::unique_ptr<Rows> lines; // a header's nested lines, made on first use
};

struct RecordSet::Impl {
    Impl(RecordSet& owner, std::string setName, std::vector<FieldDef> declaredFields);

    RecordSet& self;
    std::string name;
    std::vector<FieldDef> declared;
    std::vector<FieldDef> fields; // in force: the declared ones, narrowed, or the columns

    bool active = false;
    State state = State::Inactive;
    bool modified = false;
    std::size_t cur = 0;
    bool eof = true;
    Row* pending = nullptr;    // the row in edit or insert state
    std::vector<Value> backup; // its values before the edit

    Rows own; // the rows of a top-level set; a nested set shows its header's lines

    Impl* master = nullptr;
    std::unique_ptr<RecordSet> detail;
    std::size_t masterLink = 0; // in the master: the field the lines take
    std::size_t detailLink = 0; // in the detail: the field that holds it

    struct Sum {
        std::string name;
        std::size_t field; // the field summed
    };
    std::vector<Sum> sums;
    // Null (nullopt) without posted rows; otherwise the total, null values as 0.
    std::optional<Decimal> sumOf(const Sum& sum) const;

    std::vector<std::string> indexNames;
    std::vector<std::size_t> indexFields;

    bool readOnly = false;

    // The fields last resolved for a statement's columns. The look-ups of an import
    // reopen the same record sets over the same columns thousands of times.
    struct Resolved {
        std::vector<ColumnInfo> columns;
        std::vector<FieldDef> fields;
        std::vector<std::size_t> columnOf;
    };
    std::optional<Resolved> resolved;
    // The fields in force over these columns and the column of each (the checks of
    // open), from the last resolution when the columns are the same.
    const Resolved& resolve(const std::vector<ColumnInfo>& columns);

    // Rows of this set as they stand: null for a nested set whose header has no lines.
    Rows* level() const;
    Rows& ensureLevel();
    std::size_t count() const;
    Row* currentRow() const;
    Impl* detailImpl() const;

    std::optional<std::size_t> findFieldIndex(std::string_view fieldName) const;
    [[noreturn]] void fieldNotFound(std::string_view fieldName) const;

    void requireActive() const;
    void requireWritable() const;

    // Field assignment: the slot of the pending row after the state and read-only
    // checks; then assigned() once the new value is in place.
    Value& slotForAssignment(std::size_t index);
    void assigned(std::size_t index);
    void carryLink();

    // Post when something was assigned, cancel otherwise; the lines first.
    void checkBrowseMode();
    // No pending row any more: its before-edit values are dropped and the set is in
    // the state given (browse after a post, cancel or delete; inactive when closed).
    void leaveEditState(State next);
    // What a line operation does to its header: post a new header, then edit.
    void parentEdit();
    void currentRowChanged();
    void requiredCheck() const;
    void store();
    void logRow(Row* row);
    void unlogRow(Row* row);
    void reposition();
    bool inOrder(const Row& a, const Row& b) const;
    int compareKeys(const Row& a, const Row& b) const;
    void sortRows(RowList& rows) const;
    void insertRow(bool atEnd);
    void removeCurrentRow();
    void deleteCurrentRow();
    void dropRows();
    Impl& root();
    const Impl& root() const;
};

int compareValues(const Value& a, const Value& b);

} // namespace dataset
