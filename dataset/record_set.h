#pragma once
// The in-memory record set: typed fields, rows, a current row in browse, edit or
// insert state, hooks, a change log, nested lines under a header, and sums over the
// lines. It stands in for the platform's record-set engine and behaves as the
// import expects of it; it knows nothing of Qt or of the database.
#include "dataset/field.h"
#include "dataset/sum_field.h"
#include "dataset/value.h"
#include "platform/errors.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dataset {

enum class State { Inactive, Browse, Edit, Insert };
enum class HookAction { Fail, Abort, Retry };
enum class RowStatus { Unmodified, Inserted, Modified, Deleted };

class RecordSet;
using AfterInsertHook = std::function<void(RecordSet&)>;
// Called with the record set and the database error raised inside post, edit or
// delete. Fail: the error goes on; Abort: the operation ends with a silent abort;
// Retry: the operation runs again.
using ErrorHook = std::function<HookAction(RecordSet&, const platform::DatabaseError&)>;

// A column of a statement's result, as the provider reports it.
struct ColumnInfo {
    std::string name;
    FieldKind kind = FieldKind::Text;
    int size = 0; // as in FieldDef

    bool operator==(const ColumnInfo&) const = default;
};

// A row read through a provider: one value per column, and for a header its lines.
struct RowData {
    std::vector<Value> values;
    std::vector<RowData> details;
};

// One changed row of the change log.
struct LoggedRow {
    RowStatus status = RowStatus::Unmodified;
    const std::vector<Value>* values = nullptr;   // current values, in field order
    const std::vector<Value>* original = nullptr; // values as read (changed rows)
};

// A header with changes of its own or changes among its lines, in log order.
struct LoggedHeader {
    LoggedRow row; // status Unmodified when only lines changed
    std::vector<LoggedRow> details;
};

class RecordSet {
public:
    RecordSet(std::string name, std::vector<FieldDef> fields);
    ~RecordSet();
    RecordSet(const RecordSet&) = delete;
    RecordSet& operator=(const RecordSet&) = delete;

    const std::string& name() const;

    // Fields, in field order.
    std::size_t fieldCount() const;
    const FieldDef& fieldDef(std::size_t index) const;
    Field field(std::size_t index);
    // Raises DatabaseError "<set>: Field '<name>' not found".
    Field field(std::string_view name);
    std::optional<Field> findField(std::string_view name);

    // Opening. With declared fields each one must have a column of its name
    // ("<set>: Field '%s' not found") of a fitting kind ("<set>: Type mismatch for
    // field '%s', expecting: %s actual: %s"); a longer text column is accepted, a
    // shorter one narrows the field; further columns get no field. Without declared
    // fields, one field per column. Rows carry one value per column in column order.
    // A header with nested lines checks the lines against detailColumns the same way.
    void open(const std::vector<ColumnInfo>& columns, std::vector<RowData> rows,
              const std::vector<ColumnInfo>* detailColumns = nullptr);
    // Opens empty with the declared fields and no source behind it.
    void createDataSet();
    // Ends the record set; its rows and change log are dropped.
    void close();
    // Every operation on a closed set raises "<set>: Cannot perform this operation on
    // a closed dataset".
    bool active() const;

    State state() const;
    // Whether anything was assigned to the pending row since insert or edit.
    bool modified() const;

    // Rows and the current row.
    std::size_t recordCount() const;
    bool isEmpty() const;
    std::size_t recNo() const; // 0-based; 0 when empty
    bool eof() const;          // moved past the last row (or empty)
    void first();
    void next();
    void moveTo(std::size_t row);
    // The stored value of any row, for grids.
    const Value& valueAt(std::size_t row, std::size_t field) const;

    // Insert at the current position; append at the end. A pending row is posted
    // first when something was assigned to it, cancelled otherwise. Then the new row
    // (all null, a nested line's link excepted) and the after-insert hook.
    void insert();
    void append();
    // Edit the current row; on an empty set, insert. Nothing in edit or insert state.
    void edit();
    // Required check (first required, writable, null field in field order: "Field
    // '%s' must have a value" with its label), store, update sums, browse state.
    // Database errors go to the post-error hook. Nothing in browse state.
    void post();
    // Drop the pending changes of the current row.
    void cancel();
    // What moving and inserting do to a pending row (the lines' first): posted when
    // something was assigned to it, cancelled otherwise. Leaves the set in browse state.
    void checkBrowseMode();
    // Delete the current row (through the delete-error hook). In insert state it
    // cancels; on an empty set: "<set>: Cannot perform this operation on an empty
    // dataset".
    void remove();

    // A read-only set refuses insert, edit and delete: "<set>: Cannot modify a
    // read-only dataset" (inside the guarded part of edit and delete).
    void setReadOnly(bool readOnly);

    AfterInsertHook afterInsert;
    ErrorHook onPostError;
    ErrorHook onEditError;
    ErrorHook onDeleteError;

    // Keeps the rows in ascending order of these fields (stable), also after posts.
    void setIndexFields(std::vector<std::string> fieldNames);
    const std::vector<std::string>& indexFields() const;

    // Nesting: declares the lines of each row as a record set of their own, linked by
    // linkField (same name in both), which the lines take from their header. Deleting
    // a header deletes its lines.
    RecordSet& nest(std::string detailName, std::vector<FieldDef> detailFields, std::string linkField);
    RecordSet* detail() const;

    // Sum fields over the rows of this set (for a nested set: the current header's
    // lines). The expression is "sum(<field>)" over a numeric field of this set.
    void addSum(std::string sumName, std::string expression);
    // Raises DatabaseError "<set>: Field '<name>' not found".
    SumField sumField(std::string_view sumName) const;

    // The change log: rows posted since the set was read. A nested set's lines belong
    // to their header's log, so on a nested set these act on the header set's log.
    std::size_t changeCount() const;
    std::vector<LoggedHeader> changeLog() const;
    // The logged rows now count as read from the database.
    void mergeChangeLog();
    // Cancels a pending row, then drops the whole change log.
    void cancelUpdates();
    // Raises "<set>: Must apply updates before refreshing data" while the log is not empty.
    void requireNoPendingUpdates() const;

private:
    friend class Field;
    friend class SumField;
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace dataset
