#include "dataset/declarations.h"
#include "dataset/field.h"
#include "dataset/record_set.h"
#include "platform/errors.h"
#include "platform/regional_settings.h"
#include "support/test_support.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace {

using dataset::Field;
using dataset::RecordSet;

using testing_support::messageOf;

class FieldTest : public testing::Test {
protected:
    void SetUp() override
    {
        platform::setRegionalSettings({'.', "dd/MM/yyyy", '/'});
        header->createDataSet();
        header->insert();
    }
    void TearDown() override { platform::setRegionalSettings({}); }

    std::unique_ptr<RecordSet> header = dataset::makeCFacturas();
};

TEST_F(FieldTest, TextIsCutToItsWidthByteForByte)
{
    header->field("PREF_PRE").setAsString("ABCDEFGHIJ");
    EXPECT_EQ(header->field("PREF_PRE").asString(), "ABCD");
    header->field("COTI_IMPTOS").setAsString("SI");
    EXPECT_EQ(header->field("COTI_IMPTOS").asString(), "S");
    header->field("COTI_NOMTERC").setAsString("\xC1\xE9\xED\xF3\xFA\xF1"); // single-byte text
    EXPECT_EQ(header->field("COTI_NOMTERC").asString(), "\xC1\xE9\xED\xF3\xFA\xF1");
    header->field("COTI_USUARIO").setAsString("\xC1\xE9\xED\xF3\xFA\xF1\xC1\xE9\xED\xF3\xFA\xF1");
    EXPECT_EQ(header->field("COTI_USUARIO").asString(), "\xC1\xE9\xED\xF3\xFA\xF1\xC1\xE9\xED\xF3");
}

TEST_F(FieldTest, TheEmptyTextMakesEveryKindNull)
{
    const std::pair<const char*, const char*> samples[] = {{"TERC_NIT", "800"},
                                                           {"VEND_COD", "1"},
                                                           {"COTI_TOTAL", "1.5"},
                                                           {"COTI_FECHA", "05/03/2024"},
                                                           {"COTI_IMPTOS", "N"}};
    for (const auto& [name, sample] : samples) {
        Field field = header->field(name);
        field.setAsString(sample);
        ASSERT_FALSE(field.isNull()) << name;
        field.setAsString("");
        EXPECT_TRUE(field.isNull()) << name;
        EXPECT_EQ(field.asString(), "") << name;
    }
    EXPECT_EQ(header->field("VEND_COD").asInteger(), 0);
    EXPECT_EQ(header->field("COTI_TOTAL").asMoney(), 0);
}

TEST_F(FieldTest, IntegersReadTheIntegerForm)
{
    Field vend = header->field("VEND_COD");
    vend.setAsString(" 42");
    EXPECT_EQ(vend.asInteger(), 42);
    vend.setAsString("$1F");
    EXPECT_EQ(vend.asString(), "31");
    vend.setAsString("-7");
    EXPECT_EQ(vend.asString(), "-7");
}

TEST_F(FieldTest, AFailedAssignmentKeepsThePreviousValueAndNamesTheField)
{
    Field vend = header->field("VEND_COD");
    vend.setAsInteger(7);
    EXPECT_EQ(messageOf<platform::DatabaseError>([&] { vend.setAsString("42 "); }),
              "'42 ' is not a valid integer value for field 'VEND_COD'");
    EXPECT_EQ(messageOf<platform::DatabaseError>([&] { vend.setAsString("2147483648"); }),
              "'2147483648' is not a valid integer value for field 'VEND_COD'");
    EXPECT_EQ(vend.asInteger(), 7);

    Field total = header->field("COTI_TOTAL");
    total.setAsString("12.5");
    EXPECT_EQ(messageOf<platform::ConversionError>([&] { total.setAsString("1 000"); }),
              "1 000 is not a valid BCD value");
    EXPECT_EQ(messageOf<platform::ConversionError>([&] { total.setAsString("+5"); }),
              "+5 is not a valid BCD value");
    EXPECT_EQ(total.asString(), "12.5");

    Field date = header->field("COTI_FECHA");
    date.setAsString("05/03/2024");
    EXPECT_EQ(messageOf<platform::ConversionError>([&] { date.setAsString("31/02/2024"); }),
              "'31/02/2024' is not a valid date");
    EXPECT_EQ(date.asString(), "05/03/2024");
}

