#include "columns_of.h"
#include "dataset/declarations.h"
#include "dataset/record_set.h"
#include "platform/errors.h"
#include "platform/regional_settings.h"
#include "support/test_support.h"

#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace {

using dataset::ColumnInfo;
using dataset::FieldDef;
using dataset::FieldKind;
using dataset::HookAction;
using dataset::RecordSet;
using dataset::RowData;
using dataset::RowStatus;
using dataset::State;
using dataset::Value;

using testing_support::messageOf;

std::vector<FieldDef> itemFields()
{
    return {
        FieldDef{"ID", FieldKind::Integer, 0, true, false, {}},
        FieldDef{"NAME", FieldKind::Text, 10, true, false, {}},
        FieldDef{"AMOUNT", FieldKind::Decimal, 2, false, false, {}},
    };
}

RowData item(std::int32_t id, std::string name)
{
    return RowData{{Value(id), Value(std::move(name)), Value()}, {}};
}

class RecordSetTest : public testing::Test {
protected:
    void SetUp() override { platform::setRegionalSettings({'.', "dd/MM/yyyy", '/'}); }
    void TearDown() override { platform::setRegionalSettings({}); }

    // A set read with three rows: 1 uno, 2 dos, 3 tres.
    std::unique_ptr<RecordSet> readItems()
    {
        auto set = std::make_unique<RecordSet>("CItems", itemFields());
        set->open(columnsOf(*set), {item(1, "uno"), item(2, "dos"), item(3, "tres")});
        return set;
    }
    static std::vector<std::string> names(RecordSet& set)
    {
        std::vector<std::string> out;
        for (std::size_t i = 0; i < set.recordCount(); ++i)
            out.push_back(std::get<std::string>(set.valueAt(i, 1)));
        return out;
    }
};

TEST_F(RecordSetTest, InsertPostsAnAssignedPendingRowAndCancelsAnEmptyOne)
{
    auto set = readItems();
    int inserted = 0;
    set->afterInsert = [&](RecordSet& s) {
        ++inserted;
        EXPECT_EQ(s.state(), State::Insert);
        EXPECT_TRUE(s.field("ID").isNull());
    };
    set->insert(); // at the current position: before the first row
    EXPECT_EQ(set->recNo(), 0u);
    set->insert(); // nothing assigned: the first new row is cancelled
    EXPECT_EQ(set->recordCount(), 4u);
    set->field("ID").setAsInteger(9);
    set->field("NAME").setAsString("nueve");
    set->append(); // the assigned row is posted first
    EXPECT_EQ(inserted, 3);
    EXPECT_EQ(set->recordCount(), 5u);
    EXPECT_EQ(set->recNo(), 4u);
    set->cancel();
    EXPECT_EQ(names(*set), (std::vector<std::string>{"nueve", "uno", "dos", "tres"}));
    EXPECT_EQ(set->state(), State::Browse);
}

TEST_F(RecordSetTest, EditOnAnEmptySetInsertsWithTheHook)
{
    RecordSet set("CItems", itemFields());
    set.createDataSet();
    int inserted = 0;
    set.afterInsert = [&](RecordSet&) { ++inserted; };
    set.edit();
    EXPECT_EQ(set.state(), State::Insert);
    EXPECT_EQ(inserted, 1);
    set.edit(); // already editing: nothing
    EXPECT_EQ(inserted, 1);
}

TEST_F(RecordSetTest, CancelDropsTheChangesOfTheCurrentRow)
{
    auto set = readItems();
    set->moveTo(1);
    set->edit();
    set->field("NAME").setAsString("cambiado");
    set->cancel();
    EXPECT_EQ(set->field("NAME").asString(), "dos");
    EXPECT_EQ(set->changeCount(), 0u);

    set->edit(); // nothing assigned: checkBrowseMode cancels
    set->checkBrowseMode();
    EXPECT_EQ(set->state(), State::Browse);
    EXPECT_EQ(set->changeCount(), 0u);
    set->edit();
    set->field("NAME").setAsString("DOS");
    set->checkBrowseMode(); // assigned: posted
    EXPECT_EQ(set->state(), State::Browse);
    EXPECT_EQ(set->changeCount(), 1u);
    EXPECT_EQ(set->field("NAME").asString(), "DOS");
}

