#include "dataset/record_set.h"

#include "dataset/record_set_impl.h"
#include "platform/regional_settings.h"

#include <algorithm>
#include <stdexcept>

namespace dataset {
namespace {

using platform::DatabaseError;

char lowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Field and column names match as the database matches unquoted names: without
// regard to case.
bool sameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lowerAscii(a[i]) != lowerAscii(b[i]))
            return false;
    return true;
}

bool compatible(FieldKind field, FieldKind column)
{
    auto textual = [](FieldKind k) { return k == FieldKind::Text || k == FieldKind::FixedText; };
    return field == column || (textual(field) && textual(column));
}

// The fields in force for a set opened over these columns, and for each field the
// column that feeds it.
void resolveFields(const std::string& setName, const std::vector<FieldDef>& declared,
                   const std::vector<ColumnInfo>& columns, std::vector<FieldDef>& fields,
                   std::vector<std::size_t>& columnOf)
{
    fields.clear();
    columnOf.clear();
    if (declared.empty()) {
        for (std::size_t c = 0; c < columns.size(); ++c) {
            FieldDef def;
            def.name = columns[c].name;
            def.kind = columns[c].kind;
            def.size = columns[c].size;
            fields.push_back(std::move(def));
            columnOf.push_back(c);
        }
        return;
    }
    for (const FieldDef& def : declared) {
        const auto column = std::find_if(columns.begin(), columns.end(), [&](const ColumnInfo& info) {
            return sameName(info.name, def.name);
        });
        if (column == columns.end())
            throw DatabaseError(setName + ": Field '" + def.name + "' not found");
        if (!compatible(def.kind, column->kind))
            throw DatabaseError(setName + ": Type mismatch for field '" + def.name +
                                "', expecting: " + kindName(def.kind) + " actual: " + kindName(column->kind));
        FieldDef inForce = def;
        const bool textual = def.kind == FieldKind::Text || def.kind == FieldKind::FixedText;
        if (textual && column->size > 0 && column->size < def.size)
            inForce.size = column->size;
        fields.push_back(std::move(inForce));
        columnOf.push_back(static_cast<std::size_t>(column - columns.begin()));
    }
}

std::unique_ptr<Row> rowFrom(RowData& data, const std::vector<std::size_t>& columnOf, std::uint64_t readSeq)
{
    auto row = std::make_unique<Row>();
    row->values.resize(columnOf.size());
    for (std::size_t f = 0; f < columnOf.size(); ++f)
        if (columnOf[f] < data.values.size())
            row->values[f] = std::move(data.values[columnOf[f]]);
    row->readSeq = readSeq;
    return row;
}

void renumber(RowList& rows)
{
    std::uint64_t seq = 0;
    for (auto& row : rows)
        row->readSeq = seq++;
}

LoggedRow loggedRow(const Row& row)
{
    LoggedRow logged;
    logged.status = row.status;
    logged.values = &row.values;
    if (row.status == RowStatus::Modified || row.status == RowStatus::Deleted)
        logged.original = &row.original;
    return logged;
}

template <class Operation> void guarded(RecordSet& set, const ErrorHook& hook, Operation&& operation)
{
    for (;;) {
        try {
            operation();
            return;
        } catch (const DatabaseError& error) {
            const HookAction action = hook ? hook(set, error) : HookAction::Fail;
            if (action == HookAction::Fail)
                throw;
            if (action == HookAction::Abort)
                throw platform::SilentAbort();
        }
    }
}

} // namespace

const char* kindName(FieldKind kind)
{
    switch (kind) {
    case FieldKind::Text:
        return "String";
    case FieldKind::FixedText:
        return "FixedChar";
    case FieldKind::Integer:
        return "Integer";
    case FieldKind::Decimal:
        return "BCD";
    case FieldKind::Date:
        return "Date";
    case FieldKind::Float:
        return "Float";
    case FieldKind::Blob:
        return "Blob";
    }
    return "Unknown";
}

