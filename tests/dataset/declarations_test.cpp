#include "columns_of.h"
#include "dataset/declarations.h"
#include "platform/errors.h"
#include "platform/regional_settings.h"
#include "support/test_support.h"

#include <functional>
#include <gtest/gtest.h>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using dataset::ColumnInfo;
using dataset::FieldKind;
using dataset::RecordSet;
using dataset::RowData;
using dataset::RowStatus;
using dataset::State;
using dataset::Value;

using testing_support::messageOf;

class Quotations : public testing::Test {
protected:
    void SetUp() override
    {
        platform::setRegionalSettings({'.', "dd/MM/yyyy", '/'});
        header->open(columnsOf(*header), {});
        // The defaults a new header gets in the import.
        header->afterInsert = [](RecordSet& h) {
            h.field("COTI_ID").setAsInteger(0);
            h.field("TIDO_COD").setAsInteger(35);
            h.field("COTI_FECHA").setAsDate({2024, 3, 5});
            h.field("COTI_ANULADO").setAsString("N");
        };
        lines.afterInsert = [this](RecordSet& l) {
            linkSeenByHook = l.field("COTI_ID").asString();
            l.field("CTDE_ITEM").setAsInteger(++item);
        };
    }
    void TearDown() override { platform::setRegionalSettings({}); }

    void fillHeader()
    {
        header->field("TERC_NIT").setAsString("800");
        header->field("VEND_COD").setAsString("1");
        header->field("PREF_PRE").setAsString("FA");
        header->field("COTI_NUMERO").setAsString("1");
    }
    void addLine(const char* ivaMonto, const char* total)
    {
        lines.insert();
        lines.field("ARTI_COD").setAsString("A1");
        lines.field("CTDE_IVAMONTO").setAsString(ivaMonto);
        lines.field("CTDE_TOTAL").setAsString(total);
        lines.post();
    }

    std::unique_ptr<RecordSet> header = dataset::makeCFacturas();
    RecordSet& lines = *header->detail();
    std::string linkSeenByHook;
    int item = 0;
};

TEST(Declarations, TheQuotationTablesHaveTheirColumnsInOrder)
{
    auto header = dataset::makeCFacturas();
    ASSERT_EQ(header->fieldCount(), 29u);
    EXPECT_EQ(header->fieldDef(0).name, "COTI_ID");
    EXPECT_EQ(header->fieldDef(28).name, "COTI_ORDENC");
    EXPECT_EQ(header->fieldDef(23).name, "NUMOK");
    EXPECT_EQ(header->fieldDef(23).kind, FieldKind::FixedText);
    EXPECT_EQ(header->fieldDef(24).kind, FieldKind::Float);
    EXPECT_EQ(header->fieldDef(9).size, 4);  // COTI_DTOPORC
    EXPECT_EQ(header->fieldDef(10).size, 2); // COTI_DTOMONTO
    std::vector<std::string> required;
    for (std::size_t i = 0; i < header->fieldCount(); ++i)
        if (header->fieldDef(i).required)
            required.push_back(header->fieldDef(i).name);
    EXPECT_EQ(required, (std::vector<std::string>{"COTI_ID", "TERC_NIT", "VEND_COD", "TIDO_COD", "PREF_PRE",
                                                  "COTI_NUMERO", "COTI_FECHA"}));

    RecordSet& lines = *header->detail();
    EXPECT_EQ(lines.name(), "CFactdetalle");
    ASSERT_EQ(lines.fieldCount(), 23u);
    EXPECT_EQ(lines.fieldDef(22).name, "CTDE_REMISIONADO");
    EXPECT_EQ(lines.fieldDef(12).size, 255); // CTDE_DESC
    std::vector<std::string> lineRequired;
    for (std::size_t i = 0; i < lines.fieldCount(); ++i)
        if (lines.fieldDef(i).required)
            lineRequired.push_back(lines.fieldDef(i).name);
    EXPECT_EQ(lineRequired, (std::vector<std::string>{"COTI_ID", "CTDE_ITEM", "ARTI_COD"}));

    auto factor = dataset::makeCFactor();
    EXPECT_EQ(factor->fieldDef(0).kind, FieldKind::Decimal);
    EXPECT_EQ(factor->fieldDef(0).size, 8);
    auto mapping = dataset::makeCImportacion();
    EXPECT_EQ(mapping->indexFields(), std::vector<std::string>{"COLUMNA"});
    EXPECT_EQ(mapping->field("IMPORTAR").def().label(), "Importar");
    EXPECT_EQ(mapping->field("DATO").def().label(), "DATO");
}

