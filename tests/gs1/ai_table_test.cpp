#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "gs1/ai_table.hpp"
#include "gs1/code_lists.hpp"
#include "gs1/component_checks.hpp"

namespace korvel {
namespace {

const std::filesystem::path kFacts = std::filesystem::path(KORVEL_SOURCE_DIR) / ".." / "shared" / "gs1";

std::vector<std::string> splitTabs(const std::string& line)
{
    std::vector<std::string> fields;
    std::stringstream in(line);
    for (std::string field; std::getline(in, field, '\t');) {
        fields.push_back(field);
    }
    if (!line.empty() && line.back() == '\t') {
        fields.emplace_back();
    }
    return fields;
}

// The transcribed table and code lists hold exactly the reference facts,
// when those are at hand (a clone elsewhere has no ../shared).
TEST(Gs1AiTable, MatchesTheReferenceTable)
{
    std::ifstream in(kFacts / "ai-table.tsv");
    if (!in) {
        GTEST_SKIP() << "no reference table at " << kFacts;
    }
    const auto table = gs1::aiTable();
    std::size_t row = 0;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line.front() == '#') {
            continue;
        }
        ASSERT_LT(row, table.size()) << "the reference has more rows";
        const gs1::AiEntry& e = table[row++];
        const std::vector<std::string> expected = splitTabs(line);
        const std::vector<std::string> actual{std::string(e.firstAi),     std::string(e.lastAi),
                                              e.separatorAfter ? "yes" : "no",
                                              e.digitalLinkAttribute ? "yes" : "no",
                                              std::string(e.components),  std::string(e.requiredAis),
                                              std::string(e.excludedAis), std::string(e.digitalLinkKey),
                                              std::string(e.title)};
        EXPECT_EQ(actual, expected) << "row " << row;
    }
    EXPECT_EQ(row, table.size());
    const std::pair<const char*, gs1::CodeList> lists[] = {{"iso3166-numeric.txt", gs1::CodeList::Iso3166Numeric},
                                                           {"iso3166-alpha2.txt", gs1::CodeList::Iso3166Alpha2},
                                                           {"iso4217-numeric.txt", gs1::CodeList::Iso4217Numeric},
                                                           {"package-type.txt", gs1::CodeList::PackageType}};
    for (const auto& [file, list] : lists) {
        std::ifstream codes(kFacts / file);
        std::string joined;
        for (std::string code; codes >> code;) {
            joined += code + " ";
        }
        EXPECT_EQ(gs1::codeListText(list), joined) << file;
    }
}

// Checks the label tables do not reach: one value that passes, one that fails.
TEST(Gs1ComponentChecks, EachCheckTellsGoodFromBad)
{
    using gs1::Check;
    const struct {
        Check check;
        const char* good;
        const char* bad;
        const char* fault;
    } cases[] = {
        {Check::Yyyymmdd, "20240229", "20230229", "invalid date 20230229: day 29"},
        {Check::Yyyymmd0, "20230200", "20231301", "invalid date 20231301: month 13"},
        {Check::Ss, "59", "60", "invalid second 60"},
        {Check::Hhmi, "2359", "2400", "invalid time 2400: hour 24"},
        {Check::Iso3166With999, "999", "998", "unknown country code 998"},
        {Check::Iso3166List, "276040250", "2760402", "invalid country code list 2760402"},
        {Check::Iso5218, "9", "3", "invalid sex code 3"},
        {Check::NonZero, "0010", "0000", "must not be zero"},
        {Check::Zero, "0", "1", "must be zero"},
        {Check::NoZeroPrefix, "10", "0", "must not start with 0"},
        {Check::HasNonDigit, "12A", "123", "must hold a character other than a digit"},
        {Check::Winding, "9", "2", "invalid winding direction 2"},
        {Check::PercentEncoding, "A%2fB", "A%2G", "invalid percent-encoding"},
        {Check::ImporterIndex, "_", "!", "invalid importer index '!'"},
        {Check::MediaType, "80", "11", "invalid media type 11"},
        {Check::CouponCode, "106141416543213500110000310123196000", "10614141654321350011",
         "coupon primary purchase requirement code missing"},
        {Check::CouponCode, "01234561234561010412310110123921104560654321326123142601015012345661123456790000",
         "0123456123456101041231011012392110456065432132612314260101501234566112345679000",
         "coupon don't multiply flag missing"},
        {Check::CouponCode, "01234561234561010412321104569", "01234561234561010412321104569x",
         "a coupon code holds digits only"},
        {Check::CouponPositiveOffer, "0106141417777770123456", "01061414177777701234", "invalid coupon format"},
        {Check::MinutesOptionalSeconds, "5959", "5960", "invalid minutes and seconds 5960: second 60"},
        {Check::Csum, "400000000008", "400000000007", "check digit 7, expected 8"},
    };
    const gs1::CheckContext context{2026};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.good);
        EXPECT_EQ(gs1::runCheck(c.check, c.good, context).what, "");
        EXPECT_EQ(gs1::runCheck(c.check, c.bad, context).what, c.fault);
    }
}

}  // namespace
}  // namespace korvel