int compareValues(const Value& a, const Value& b)
{
    if (a.index() != b.index())
        return a.index() < b.index() ? -1 : 1; // null first
    auto order = [](auto c) { return c < 0 ? -1 : (c > 0 ? 1 : 0); };
    return std::visit(
        [&](const auto& x) -> int {
            using T = std::decay_t<decltype(x)>;
            const T& y = std::get<T>(b);
            if constexpr (std::is_same_v<T, std::monostate>) {
                return 0;
            } else if constexpr (std::is_same_v<T, std::string>) {
                return order(x.compare(y));
            } else if constexpr (std::is_same_v<T, Blob>) {
                return order(x.bytes.compare(y.bytes));
            } else if constexpr (std::is_same_v<T, double>) {
                return x < y ? -1 : (y < x ? 1 : 0);
            } else {
                const auto c = x <=> y;
                return c < 0 ? -1 : (c > 0 ? 1 : 0);
            }
        },
        a);
}

// ---------------------------------------------------------------------------------
// Impl

RecordSet::Impl::Impl(RecordSet& owner, std::string setName, std::vector<FieldDef> declaredFields)
    : self(owner), name(std::move(setName)), declared(std::move(declaredFields)), fields(declared)
{
}

const RecordSet::Impl::Resolved& RecordSet::Impl::resolve(const std::vector<ColumnInfo>& columns)
{
    if (!resolved || resolved->columns != columns) {
        // Resolved apart first: a refused set of columns leaves the last one in place.
        Resolved fresh;
        resolveFields(name, declared, columns, fresh.fields, fresh.columnOf);
        fresh.columns = columns;
        resolved = std::move(fresh);
    }
    return *resolved;
}

Rows* RecordSet::Impl::level() const
{
    if (!master)
        return const_cast<Rows*>(&own);
    Row* header = master->currentRow();
    return header ? header->lines.get() : nullptr;
}

Rows& RecordSet::Impl::ensureLevel()
{
    if (!master)
        return own;
    Row* header = master->currentRow();
    if (!header)
        throw std::logic_error("a line needs a current header");
    if (!header->lines)
        header->lines = std::make_unique<Rows>();
    return *header->lines;
}

std::size_t RecordSet::Impl::count() const
{
    const Rows* rows = level();
    return rows ? rows->rows.size() : 0;
}

Row* RecordSet::Impl::currentRow() const
{
    const Rows* rows = level();
    if (!rows || cur >= rows->rows.size())
        return nullptr;
    return rows->rows[cur].get();
}

RecordSet::Impl* RecordSet::Impl::detailImpl() const
{
    return detail ? detail->impl_.get() : nullptr;
}

RecordSet::Impl& RecordSet::Impl::root()
{
    return master ? *master : *this;
}
const RecordSet::Impl& RecordSet::Impl::root() const
{
    return master ? *master : *this;
}

std::optional<std::size_t> RecordSet::Impl::findFieldIndex(std::string_view fieldName) const
{
    for (std::size_t i = 0; i < fields.size(); ++i)
        if (sameName(fields[i].name, fieldName))
            return i;
    return std::nullopt;
}

void RecordSet::Impl::fieldNotFound(std::string_view fieldName) const
{
    throw DatabaseError(name + ": Field '" + std::string(fieldName) + "' not found");
}

void RecordSet::Impl::requireActive() const
{
    if (!active)
        throw DatabaseError(name + ": Cannot perform this operation on a closed dataset");
}

void RecordSet::Impl::requireWritable() const
{
    if (readOnly)
        throw DatabaseError(name + ": Cannot modify a read-only dataset");
}

Value& RecordSet::Impl::slotForAssignment(std::size_t index)
{
    if (state != State::Edit && state != State::Insert)
        throw DatabaseError(name + ": Dataset not in edit or insert mode");
    const FieldDef& def = fields.at(index);
    if (def.readOnly)
        throw DatabaseError("Field '" + def.label() + "' cannot be modified");
    return pending->values[index];
}

void RecordSet::Impl::assigned(std::size_t index)
{
    modified = true;
    if (detail && index == masterLink)
        carryLink();
}

// The lines follow their header's link value at once, also before the header posts.
void RecordSet::Impl::carryLink()
{
    Row* header = currentRow();
    Impl* lines = detailImpl();
    if (!header || !header->lines || !lines)
        return;
    const Value& link = header->values[masterLink];
    for (auto& line : header->lines->rows)
        line->values[lines->detailLink] = link;
    if (lines->state == State::Edit && !lines->backup.empty())
        lines->backup[lines->detailLink] = link;
}