TEST_F(RecordSetTest, ThePostNamesOnlyTheFirstMissingRequiredField)
{
    auto header = dataset::makeCFacturas();
    header->createDataSet();
    header->insert();
    header->field("COTI_ID").setAsInteger(0);
    header->field("TIDO_COD").setAsInteger(35);
    header->field("PREF_PRE").setAsString("FA");
    header->field("COTI_NUMERO").setAsString("1");
    header->field("COTI_FECHA").setAsString("05/03/2024");
    EXPECT_EQ(messageOf<platform::DatabaseError>([&] { header->post(); }),
              "Field 'TERC_NIT' must have a value");
    // The row stays in insert state with its values.
    EXPECT_EQ(header->state(), State::Insert);
    EXPECT_EQ(header->field("PREF_PRE").asString(), "FA");
    header->field("TERC_NIT").setAsString(""); // the empty text is null
    EXPECT_EQ(messageOf<platform::DatabaseError>([&] { header->post(); }),
              "Field 'TERC_NIT' must have a value");
    header->field("TERC_NIT").setAsString("800");
    EXPECT_EQ(messageOf<platform::DatabaseError>([&] { header->post(); }),
              "Field 'VEND_COD' must have a value");
    header->field("VEND_COD").setAsString("3");
    header->post();
    EXPECT_EQ(header->state(), State::Browse);
    EXPECT_EQ(header->recordCount(), 1u);
}

enum class Operation { Post, Edit, Delete };

struct HookCase {
    Operation operation;
    HookAction answer;
};

class RecordSetHooks : public RecordSetTest, public testing::WithParamInterface<HookCase> {};

// Each operation meets a database error of its own: a missing required value, a
// read-only set, a header whose unfinished line cannot be posted before it goes.
TEST_P(RecordSetHooks, TheHookAnswersFailAbortOrRetry)
{
    const HookCase& c = GetParam();
    auto set = readItems();
    auto header = dataset::makeCFacturas();
    RecordSet* target = set.get();
    std::function<void()> operation;
    std::function<void()> repair;
    std::string expected;
    switch (c.operation) {
    case Operation::Post:
        set->append();
        set->field("ID").setAsInteger(4);
        operation = [&] { set->post(); };
        repair = [&] { set->field("NAME").setAsString("cuatro"); };
        expected = "Field 'NAME' must have a value";
        break;
    case Operation::Edit:
        set->setReadOnly(true);
        operation = [&] { set->edit(); };
        repair = [&] { set->setReadOnly(false); };
        expected = "CItems: Cannot modify a read-only dataset";
        break;
    case Operation::Delete: {
        header->open(columnsOf(*header), {});
        target = header.get();
        RecordSet& lines = *header->detail();
        lines.insert(); // inserts the header too
        lines.field("CTDE_ITEM").setAsInteger(1);
        lines.field("ARTI_COD").setAsString("A1");
        header->field("TERC_NIT").setAsString("800");
        header->field("VEND_COD").setAsInteger(1);
        header->field("TIDO_COD").setAsInteger(35);
        header->field("PREF_PRE").setAsString("FA");
        header->field("COTI_NUMERO").setAsString("1");
        header->field("COTI_FECHA").setAsString("05/03/2024");
        header->field("COTI_ID").setAsInteger(1);
        header->post();
        lines.insert(); // a second line, without its article
        lines.field("CTDE_ITEM").setAsInteger(2);
        operation = [&] { header->remove(); };
        repair = [&] { header->detail()->field("ARTI_COD").setAsString("A2"); };
        expected = "Field 'ARTI_COD' must have a value";
        break;
    }
    }

    std::vector<std::string> seen;
    dataset::ErrorHook hook = [&](RecordSet& s, const platform::DatabaseError& e) {
        EXPECT_EQ(&s, target);
        seen.push_back(e.what());
        if (c.answer == HookAction::Retry && seen.size() == 1)
            repair();
        return c.answer;
    };
    target->onPostError = target->onEditError =
        target->onDeleteError = [&](RecordSet& s, const platform::DatabaseError& e) {
            ADD_FAILURE() << "the wrong hook was called";
            return hook(s, e);
        };
    (c.operation == Operation::Post   ? target->onPostError
     : c.operation == Operation::Edit ? target->onEditError
                                      : target->onDeleteError) = hook;

    switch (c.answer) {
    case HookAction::Fail:
        EXPECT_EQ(messageOf<platform::DatabaseError>(operation), expected);
        break;
    case HookAction::Abort:
        EXPECT_THROW(operation(), platform::SilentAbort);
        break;
    case HookAction::Retry:
        operation();
        break;
    }
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0], expected);
    if (c.answer == HookAction::Retry) {
        switch (c.operation) {
        case Operation::Post:
            EXPECT_EQ(set->state(), State::Browse);
            break;
        case Operation::Edit:
            EXPECT_EQ(set->state(), State::Edit);
            break;
        case Operation::Delete:
            EXPECT_TRUE(header->isEmpty());
            break;
        }
    } else if (c.operation == Operation::Post) {
        EXPECT_EQ(set->state(), State::Insert);
    }
}

