// Hostile values in the data file: quotes of both kinds, separators inside
// delimited stretches, SQL fragments, every 8-bit byte and zero bytes reach the
// database only as data, byte for byte, and a code that is not found is shown
// with its quotes doubled.
#include "import_fixture.h"

namespace importer {
namespace {

using namespace std::string_literals;
using Kind = testing_support::RecordingDialogs::Kind;
using Shown = testing_support::RecordingDialogs::Shown;

// Upper-case hexadecimal, as isql prints a text cast to OCTETS.
std::string hex(const std::string& bytes)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 0xF];
    }
    return out;
}

// Every byte that can stand inside a stretch delimited by double quotes: all but
// the zero byte (it ends a field's text), CR and LF (they end the line), the double
// quote itself and the comma (the reader makes it a point).
std::string everyByteOfAQuotedStretch()
{
    std::string bytes;
    for (int c = 1; c <= 255; ++c)
        if (c != '\r' && c != '\n' && c != '"' && c != ',')
            bytes += static_cast<char>(c);
    return bytes;
}

std::map<std::string, std::string> header(int number)
{
    return {{"PREF_PRE", "HV"},
            {"COTI_NUMERO", std::to_string(number)},
            {"COTI_FECHA", "05/03/2024"},
            {"VEND_COD", "7"},
            {"TERC_NIT", "900123"}};
}

struct HostileCase {
    const char* name;
    int delimiter;         // item of Delim: 0 none (the zero byte), 1 double quote, 2 single quote
    std::string field;     // a text field as it stands in the file
    std::string text;      // what the reader makes of it
    std::string codeField; // the article code as it stands in the file
    std::string code;      // what the reader makes of it; an article with this code exists
};

const HostileCase kHostileCases[] = {
    {"double_quote_delimiter", 1, "\"O'Brien; '; drop table COTIZACIONES; --\"",
     "O'Brien; '; drop table COTIZACIONES; --", "\"O'K;1\"", "O'K;1"},
    // Ñandú in the suite's code page, in octal: the letters after it are no digits.
    {"single_quote_delimiter", 2, "'\"\321and\372\"; drop table COTIZACIONES_DETALLE; --'",
     "\"\321and\372\"; drop table COTIZACIONES_DETALLE; --", "'N\"X;2'", "N\"X;2"},
    {"zero_byte_as_delimiter", 0, "\0O'K \"x\"; '); delete from ARTICULO; --\0"s,
     "O'K \"x\"; '); delete from ARTICULO; --", "\0'\";\x80\xFF\0"s, "'\";\x80\xFF"},
    {"zero_byte_inside_a_field", 1, "\"P\xE9rez\0; drop\" table"s, "P\xE9rez", "\"AB\0;CD\""s, "AB"},
    {"every_byte", 1, "\"" + everyByteOfAQuotedStretch() + "\"", everyByteOfAQuotedStretch(),
     "\"\x80\x81\x8D\x8F\x90\x9D\xA0\xFF\"", "\x80\x81\x8D\x8F\x90\x9D\xA0\xFF"},
};

class HostileValues : public ImportFixture {};

TEST_F(HostileValues, ReachTheDatabaseAsDataByteForByte)
{
    for (const auto& c : kHostileCases)
        testing_support::runSql(database_, "insert into ARTICULO (ARTI_COD, ARTI_NOMBRE, TAIV_COD) values (" +
                                               testing_support::sqlQuote(c.code) + ", 'Prueba', 1)");
    connect();
    std::string expected;
    int number = 0;
    for (const auto& c : kHostileCases) {
        SCOPED_TRACE(c.name);
        ++number;
        shown().clear();
        host_.delimiter = c.delimiter;
        auto values = header(number);
        for (const char* name : {"COTI_NOMTERC", "COTI_ORDENC", "CTDE_DESC", "CTDE_REFERENCIA"})
            values[name] = c.field;
        values["CTDE_CODBAR"] = c.codeField;
        EXPECT_TRUE(importFile(dataLine(values)));
        EXPECT_EQ(shown(), (std::vector<Shown>{{Kind::Plain, "Importación finalizada."}}));
        // Each text cut to its column's width.
        expected += std::to_string(number) + "|" + hex(c.text.substr(0, 60)) + "|" +
                    hex(c.text.substr(0, 20)) + "|" + hex(c.text.substr(0, 255)) + "|" +
                    hex(c.text.substr(0, 60)) + "|" + hex(c.code) + "|" + hex(c.code) + "\n";
    }

    // Read back by isql, not by the program, as bytes.
    fdm_.Merkalo().close();
    EXPECT_EQ(testing_support::querySql(
                  database_,
                  "select h.COTI_NUMERO, cast(h.COTI_NOMTERC as varchar(60) character set octets), "
                  "cast(h.COTI_ORDENC as varchar(20) character set octets), "
                  "cast(l.CTDE_DESC as varchar(255) character set octets), "
                  "cast(l.CTDE_REFERENCIA as varchar(60) character set octets), "
                  "cast(l.CTDE_CODBAR as varchar(15) character set octets), "
                  "cast(l.ARTI_COD as varchar(15) character set octets) "
                  "from COTIZACIONES h join COTIZACIONES_DETALLE l on l.COTI_ID = h.COTI_ID "
                  "order by cast(h.COTI_NUMERO as integer)"),
              expected);
    EXPECT_EQ(
        testing_support::querySql(database_, "select count(*) from ARTICULO where ARTI_NOMBRE = 'Prueba'"),
        std::to_string(std::size(kHostileCases)) + "\n");
}

TEST_F(HostileValues, CodeNotFoundIsShownWithItsQuotesDoubled)
{
    const struct {
        std::string codeField; // between double quotes in the file
        std::string message;
    } cases[] = {
        // The code field holds 15 characters: the rest is cut before the look-up.
        {"\"'; drop table COTIZACIONES; --\"", "Código '''; drop table C' no encontrado."},
        {"\"a''b\"", "Código 'a''''b' no encontrado."},
        {"\"X\xD1'\"", "Código 'XÑ''' no encontrado."},
    };
    connect();
    host_.delimiter = 1;
    int number = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        shown().clear();
        auto good = header(++number);
        good["CTDE_CODBAR"] = "CAF-500";
        auto bad = header(++number);
        bad["CTDE_CODBAR"] = c.codeField;
        EXPECT_FALSE(importFile(dataLine(good) + dataLine(bad)));
        EXPECT_EQ(shown(), (std::vector<Shown>{{Kind::Plain, c.message},
                                               {Kind::Beep, ""},
                                               {Kind::Error, "Los campos ARTI_COD,  son obligatorios."}}));
    }
    // The quotation before each stopped one is stored whole; the tables are intact.
    EXPECT_EQ(query("select h.COTI_NUMERO, count(*) from COTIZACIONES h join COTIZACIONES_DETALLE l on "
                    "l.COTI_ID = h.COTI_ID group by h.COTI_NUMERO order by 1"),
              (std::vector<std::vector<std::string>>{{"1", "1"}, {"3", "1"}, {"5", "1"}}));
}

} // namespace
} // namespace importer