void RecordSet::Impl::checkBrowseMode()
{
    if (Impl* lines = detailImpl())
        lines->checkBrowseMode();
    if (state != State::Edit && state != State::Insert)
        return;
    if (modified)
        self.post();
    else
        self.cancel();
}

void RecordSet::Impl::leaveEditState(State next)
{
    pending = nullptr;
    backup.clear();
    modified = false;
    state = next;
}

void RecordSet::Impl::parentEdit()
{
    if (!master)
        return;
    if (master->state == State::Insert)
        master->self.post();
    master->self.edit();
}

void RecordSet::Impl::currentRowChanged()
{
    if (Impl* lines = detailImpl()) {
        lines->cur = 0;
        lines->eof = lines->count() == 0;
    }
}

void RecordSet::Impl::requiredCheck() const
{
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const FieldDef& def = fields[i];
        if (def.required && !def.readOnly && isNull(pending->values[i]))
            throw DatabaseError("Field '" + def.label() + "' must have a value");
    }
}

void RecordSet::Impl::store()
{
    Row* row = pending;
    if (state == State::Insert) {
        row->status = RowStatus::Inserted;
    } else if (modified && row->status == RowStatus::Unmodified) {
        row->original = std::move(backup);
        row->status = RowStatus::Modified;
    }
    if (row->status != RowStatus::Unmodified)
        logRow(row);
    const bool moved = state == State::Insert || modified;
    leaveEditState(State::Browse);
    if (moved)
        reposition();
}

void RecordSet::Impl::logRow(Row* row)
{
    if (!row->logged) {
        row->logged = true;
        ensureLevel().log.push_back(row);
    }
    // A changed line puts its header in the log, as unmodified unless it changed too.
    if (master) {
        Row* header = master->currentRow();
        if (header && !header->logged) {
            header->logged = true;
            master->own.log.push_back(header);
        }
    }
}

void RecordSet::Impl::unlogRow(Row* row)
{
    if (!row->logged)
        return;
    Rows* rows = level();
    if (rows)
        std::erase(rows->log, row);
    row->logged = false;
    if (master) {
        Row* header = master->currentRow();
        if (header && header->logged && header->status == RowStatus::Unmodified &&
            (!header->lines || header->lines->log.empty())) {
            std::erase(master->own.log, header);
            header->logged = false;
        }
    }
}

int RecordSet::Impl::compareKeys(const Row& a, const Row& b) const
{
    for (const std::size_t f : indexFields)
        if (const int c = compareValues(a.values[f], b.values[f]))
            return c;
    return 0;
}

bool RecordSet::Impl::inOrder(const Row& a, const Row& b) const
{
    return compareKeys(a, b) <= 0;
}

void RecordSet::Impl::sortRows(RowList& rows) const
{
    std::stable_sort(rows.begin(), rows.end(),
                     [this](const auto& a, const auto& b) { return compareKeys(*a, *b) < 0; });
}

// After a post the current row takes its place in the index and stays current.
void RecordSet::Impl::reposition()
{
    if (indexFields.empty())
        return;
    Rows* rows = level();
    if (!rows || cur >= rows->rows.size())
        return;
    RowList& list = rows->rows;
    const Row& row = *list[cur];
    const bool afterPrevious = cur == 0 || inOrder(*list[cur - 1], row);
    const bool beforeNext = cur + 1 == list.size() || inOrder(row, *list[cur + 1]);
    if (afterPrevious && beforeNext)
        return;
    std::unique_ptr<Row> moving = std::move(list[cur]);
    list.erase(list.begin() + static_cast<std::ptrdiff_t>(cur));
    const auto place =
        std::upper_bound(list.begin(), list.end(), moving,
                         [this](const auto& a, const auto& b) { return compareKeys(*a, *b) < 0; });
    cur = static_cast<std::size_t>(place - list.begin());
    list.insert(place, std::move(moving));
}