INSTANTIATE_TEST_SUITE_P(Answers, RecordSetHooks,
                         testing::Values(HookCase{Operation::Post, HookAction::Fail},
                                         HookCase{Operation::Post, HookAction::Abort},
                                         HookCase{Operation::Post, HookAction::Retry},
                                         HookCase{Operation::Edit, HookAction::Fail},
                                         HookCase{Operation::Edit, HookAction::Abort},
                                         HookCase{Operation::Edit, HookAction::Retry},
                                         HookCase{Operation::Delete, HookAction::Fail},
                                         HookCase{Operation::Delete, HookAction::Abort},
                                         HookCase{Operation::Delete, HookAction::Retry}));

TEST_F(RecordSetTest, AConversionErrorNeverReachesAHook)
{
    auto set = readItems();
    int calls = 0;
    set->onPostError = set->onEditError =
        set->onDeleteError = [&](RecordSet&, const platform::DatabaseError&) {
            ++calls;
            return HookAction::Abort;
        };
    set->edit();
    EXPECT_THROW(set->field("AMOUNT").setAsString("1,5"), platform::ConversionError);
    set->post();
    EXPECT_EQ(calls, 0);
}

TEST_F(RecordSetTest, TheChangeLogKeepsAnInsertedRowChangedAgainAsOneInsertedRow)
{
    auto set = readItems();
    set->append();
    set->field("ID").setAsInteger(4);
    set->field("NAME").setAsString("cuatro");
    set->post();
    set->edit();
    set->field("NAME").setAsString("CUATRO");
    set->post();
    set->moveTo(0);
    set->edit();
    set->field("NAME").setAsString("UNO");
    set->post();
    set->moveTo(1);
    set->remove();

    const auto log = set->changeLog();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(set->changeCount(), 3u);
    EXPECT_EQ(log[0].row.status, RowStatus::Inserted);
    EXPECT_EQ((*log[0].row.values)[1], Value(std::string("CUATRO")));
    EXPECT_EQ(log[0].row.original, nullptr);
    EXPECT_EQ(log[1].row.status, RowStatus::Modified);
    EXPECT_EQ((*log[1].row.values)[1], Value(std::string("UNO")));
    EXPECT_EQ((*log[1].row.original)[1], Value(std::string("uno")));
    EXPECT_EQ(log[2].row.status, RowStatus::Deleted);
    EXPECT_EQ((*log[2].row.original)[1], Value(std::string("dos")));
    EXPECT_EQ(names(*set), (std::vector<std::string>{"UNO", "tres", "CUATRO"}));

    EXPECT_EQ(messageOf<platform::DatabaseError>([&] { set->requireNoPendingUpdates(); }),
              "CItems: Must apply updates before refreshing data");
}

