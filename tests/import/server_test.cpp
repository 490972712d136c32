// The import through each Firebird server under test on 127.0.0.1: a "host:folder"
// server location, the refusals of the server, and a whole run.
#include "import_fixture.h"

namespace importer {
namespace {

using Kind = testing_support::RecordingDialogs::Kind;
using Shown = testing_support::RecordingDialogs::Shown;

class ThroughServer : public ImportFixture,
                      public ::testing::WithParamInterface<testing_support::FirebirdServer> {
protected:
    void SetUp() override
    {
        ImportFixture::SetUp();
        ASSERT_NO_THROW(throughServer(GetParam()));
    }
    bool ciaExit()
    {
        return platform::runGuarded(host_.dialogs(), [&] { host_.CiaExit(session_); });
    }
};

INSTANTIATE_TEST_SUITE_P(Servers, ThroughServer, testing_support::eachFirebirdServer(),
                         testing_support::serverName);

TEST_P(ThroughServer, ImportsAWholeFile)
{
    ASSERT_TRUE(ciaExit()) << (shown().empty() ? "" : shown()[0].text) << " (is the server running? "
                           << GetParam().startScript.filename().string() << ")";
    const std::map<std::string, std::string> header = {
        {"PREF_PRE", "SV"}, {"COTI_NUMERO", "1"},    {"COTI_FECHA", "05/03/2024"},
        {"VEND_COD", "1"},  {"TERC_NIT", "800"},     {"CTDE_CODBAR", "7707001000079"},
        {"CTDE_CANT", "2"}, {"CTDE_PRUNIT", "2500"}, {"COTI_IMPTOS", "N"}};
    std::map<std::string, std::string> second = header;
    second["COTI_NUMERO"] = "2";
    ASSERT_TRUE(importFile(dataLine(header) + dataLine({{"CTDE_CODBAR", "CAF-500"}}) + dataLine(second)));
    EXPECT_EQ(shown(), (std::vector<Shown>{{Kind::Plain, "Importación finalizada."}}));
    EXPECT_EQ(query("select h.COTI_NUMERO, count(*), sum(l.CTDE_TOTAL) from COTIZACIONES h join "
                    "COTIZACIONES_DETALLE l on l.COTI_ID = h.COTI_ID group by h.COTI_NUMERO order by 1"),
              // 2 × 2500 plus VAT added: gaseosa (19 %, 35 consumption tax per unit)
              // 5000 + 936.70 + 70; café (5 %) 5000 + 250.
              (std::vector<std::vector<std::string>>{{"1", "2", "11256.7"}, {"2", "1", "6006.7"}}));
    EXPECT_EQ(query("select trim(MON$REMOTE_PROTOCOL) from MON$ATTACHMENTS where MON$ATTACHMENT_ID = "
                    "current_connection"),
              (std::vector<std::vector<std::string>>{{"TCPv4"}}));
}

// The texts are the client library's, written from the server's codes: the same
// for both servers.
TEST_P(ThroughServer, RefusalsKeepThePanelAndTheButton)
{
    const struct {
        std::string server;
        std::string password;
        std::string start;
    } cases[] = {
        {GetParam().location(dir_.path()), "wrong",
         "SQL Server Error: Your user name and password are not defined."},
        {"127.0.0.1/3099:" + dir_.path().string(), GetParam().password,
         "SQL Server Error: Unable to complete network request to host \"127.0.0.1\"."},
    };
    for (const auto& c : cases) {
        shown().clear();
        host_.texts[FormField::Servidor] = c.server;
        host_.texts[FormField::TClave] = c.password;
        EXPECT_FALSE(ciaExit());
        ASSERT_EQ(shown().size(), 1u);
        EXPECT_EQ(shown()[0].kind, Kind::Default);
        EXPECT_EQ(shown()[0].text.rfind(c.start, 0), 0u) << shown()[0].text;
        EXPECT_TRUE(host_.statusVisible);
        EXPECT_EQ(host_.status, "Conectando a la base de datos 01 ...");
        EXPECT_FALSE(host_.generateEnabled);
    }
}

} // namespace
} // namespace importer