void RecordSet::Impl::removeCurrentRow()
{
    Rows& rows = ensureLevel();
    Row* row = rows.rows[cur].get();
    unlogRow(row);
    rows.rows.erase(rows.rows.begin() + static_cast<std::ptrdiff_t>(cur));
    if (cur > 0 && cur >= rows.rows.size())
        --cur;
    eof = rows.rows.empty();
    currentRowChanged();
}

void RecordSet::Impl::deleteCurrentRow()
{
    Rows& rows = ensureLevel();
    Row* row = rows.rows[cur].get();
    if (state == State::Edit)
        row->values = std::move(backup);
    leaveEditState(State::Browse);
    if (row->status == RowStatus::Inserted) {
        // Never written: it leaves no trace in the log, and its lines go with it.
        removeCurrentRow();
        return;
    }
    if (row->status == RowStatus::Unmodified)
        row->original = row->values;
    row->status = RowStatus::Deleted;
    rows.deleted.push_back(std::move(rows.rows[cur]));
    rows.rows.erase(rows.rows.begin() + static_cast<std::ptrdiff_t>(cur));
    logRow(row);
    if (cur > 0 && cur >= rows.rows.size())
        --cur;
    eof = rows.rows.empty();
    currentRowChanged();
}

void RecordSet::Impl::insertRow(bool atEnd)
{
    requireActive();
    checkBrowseMode();
    requireWritable();
    parentEdit();
    Rows& rows = ensureLevel();
    auto row = std::make_unique<Row>();
    row->values.resize(fields.size());
    // A new line belongs to the current header from the start, before its own hook.
    if (master)
        row->values[detailLink] = master->currentRow()->values[master->masterLink];
    const std::size_t position =
        atEnd || rows.rows.empty() ? rows.rows.size() : std::min(cur, rows.rows.size());
    Row* added = row.get();
    rows.rows.insert(rows.rows.begin() + static_cast<std::ptrdiff_t>(position), std::move(row));
    cur = position;
    eof = false;
    pending = added;
    state = State::Insert;
    modified = false;
    currentRowChanged();
    if (self.afterInsert)
        self.afterInsert(self);
}

void RecordSet::Impl::dropRows()
{
    if (Impl* lines = detailImpl()) {
        lines->active = false;
        lines->leaveEditState(State::Inactive);
        lines->cur = 0;
        lines->eof = true;
    }
    // Cleared rather than replaced: a new deque allocates, and the look-ups of an
    // import reopen their record sets thousands of times.
    own.rows.clear();
    own.deleted.clear();
    own.log.clear();
    leaveEditState(State::Inactive);
    cur = 0;
    eof = true;
}

// ---------------------------------------------------------------------------------
// RecordSet

RecordSet::RecordSet(std::string name, std::vector<FieldDef> fields)
    : impl_(std::make_unique<Impl>(*this, std::move(name), std::move(fields)))
{
}

RecordSet::~RecordSet() = default;

const std::string& RecordSet::name() const
{
    return impl_->name;
}

std::size_t RecordSet::fieldCount() const
{
    return impl_->fields.size();
}

const FieldDef& RecordSet::fieldDef(std::size_t index) const
{
    return impl_->fields.at(index);
}

Field RecordSet::field(std::size_t index)
{
    if (index >= impl_->fields.size())
        throw std::out_of_range("field index");
    return Field(this, index);
}

Field RecordSet::field(std::string_view name)
{
    if (const auto index = impl_->findFieldIndex(name))
        return Field(this, *index);
    impl_->fieldNotFound(name);
}

std::optional<Field> RecordSet::findField(std::string_view name)
{
    if (const auto index = impl_->findFieldIndex(name))
        return Field(this, *index);
    return std::nullopt;
}