TEST_F(RecordSetTest, CancelUpdatesPutsTheSetBackAsRead)
{
    auto set = readItems();
    set->moveTo(2);
    set->remove();
    set->moveTo(0);
    set->edit();
    set->field("NAME").setAsString("UNO");
    set->post();
    set->insert();
    set->field("ID").setAsInteger(5);
    set->field("NAME").setAsString("cinco");
    set->post();
    set->moveTo(1);
    set->edit();
    set->field("NAME").setAsString("pendiente"); // still pending: cancelled first

    set->cancelUpdates();
    EXPECT_EQ(set->state(), State::Browse);
    EXPECT_EQ(names(*set), (std::vector<std::string>{"uno", "dos", "tres"}));
    EXPECT_EQ(set->changeCount(), 0u);
    EXPECT_NO_THROW(set->requireNoPendingUpdates());
}

TEST_F(RecordSetTest, MergedRowsCountAsReadAndCloseDropsEverything)
{
    auto set = readItems();
    set->append();
    set->field("ID").setAsInteger(4);
    set->field("NAME").setAsString("cuatro");
    set->post();
    set->moveTo(0);
    set->remove();
    set->mergeChangeLog();
    EXPECT_EQ(set->changeCount(), 0u);
    EXPECT_TRUE(set->changeLog().empty());
    set->moveTo(0);
    set->edit();
    set->field("NAME").setAsString("DOS");
    set->post();
    set->cancelUpdates(); // back to the merged state, not to the first read
    EXPECT_EQ(names(*set), (std::vector<std::string>{"dos", "tres", "cuatro"}));

    set->close();
    EXPECT_FALSE(set->active());
    EXPECT_EQ(set->state(), State::Inactive);
    EXPECT_EQ(set->recordCount(), 0u);
    EXPECT_EQ(set->changeCount(), 0u);
}

TEST_F(RecordSetTest, OpeningChecksTheDeclaredFieldsAgainstTheColumns)
{
    RecordSet set("CItems", itemFields());
    auto columns = columnsOf(set);
    columns[0].kind = FieldKind::Text;
    EXPECT_EQ(messageOf<platform::DatabaseError>([&] { set.open(columns, {}); }),
              "CItems: Type mismatch for field 'ID', expecting: Integer actual: String");
    columns = columnsOf(set);
    columns[2].kind = FieldKind::Float;
    EXPECT_EQ(messageOf<platform::DatabaseError>([&] { set.open(columns, {}); }),
              "CItems: Type mismatch for field 'AMOUNT', expecting: BCD actual: Float");
    columns = columnsOf(set);
    columns.erase(columns.begin() + 1);
    EXPECT_EQ(messageOf<platform::DatabaseError>([&] { set.open(columns, {}); }),
              "CItems: Field 'NAME' not found");
    EXPECT_FALSE(set.active());
}

TEST_F(RecordSetTest, TextColumnsMayDifferInKindAndWidth)
{
    RecordSet set("CItems", itemFields());
    // Columns in another order, a fixed text for the text field, and one column more.
    std::vector<ColumnInfo> columns = {{"EXTRA", FieldKind::Integer, 0},
                                       {"AMOUNT", FieldKind::Decimal, 2},
                                       {"NAME", FieldKind::FixedText, 4},
                                       {"ID", FieldKind::Integer, 0}};
    set.open(columns, {RowData{{Value(7), Value(), Value(std::string("abcd")), Value(1)}, {}}});
    EXPECT_EQ(set.fieldCount(), 3u);
    EXPECT_FALSE(set.findField("EXTRA"));
    EXPECT_EQ(set.field("ID").asInteger(), 1);
    EXPECT_EQ(set.field("NAME").asString(), "abcd");
    EXPECT_EQ(set.fieldDef(1).size, 4); // narrowed to the column
    set.edit();
    set.field("NAME").setAsString("abcdefgh");
    EXPECT_EQ(set.field("NAME").asString(), "abcd");
    set.cancel();

    columns[2].size = 40; // a longer column is accepted; the field keeps its width
    set.open(columns, {});
    EXPECT_EQ(set.fieldDef(1).size, 10);
}

