// Quotations read ahead and written by blocks: the rows, the identifiers and the
// messages are those of the plain way, statement by statement, also for a
// quotation longer than one block, for one that the database refuses inside a
// block and for an article code that does not exist; with the embedded engine and
// through each server under test.
#include "import_fixture.h"

namespace importer {
namespace {

using Kind = testing_support::RecordingDialogs::Kind;
using Shown = testing_support::RecordingDialogs::Shown;
using Rows = std::vector<std::vector<std::string>>;

std::map<std::string, std::string> header(const std::string& number)
{
    return {{"PREF_PRE", "BL"}, {"COTI_NUMERO", number}, {"COTI_FECHA", "05/03/2024"},
            {"VEND_COD", "7"},  {"TERC_NIT", "900123"},  {"COTI_NOMTERC", "Cliente"}};
}

std::string quotation(const std::string& number, int lines, const std::string& priceList = "")
{
    static const char* const kCodes[] = {"CAF-500", "7707001000024", "ACE-1L", "ARR-500", "GAS-350"};
    std::string text;
    for (int i = 0; i < lines; ++i) {
        std::map<std::string, std::string> values = {
            {"CTDE_CODBAR", kCodes[i % 5]},
            {"CTDE_CANT", std::to_string(i + 1)},
            {"CTDE_PRUNIT", std::to_string(1000 + 7 * i) + ".5"},
            {"CTDE_DESC", i % 3 == 0 ? "Línea " + std::to_string(i) : ""},
            {"LIPR_COD", i == lines - 1 ? priceList : ""}};
        if (i == 0)
            values.merge(header(number));
        text += dataLine(values);
    }
    return text;
}

class BlockWrites : public ImportFixture {
protected:
    void sameRowsIdentifiersAndMessagesAsThePlainWay();
};

// Quotation 3 names a price list that does not exist and is refused inside its
// block.
TEST_F(BlockWrites, SameRowsIdentifiersAndMessagesAsThePlainWay)
{
    requirePriceList();
    connect();
    EXPECT_FALSE(fdm_.worksInBlocks()) << "the embedded engine writes statement by statement by default";
    sameRowsIdentifiersAndMessagesAsThePlainWay();
}

class ServerBlockWrites : public BlockWrites,
                          public ::testing::WithParamInterface<testing_support::FirebirdServer> {};

INSTANTIATE_TEST_SUITE_P(Servers, ServerBlockWrites, testing_support::eachFirebirdServer(),
                         testing_support::serverName);

TEST_P(ServerBlockWrites, SameRowsIdentifiersAndMessagesAsThePlainWay)
{
    ASSERT_NO_THROW(throughServer(GetParam()));
    requirePriceList();
    connect();
    EXPECT_TRUE(fdm_.worksInBlocks()) << "through a server quotations are written by blocks by default";
    sameRowsIdentifiersAndMessagesAsThePlainWay();
}

void BlockWrites::sameRowsIdentifiersAndMessagesAsThePlainWay()
{
    // Quotation 2 is far longer than what one statement of 64 KB can insert.
    // Quotation 5's second line names an article that does not exist, which ends the
    // run there.
    const std::string file = quotation("1", 3) + quotation("2", 150, "1") + quotation("3", 4, "99") +
                             quotation("4", 1, "1") + quotation("5", 1) +
                             dataLine({{"CTDE_CODBAR", "NO-EXISTE"}, {"CTDE_CANT", "1"}});
    struct Outcome {
        bool finished;
        std::vector<Shown> shown;
        Rows headers, lines, drawn;
    };
    std::vector<Outcome> outcomes;
    for (bool byBlocks : {false, true}) {
        fdm_.setWorksInBlocks(byBlocks);
        shown().clear();
        const bool finished = importFile(file);
        outcomes.push_back({finished, shown(), query("select * from COTIZACIONES order by COTI_ID"),
                            query("select * from COTIZACIONES_DETALLE order by COTI_ID, CTDE_ITEM"),
                            query("select gen_id(GEN_COTIZACIONES_ID, 0) from RDB$DATABASE")});
        query("delete from COTIZACIONES_DETALLE");
        query("delete from COTIZACIONES");
        // Not "alter sequence ... restart with 0": from Firebird 4 on, that makes 0
        // the next value instead of the current one.
        query("set generator GEN_COTIZACIONES_ID to 0");
    }
    const Outcome& plain = outcomes[0];
    EXPECT_FALSE(plain.finished);
    const std::string foreign =
        "Está borrando o insertando un registro en la tabla Cotizaci que tiene una relación con otra tabla.";
    EXPECT_EQ(plain.shown, (std::vector<Shown>{{Kind::Beep, ""},
                                               {Kind::Error, foreign},
                                               {Kind::Plain, "Código 'NO-EXISTE' no encontrado."},
                                               {Kind::Beep, ""},
                                               {Kind::Error, "Los campos ARTI_COD,  son obligatorios."}}));
    ASSERT_EQ(plain.headers.size(), 3u);
    EXPECT_EQ(plain.lines.size(), 154u);
    EXPECT_EQ(plain.drawn, (Rows{{"4"}})) << "the refused quotation used its identifier up";
    const Outcome& blocks = outcomes[1];
    EXPECT_EQ(blocks.finished, plain.finished);
    EXPECT_EQ(blocks.shown, plain.shown);
    EXPECT_EQ(blocks.headers, plain.headers);
    EXPECT_EQ(blocks.lines, plain.lines);
    EXPECT_EQ(blocks.drawn, plain.drawn);
}

} // namespace
} // namespace importer