void RecordSet::open(const std::vector<ColumnInfo>& columns, std::vector<RowData> rows,
                     const std::vector<ColumnInfo>* detailColumns)
{
    Impl& d = *impl_;
    if (d.master)
        throw std::logic_error("a nested record set opens with its header set");

    const Impl::Resolved& header = d.resolve(columns);

    Impl* lines = d.detailImpl();
    std::vector<FieldDef> lineFields;
    std::vector<std::size_t> lineColumnOf;
    if (lines) {
        if (detailColumns) {
            const Impl::Resolved& resolvedLines = lines->resolve(*detailColumns);
            lineFields = resolvedLines.fields;
            lineColumnOf = resolvedLines.columnOf;
        } else {
            lineFields = lines->declared;
            for (std::size_t i = 0; i < lineFields.size(); ++i)
                lineColumnOf.push_back(i);
        }
    }

    // Every check passed: only now does the set let go of what it held.
    d.dropRows();
    d.fields = header.fields;
    std::uint64_t seq = 0;
    for (RowData& data : rows) {
        auto row = rowFrom(data, header.columnOf, seq++);
        if (lines && !data.details.empty()) {
            row->lines = std::make_unique<Rows>();
            std::uint64_t lineSeq = 0;
            for (RowData& lineData : data.details)
                row->lines->rows.push_back(rowFrom(lineData, lineColumnOf, lineSeq++));
        }
        d.own.rows.push_back(std::move(row));
    }
    if (!d.indexFields.empty())
        d.sortRows(d.own.rows);
    d.active = true;
    d.state = State::Browse;
    d.eof = d.own.rows.empty();
    if (lines) {
        lines->fields = std::move(lineFields);
        lines->active = true;
        lines->state = State::Browse;
    }
    d.currentRowChanged();
}

void RecordSet::createDataSet()
{
    Impl& d = *impl_;
    if (d.master)
        throw std::logic_error("a nested record set opens with its header set");
    d.dropRows();
    d.fields = d.declared;
    d.active = true;
    d.state = State::Browse;
    if (Impl* lines = d.detailImpl()) {
        lines->fields = lines->declared;
        lines->active = true;
        lines->state = State::Browse;
    }
    d.currentRowChanged();
}

void RecordSet::close()
{
    Impl& d = *impl_;
    if (d.master) {
        // A nested set has no rows of its own to drop; it only stops answering.
        d.active = false;
        d.leaveEditState(State::Inactive);
        return;
    }
    d.dropRows();
    d.active = false;
}

bool RecordSet::active() const
{
    return impl_->active;
}

State RecordSet::state() const
{
    return impl_->state;
}

bool RecordSet::modified() const
{
    return impl_->modified;
}

std::size_t RecordSet::recordCount() const
{
    return impl_->active ? impl_->count() : 0;
}

bool RecordSet::isEmpty() const
{
    return recordCount() == 0;
}

std::size_t RecordSet::recNo() const
{
    return impl_->count() == 0 ? 0 : impl_->cur;
}

bool RecordSet::eof() const
{
    return impl_->eof || impl_->count() == 0;
}

void RecordSet::first()
{
    Impl& d = *impl_;
    d.requireActive();
    d.checkBrowseMode();
    d.cur = 0;
    d.eof = d.count() == 0;
    d.currentRowChanged();
}

void RecordSet::next()
{
    Impl& d = *impl_;
    d.requireActive();
    d.checkBrowseMode();
    if (d.cur + 1 < d.count()) {
        ++d.cur;
        d.currentRowChanged();
    } else {
        d.eof = true;
    }
}

void RecordSet::moveTo(std::size_t row)
{
    Impl& d = *impl_;
    d.requireActive();
    d.checkBrowseMode();
    const std::size_t n = d.count();
    d.cur = n == 0 ? 0 : std::min(row, n - 1);
    d.eof = n == 0;
    d.currentRowChanged();
}

const Value& RecordSet::valueAt(std::size_t row, std::size_t field) const
{
    const Rows* rows = impl_->level();
    if (!rows || row >= rows->rows.size() || field >= impl_->fields.size())
        throw std::out_of_range("valueAt");
    return rows->rows[row]->values[field];
}

void RecordSet::insert()
{
    impl_->insertRow(false);
}

void RecordSet::append()
{
    impl_->insertRow(true);
}

void RecordSet::edit()
{
    Impl& d = *impl_;
    d.requireActive();
    if (d.state == State::Edit || d.state == State::Insert)
        return;
    if (d.count() == 0) {
        insert();
        return;
    }
    d.parentEdit();
    guarded(*this, onEditError, [&] {
        d.requireWritable();
        Row* row = d.currentRow();
        d.backup = row->values;
        d.pending = row;
        d.state = State::Edit;
        d.modified = false;
    });
}