TEST_F(RecordSetTest, ASetWithoutDeclaredFieldsTakesTheColumns)
{
    auto set = std::make_unique<RecordSet>("CArticulo", std::vector<FieldDef>{});
    set->open({{"TAIV_PORC", FieldKind::Decimal, 4}, {"ARTI_CONSUMO", FieldKind::Decimal, 2}},
              {RowData{{Value(*dataset::Decimal::parse("19", '.')), Value()}, {}}});
    ASSERT_EQ(set->fieldCount(), 2u);
    EXPECT_EQ(set->fieldDef(1).name, "ARTI_CONSUMO");
    EXPECT_EQ(set->field(0).asMoney(), 190000);
    EXPECT_EQ(set->field("arti_consumo").asMoney(), 0);
    EXPECT_EQ(messageOf<platform::DatabaseError>([&] { set->field("NOPE"); }),
              "CArticulo: Field 'NOPE' not found");
}

TEST_F(RecordSetTest, TheIndexKeepsRowsInAscendingOrder)
{
    auto mapping = dataset::makeCImportacion();
    mapping->createDataSet();
    const std::pair<const char*, const char*> rows[] = {{"CTDE_CANT", "5"},
                                                        {"PREF_PRE", "1"},
                                                        {"SIN_COLUMNA", ""},
                                                        {"COTI_FECHA", "3"},
                                                        {"COTI_NUMERO", "1"}};
    for (const auto& [dato, columna] : rows) {
        mapping->append();
        mapping->field("DATO").setAsString(dato);
        mapping->field("COLUMNA").setAsString(columna);
        mapping->field("IMPORTAR").setAsString("SI");
        mapping->post();
        EXPECT_EQ(mapping->field("DATO").asString(), dato); // stays current
    }
    auto order = [&] {
        std::vector<std::string> out;
        for (mapping->first(); !mapping->eof(); mapping->next())
            out.push_back(mapping->field("DATO").asString());
        return out;
    };
    EXPECT_EQ(order(), (std::vector<std::string>{"SIN_COLUMNA", "PREF_PRE", "COTI_NUMERO", "COTI_FECHA",
                                                 "CTDE_CANT"}));

    mapping->moveTo(1); // PREF_PRE to column 4
    mapping->edit();
    mapping->field("COLUMNA").setAsInteger(4);
    mapping->post();
    EXPECT_EQ(mapping->field("DATO").asString(), "PREF_PRE");
    EXPECT_EQ(mapping->recNo(), 3u);
    EXPECT_EQ(order(), (std::vector<std::string>{"SIN_COLUMNA", "COTI_NUMERO", "COTI_FECHA", "PREF_PRE",
                                                 "CTDE_CANT"}));
}

TEST_F(RecordSetTest, MovingPostsAChangedRow)
{
    auto set = readItems();
    set->edit();
    set->field("NAME").setAsString("UNO");
    set->next();
    EXPECT_EQ(set->state(), State::Browse);
    EXPECT_EQ(std::get<std::string>(set->valueAt(0, 1)), "UNO");
    EXPECT_EQ(set->recNo(), 1u);
    set->next();
    set->next();
    EXPECT_TRUE(set->eof());
    EXPECT_EQ(set->field("NAME").asString(), "tres");
}

} // namespace