TEST_F(FieldTest, AMessageNamesTheDisplayLabelWhereThereIsOne)
{
    auto mapping = dataset::makeCImportacion();
    mapping->createDataSet();
    mapping->append();
    EXPECT_EQ(messageOf<platform::DatabaseError>([&] { mapping->field("COLUMNA").setAsString("x"); }),
              "'x' is not a valid integer value for field 'Columna'");
}

TEST_F(FieldTest, DecimalsKeepAllTheirDigitsAndReadAsMoney)
{
    Field amount = header->field("COTI_DTOMONTO"); // scale 2
    amount.setAsMoney(123456);
    EXPECT_EQ(amount.asString(), "12.3456");
    EXPECT_EQ(amount.asMoney(), 123456);
    amount.setAsString("007.50");
    EXPECT_EQ(amount.asString(), "7.5");
    EXPECT_EQ(amount.asMoney(), 75000);
    amount.setAsString("0.00025");
    EXPECT_EQ(amount.asMoney(), 3);
}

TEST_F(FieldTest, DecimalsFollowTheMachineSeparator)
{
    platform::setRegionalSettings({',', "dd/MM/yyyy", '/'});
    Field amount = header->field("COTI_TOTAL");
    amount.setAsString("12,5");
    EXPECT_EQ(amount.asString(), "12,5");
    amount.setAsString("12.25"); // a point from the reader
    EXPECT_EQ(amount.asString(), "12,25");
    EXPECT_EQ(amount.asMoney(), 122500);
    amount.setAsString("12");
    EXPECT_EQ(amount.asString(), "12");
}

TEST_F(FieldTest, DatesFollowTheShortDateFormat)
{
    platform::setRegionalSettings({'.', "yyyy-MM-dd", '-'});
    Field date = header->field("COTI_FECHA");
    date.setAsString("2024-03-05");
    EXPECT_EQ(date.value(), dataset::Value(dataset::Date{2024, 3, 5}));
    EXPECT_EQ(date.asString(), "2024-03-05");
    date.setAsDate({1999, 12, 31});
    EXPECT_EQ(date.asString(), "1999-12-31");
}

TEST_F(FieldTest, ATextReadAsAnIntegerFailsWithTheConversionMessage)
{
    auto articles = dataset::makeCValarticulo();
    articles->createDataSet();
    articles->insert();
    Field tipo = articles->field("TIPO");
    EXPECT_EQ(messageOf<platform::ConversionError>([&] { tipo.asInteger(); }),
              "'' is not a valid integer value");
    tipo.setAsString("2");
    EXPECT_EQ(tipo.asInteger(), 2);
    tipo.setAsString("A");
    EXPECT_EQ(messageOf<platform::ConversionError>([&] { tipo.asInteger(); }),
              "'A' is not a valid integer value");
}

TEST_F(FieldTest, AssigningNeedsEditOrInsertState)
{
    header->field("TERC_NIT").setAsString("800");
    header->cancel();
    EXPECT_EQ(messageOf<platform::DatabaseError>([&] { header->field("TERC_NIT").setAsString("900"); }),
              "CFacturas: Dataset not in edit or insert mode");
    EXPECT_EQ(messageOf<platform::DatabaseError>([&] { header->field("COTI_ID").setAsInteger(1); }),
              "CFacturas: Dataset not in edit or insert mode");
    header->close();
    EXPECT_EQ(messageOf<platform::DatabaseError>([&] { header->insert(); }),
              "CFacturas: Cannot perform this operation on a closed dataset");
    EXPECT_EQ(messageOf<platform::DatabaseError>([&] { header->first(); }),
              "CFacturas: Cannot perform this operation on a closed dataset");
}

TEST_F(FieldTest, ValuesAsReadAreStoredAsTheyAre)
{
    Field obs = header->field("COTI_OBS");
    obs.setValue(dataset::Blob{std::string("a\0b", 3)});
    EXPECT_EQ(obs.value(), dataset::Value(dataset::Blob{std::string("a\0b", 3)}));
    Field factor = header->field("COTI_FACTOR");
    factor.setValue(1.5);
    EXPECT_EQ(factor.asString(), "1.5");
    EXPECT_EQ(factor.asMoney(), 15000);
    EXPECT_THROW(header->field("COTI_ID").setValue(std::string("1")), platform::DatabaseError);
    factor.setValue(dataset::Value()); // a null as read
    EXPECT_TRUE(factor.isNull());
}

} // namespace