void RecordSet::post()
{
    Impl& d = *impl_;
    d.requireActive();
    if (d.state != State::Edit && d.state != State::Insert)
        return;
    if (Impl* lines = d.detailImpl())
        lines->checkBrowseMode();
    guarded(*this, onPostError, [&] {
        d.requiredCheck();
        d.store();
    });
}

void RecordSet::cancel()
{
    Impl& d = *impl_;
    d.requireActive();
    if (d.state != State::Edit && d.state != State::Insert)
        return;
    if (Impl* lines = d.detailImpl())
        lines->checkBrowseMode();
    if (d.state == State::Insert) {
        d.leaveEditState(State::Browse);
        d.removeCurrentRow();
        return;
    }
    const bool linkChanged = d.detail && d.pending->values[d.masterLink] != d.backup[d.masterLink];
    d.pending->values = std::move(d.backup);
    d.leaveEditState(State::Browse);
    if (linkChanged)
        d.carryLink();
}

void RecordSet::checkBrowseMode()
{
    impl_->requireActive();
    impl_->checkBrowseMode();
}

void RecordSet::remove()
{
    Impl& d = *impl_;
    d.requireActive();
    if (d.state == State::Insert) {
        cancel();
        return;
    }
    if (d.count() == 0)
        throw DatabaseError(d.name + ": Cannot perform this operation on an empty dataset");
    d.parentEdit();
    guarded(*this, onDeleteError, [&] {
        d.requireWritable();
        if (Impl* lines = d.detailImpl())
            lines->checkBrowseMode();
        d.deleteCurrentRow();
    });
}

void RecordSet::setReadOnly(bool readOnly)
{
    impl_->readOnly = readOnly;
}

void RecordSet::setIndexFields(std::vector<std::string> fieldNames)
{
    Impl& d = *impl_;
    std::vector<std::size_t> indexes;
    for (const std::string& fieldName : fieldNames) {
        const auto index = d.findFieldIndex(fieldName);
        if (!index)
            d.fieldNotFound(fieldName);
        indexes.push_back(*index);
    }
    d.indexNames = std::move(fieldNames);
    d.indexFields = std::move(indexes);
    if (!d.active || d.master)
        return;
    const Row* current = d.currentRow();
    d.sortRows(d.own.rows);
    for (std::size_t i = 0; i < d.own.rows.size(); ++i)
        if (d.own.rows[i].get() == current)
            d.cur = i;
}

const std::vector<std::string>& RecordSet::indexFields() const
{
    return impl_->indexNames;
}

RecordSet& RecordSet::nest(std::string detailName, std::vector<FieldDef> detailFields, std::string linkField)
{
    Impl& d = *impl_;
    const auto masterLink = d.findFieldIndex(linkField);
    if (!masterLink)
        d.fieldNotFound(linkField);
    auto lines = std::make_unique<RecordSet>(std::move(detailName), std::move(detailFields));
    const auto detailLink = lines->impl_->findFieldIndex(linkField);
    if (!detailLink)
        lines->impl_->fieldNotFound(linkField);
    lines->impl_->master = &d;
    lines->impl_->detailLink = *detailLink;
    lines->impl_->active = d.active;
    lines->impl_->state = d.active ? State::Browse : State::Inactive;
    d.masterLink = *masterLink;
    d.detail = std::move(lines);
    return *d.detail;
}

RecordSet* RecordSet::detail() const
{
    return impl_->detail.get();
}