TEST(Declarations, OpeningWithoutNumokNamesTheMissingField)
{
    auto header = dataset::makeCFacturas();
    auto columns = columnsOf(*header);
    std::erase_if(columns, [](const ColumnInfo& c) { return c.name == "NUMOK"; });
    EXPECT_EQ(messageOf<platform::DatabaseError>([&] { header->open(columns, {}); }),
              "CFacturas: Field 'NUMOK' not found");

    auto lineColumns = columnsOf(*header->detail());
    lineColumns[1].kind = FieldKind::Decimal;
    columns = columnsOf(*header);
    EXPECT_EQ(messageOf<platform::DatabaseError>([&] { header->open(columns, {}, &lineColumns); }),
              "CFactdetalle: Type mismatch for field 'CTDE_ITEM', expecting: Integer actual: BCD");
}

TEST(Declarations, ExtraColumnsGetNoFieldAndLinesAreReadUnderTheirHeader)
{
    auto header = dataset::makeCFacturas();
    auto columns = columnsOf(*header);
    columns.push_back({"COTI_NUEVA", FieldKind::Text, 10});
    auto lineColumns = columnsOf(*header->detail());
    RowData row;
    row.values.resize(columns.size());
    row.values[0] = 7;
    row.values.back() = std::string("extra");
    RowData line;
    line.values.resize(lineColumns.size());
    line.values[0] = 7;
    line.values[17] = *dataset::Decimal::parse("10.5", '.');
    row.details = {line, line};
    header->open(columns, {row}, &lineColumns);
    EXPECT_EQ(header->fieldCount(), 29u);
    EXPECT_FALSE(header->findField("COTI_NUEVA"));
    EXPECT_EQ(header->field("COTI_ID").asInteger(), 7);
    EXPECT_EQ(header->detail()->recordCount(), 2u);
    EXPECT_EQ(header->detail()->sumField("SumTotal").asString(), "21");
    // Lines whose values are null still make a sum: it reads as money, 0.
    EXPECT_EQ(header->detail()->sumField("SumIva").asString(), "0");
}

// The sums are not among the stored fields of the lines: nothing assigns them and
// the required check of a post never meets them.
TEST(SumFields, AreNoFieldsOfTheLines)
{
    auto header = dataset::makeCFacturas();
    RecordSet& lines = *header->detail();
    const dataset::SumField iva = lines.sumField("SumIva");
    EXPECT_EQ(lines.fieldCount(), 23u);
    EXPECT_FALSE(lines.findField("SumIva"));
    EXPECT_FALSE(lines.findField("SumTotal"));
    EXPECT_THROW(lines.sumField("SumCant"), platform::DatabaseError);
    EXPECT_THROW(lines.addSum("SumDesc", "sum(ctde_desc)"), std::invalid_argument);
    EXPECT_THROW(lines.addSum("SumCant", "max(ctde_cant)"), std::invalid_argument);

    header->createDataSet();
    EXPECT_EQ(iva.asString(), "");
}

TEST_F(Quotations, ANewLineTakesItsHeadersIdAndFollowsItsChanges)
{
    header->insert();
    fillHeader();
    header->post();
    lines.insert();
    EXPECT_EQ(linkSeenByHook, "0");
    EXPECT_EQ(header->state(), State::Edit); // a line puts its header in edit state
    lines.field("ARTI_COD").setAsString("A1");
    lines.post();
    addLine("1", "2");
    header->field("COTI_ID").setAsString("1234"); // still editing the header
    for (lines.first(); !lines.eof(); lines.next())
        EXPECT_EQ(lines.field("COTI_ID").asInteger(), 1234);
    header->post();
    const auto log = header->changeLog();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].row.status, RowStatus::Inserted);
    EXPECT_EQ((*log[0].row.values)[0], Value(1234));
    ASSERT_EQ(log[0].details.size(), 2u);
    for (const auto& line : log[0].details) {
        EXPECT_EQ(line.status, RowStatus::Inserted);
        EXPECT_EQ((*line.values)[0], Value(1234));
    }
    // In the order they were added, whatever their place in the set.
    EXPECT_EQ((*log[0].details[0].values)[1], Value(1));
    EXPECT_EQ((*log[0].details[1].values)[1], Value(2));
}

