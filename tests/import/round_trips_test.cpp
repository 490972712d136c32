// The import through the server behind a relay that counts round trips: what each
// further quotation costs, the run's own reads and preparations set apart, with
// what a connection through a server writes by default.
#include "bench/latency_proxy.h"
#include "import_fixture.h"

namespace importer {
namespace {

std::string quotations(const std::string& prefix, int count)
{
    static const char* const kCodes[] = {"CAF-500", "AZU-1K", "ACE-1L",  "ARR-500",
                                         "LEC-1L",  "HUE-AA", "GAS-350", "CER-330"};
    std::string text;
    for (int q = 0; q < count; ++q)
        for (int i = 0; i < 3; ++i) {
            std::map<std::string, std::string> values = {
                {"CTDE_CODBAR", kCodes[(q * 3 + i) % 8]}, {"CTDE_CANT", "2"}, {"CTDE_PRUNIT", "1500"}};
            if (i == 0)
                values.merge(std::map<std::string, std::string>{{"PREF_PRE", prefix},
                                                                {"COTI_NUMERO", std::to_string(q + 1)},
                                                                {"COTI_FECHA", "05/03/2024"},
                                                                {"VEND_COD", "7"},
                                                                {"TERC_NIT", "900123"}});
            text += dataLine(values);
        }
    return text;
}

class ThroughServerRelay : public ImportFixture,
                           public ::testing::WithParamInterface<testing_support::FirebirdServer> {
protected:
    void SetUp() override
    {
        ImportFixture::SetUp();
        ASSERT_NO_THROW(throughServer(GetParam()));
        host_.texts[FormField::Servidor] =
            "127.0.0.1/" + std::to_string(relay_.port()) + ":" + dir_.path().string();
    }

    // The round trips of a run importing these quotations, all stored.
    std::int64_t roundTripsOf(const std::string& prefix, int count)
    {
        relay_.resetCount();
        EXPECT_TRUE(importFile(quotations(prefix, count)));
        const std::int64_t roundTrips = relay_.roundTrips();
        EXPECT_EQ(session_.tally().stored, count) << (shown().empty() ? "" : shown()[0].text);
        return roundTrips;
    }

    bench::LatencyProxy relay_{GetParam().port, std::chrono::milliseconds(0)};
};

INSTANTIATE_TEST_SUITE_P(Servers, ThroughServerRelay, testing_support::eachFirebirdServer(),
                         testing_support::serverName);

TEST_P(ThroughServerRelay, AtMostThreeRoundTripsPerStoredQuotation)
{
    connect();
    roundTripsOf("WA", 2); // the statements are prepared
    const std::int64_t few = roundTripsOf("FE", 2);
    const std::int64_t many = roundTripsOf("MA", 12);
    const double perQuotation = static_cast<double>(many - few) / 10.0;
    EXPECT_LE(perQuotation, 3.0) << few << " round trips for 2 quotations, " << many << " for 12";
    EXPECT_GT(perQuotation, 0.0) << "the relay counts the import's traffic";
}

} // namespace
} // namespace importer