void RecordSet::addSum(std::string sumName, std::string expression)
{
    Impl& d = *impl_;
    // "sum(<field>)", in any case, blanks allowed around the name.
    std::string_view text = expression;
    const auto trimmed = [](std::string_view t) {
        while (!t.empty() && t.front() == ' ')
            t.remove_prefix(1);
        while (!t.empty() && t.back() == ' ')
            t.remove_suffix(1);
        return t;
    };
    text = trimmed(text);
    if (text.size() < 5 || !sameName(text.substr(0, 4), "sum(") || text.back() != ')')
        throw std::invalid_argument(d.name + ": a sum needs an expression sum(<field>), not '" + expression +
                                    "'");
    const std::string_view fieldName = trimmed(text.substr(4, text.size() - 5));
    const auto index = d.findFieldIndex(fieldName);
    if (!index)
        d.fieldNotFound(fieldName);
    const FieldKind kind = d.fields[*index].kind;
    if (kind != FieldKind::Decimal && kind != FieldKind::Integer)
        throw std::invalid_argument(d.name + ": the sum " + sumName + " is not over a numeric field");
    d.sums.push_back({std::move(sumName), *index});
}

SumField RecordSet::sumField(std::string_view sumName) const
{
    const Impl& d = *impl_;
    for (std::size_t i = 0; i < d.sums.size(); ++i)
        if (sameName(d.sums[i].name, sumName))
            return SumField(this, i);
    d.fieldNotFound(sumName);
}

std::size_t RecordSet::changeCount() const
{
    std::size_t n = 0;
    for (const Row* header : impl_->root().own.log) {
        if (header->status != RowStatus::Unmodified)
            ++n;
        if (header->lines)
            n += header->lines->log.size();
    }
    return n;
}

std::vector<LoggedHeader> RecordSet::changeLog() const
{
    std::vector<LoggedHeader> log;
    for (const Row* header : impl_->root().own.log) {
        LoggedHeader entry;
        entry.row = loggedRow(*header);
        if (header->lines)
            for (const Row* line : header->lines->log)
                entry.details.push_back(loggedRow(*line));
        log.push_back(std::move(entry));
    }
    return log;
}

void RecordSet::mergeChangeLog()
{
    Impl& d = impl_->root();
    for (Row* header : d.own.log) {
        header->logged = false;
        if (header->status == RowStatus::Deleted)
            continue; // freed with the deleted rows below
        header->status = RowStatus::Unmodified;
        header->original.clear();
        if (Rows* lines = header->lines.get(); lines && !lines->log.empty()) {
            for (Row* line : lines->log) {
                line->logged = false;
                line->status = RowStatus::Unmodified;
                line->original.clear();
            }
            lines->log.clear();
            lines->deleted.clear();
            renumber(lines->rows);
        }
    }
    d.own.log.clear();
    d.own.deleted.clear();
    renumber(d.own.rows);
}

namespace {

// Puts one level back as it was read: inserted rows go, changed rows get their read
// values back, deleted rows return, in their order as read.
void revertLevel(Rows& rows)
{
    for (Row* row : rows.log) {
        row->logged = false;
        if (row->status == RowStatus::Inserted) {
            row->doomed = true;
        } else if (row->status != RowStatus::Unmodified) {
            row->values = std::move(row->original);
            row->original.clear();
            row->status = RowStatus::Unmodified;
        }
    }
    rows.log.clear();
    std::erase_if(rows.rows, [](const std::unique_ptr<Row>& row) { return row->doomed; });
    for (auto& row : rows.deleted)
        rows.rows.push_back(std::move(row));
    rows.deleted.clear();
    std::sort(rows.rows.begin(), rows.rows.end(),
              [](const auto& a, const auto& b) { return a->readSeq < b->readSeq; });
}

} // namespace

void RecordSet::cancelUpdates()
{
    Impl& d = impl_->root();
    d.requireActive();
    if (Impl* lines = d.detailImpl(); lines && lines->active)
        lines->self.cancel();
    d.self.cancel();
    for (Row* header : d.own.log) {
        if (header->status != RowStatus::Inserted && header->lines)
            revertLevel(*header->lines);
    }
    revertLevel(d.own);
    if (!d.indexFields.empty())
        d.sortRows(d.own.rows);
    const std::size_t n = d.own.rows.size();
    if (d.cur >= n)
        d.cur = n == 0 ? 0 : n - 1;
    d.eof = n == 0;
    d.currentRowChanged();
}

void RecordSet::requireNoPendingUpdates() const
{
    if (!impl_->root().own.log.empty())
        throw DatabaseError(impl_->name + ": Must apply updates before refreshing data");
}

} // namespace dataset