TEST_F(Quotations, ALinePostsAHeaderInInsertStateFirst)
{
    header->insert();
    fillHeader();
    lines.insert();
    EXPECT_EQ(header->state(), State::Edit);
    EXPECT_EQ(header->changeCount(), 1u); // the header, posted
    lines.cancel();

    header->cancel(); // nothing assigned since the edit
    header->insert(); // a second header without its required values
    EXPECT_EQ(messageOf<platform::DatabaseError>([&] { lines.insert(); }),
              "Field 'TERC_NIT' must have a value");
    EXPECT_EQ(header->state(), State::Insert);
    EXPECT_TRUE(lines.isEmpty());
}

TEST_F(Quotations, ALineOnAnEmptyHeaderSetInsertsAHeaderWithItsHook)
{
    lines.insert();
    EXPECT_EQ(header->state(), State::Insert);
    EXPECT_EQ(header->recordCount(), 1u);
    EXPECT_EQ(header->field("TIDO_COD").asInteger(), 35);
    EXPECT_EQ(linkSeenByHook, "0");
    EXPECT_EQ(lines.field("COTI_ID").asInteger(), 0);
}

TEST_F(Quotations, SumsCoverThePostedLinesOfTheCurrentHeader)
{
    header->insert();
    fillHeader();
    EXPECT_EQ(lines.sumField("SumTotal").asString(), "");
    header->field("COTI_TOTAL").setAsString(lines.sumField("SumTotal").asString());
    EXPECT_TRUE(header->field("COTI_TOTAL").isNull());
    header->post();

    addLine("19", "135");
    addLine("15.9664", "108");
    lines.insert(); // pending: not in the sums yet
    lines.field("ARTI_COD").setAsString("A1");
    lines.field("CTDE_TOTAL").setAsString("1000");
    EXPECT_EQ(lines.sumField("sumiva").asString(), "34.9664"); // named without regard to case
    EXPECT_EQ(lines.sumField("SumTotal").asString(), "243");
    lines.post();
    EXPECT_EQ(lines.sumField("SumTotal").asString(), "1243");
    lines.edit(); // an edited line counts with its posted values until it posts
    lines.field("CTDE_TOTAL").setAsString("0");
    EXPECT_EQ(lines.sumField("SumTotal").asString(), "1243");
    lines.post();
    EXPECT_EQ(lines.sumField("SumTotal").asString(), "243");

    header->field("COTI_IVAMONTO").setAsString(lines.sumField("SumIva").asString());
    EXPECT_EQ(header->field("COTI_IVAMONTO").asMoney(), 349664);

    platform::setRegionalSettings({',', "dd/MM/yyyy", '/'});
    EXPECT_EQ(lines.sumField("SumIva").asString(), "34,9664");
    header->field("COTI_IVAMONTO").setAsString(lines.sumField("SumIva").asString());
    EXPECT_EQ(header->field("COTI_IVAMONTO").asMoney(), 349664);
}

TEST_F(Quotations, AHeaderWithOnlyLineChangesIsLoggedUnmodified)
{
    auto columns = columnsOf(*header);
    RowData read;
    read.values.resize(columns.size());
    read.values[0] = 55;
    RowData readLine;
    readLine.values.resize(23);
    readLine.values[0] = 55;
    readLine.values[1] = 1;
    readLine.values[2] = std::string("A0");
    read.details = {readLine};
    header->open(columns, {read});
    EXPECT_EQ(lines.recordCount(), 1u);
    addLine("1", "1");
    header->cancel(); // the header itself was not changed

    auto log = header->changeLog();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].row.status, RowStatus::Unmodified);
    ASSERT_EQ(log[0].details.size(), 1u);
    EXPECT_EQ(log[0].details[0].status, RowStatus::Inserted);
    EXPECT_EQ((*log[0].details[0].values)[0], Value(55));
    EXPECT_EQ(header->changeCount(), 1u);

    header->cancelUpdates();
    EXPECT_EQ(header->changeCount(), 0u);
    EXPECT_EQ(lines.recordCount(), 1u);
    EXPECT_EQ(lines.field("ARTI_COD").asString(), "A0");
}

TEST_F(Quotations, CancelUpdatesDropsAnInsertedHeaderWithItsLines)
{
    header->insert();
    fillHeader();
    header->post();
    addLine("1", "1");
    addLine("2", "2");
    header->cancelUpdates();
    EXPECT_TRUE(header->isEmpty());
    EXPECT_TRUE(lines.isEmpty());
    EXPECT_TRUE(header->changeLog().empty());
    EXPECT_EQ(header->state(), State::Browse);
    header->close();
    EXPECT_FALSE(lines.active());
    EXPECT_EQ(messageOf<platform::DatabaseError>([&] { lines.insert(); }),
              "CFactdetalle: Cannot perform this operation on a closed dataset");
}

} // namespace
