#include "gs1/component_checks.hpp"

#include <algorithm>
#include <array>
#include <cstddef>
#include <initializer_list>
#include <utility>

#include "gs1/character_sets.hpp"
#include "gs1/code_lists.hpp"
#include "gs1/coupon_codes.hpp"

namespace korvel::gs1 {
namespace {

using namespace std::string_literals;

// The number written by the digits of `text` (at most 18 of them), or -1
// when `text` is empty or holds anything else.
std::int64_t numberOf(std::string_view text) noexcept
{
    if (!isAllDigits(text) || text.size() > 18) {
        return -1;
    }
    std::int64_t n = 0;
    for (const char c : text) {
        n = n * 10 + (c - '0');
    }
    return n;
}

// A part in a message: digits as they are, anything else in quotes.
std::string shown(std::string_view part)
{
    if (isAllDigits(part)) {
        return std::string(part);
    }
    // Appended piece by piece: GCC 12 warns falsely (-Wrestrict) on the
    // concatenation of temporaries at -O3.
    std::string quoted(1, '\'');
    quoted.append(part);
    quoted.push_back('\'');
    return quoted;
}

bool isAllZeros(std::string_view text) noexcept
{
    return !text.empty() && text.find_first_not_of('0') == std::string_view::npos;
}

int twoDigits(std::string_view text, std::size_t at) noexcept
{
    return static_cast<int>(numberOf(text.substr(at, 2)));
}

std::string expectDigits(std::string_view part, std::size_t count, const std::string& fault)
{
    return part.size() == count && isAllDigits(part) ? std::string{} : fault + " " + shown(part);
}

bool isLeapYear(std::int64_t year) noexcept { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int daysInMonth(std::int64_t year, int month) noexcept
{
    static constexpr std::array<int, 12> kDays{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return kDays[static_cast<std::size_t>(month - 1)] + (month == 2 && isLeapYear(year) ? 1 : 0);
}

std::string checkRange(std::string_view part, std::size_t digits, std::int64_t low, std::int64_t high,
                       const std::string& fault)
{
    const std::int64_t n = part.size() == digits ? numberOf(part) : -1;
    return n >= low && n <= high ? std::string{} : fault + " " + shown(part);
}

// "hour 24": the first of two-digit fields of `part` above its highest
// value, or an empty string when all are in range (and all are digits).
std::string fieldOutOfRange(std::string_view part, std::initializer_list<std::pair<const char*, int>> fields)
{
    std::size_t at = 0;
    for (const auto& [name, highest] : fields) {
        if (at + 2 <= part.size() && twoDigits(part, at) > highest) {
            return std::string(name) + " " + std::string(part.substr(at, 2));
        }
        at += 2;
    }
    return {};
}

std::string checkTime(std::string_view part)
{
    if (part.size() != 4 || !isAllDigits(part)) {
        return "invalid time " + shown(part);
    }
    const std::string field = fieldOutOfRange(part, {{"hour", 23}, {"minute", 59}});
    return field.empty() ? std::string{} : "invalid time " + shown(part) + ": " + field;
}

std::string checkMinutesOptionalSeconds(std::string_view part)
{
    if ((part.size() != 2 && part.size() != 4) || !isAllDigits(part)) {
        return "invalid minutes and seconds " + shown(part);
    }
    const std::string field = fieldOutOfRange(part, {{"minute", 59}, {"second", 59}});
    return field.empty() ? std::string{} : "invalid minutes and seconds " + shown(part) + ": " + field;
}

std::string checkDigit(std::string_view part)
{
    if (part.size() < 2 || !isAllDigits(part)) {
        return "no check digit";
    }
    int sum = 0;
    int weight = 3;
    for (std::size_t i = part.size() - 1; i-- > 0;) {
        sum += (part[i] - '0') * weight;
        weight = 4 - weight;
    }
    const char expected = static_cast<char>('0' + (10 - sum % 10) % 10);
    if (part.back() != expected) {
        return "check digit "s + part.back() + ", expected " + expected;
    }
    return {};
}

std::string checkCharacterPair(std::string_view part)
{
    static constexpr std::array<int, 23> kPrimes{2,  3,  5,  7,  11, 13, 17, 19, 23, 29, 31, 37,
                                                 41, 43, 47, 53, 59, 61, 67, 71, 73, 79, 83};
    static constexpr std::string_view kPairAlphabet = "23456789ABCDEFGHJKLMNPQRSTUVWXYZ";
    if (part.size() < 2 || part.size() - 2 > kPrimes.size()) {
        return "no check character pair";
    }
    const std::string_view body = part.substr(0, part.size() - 2);
    int sum = 0;
    for (std::size_t i = 0; i < body.size(); ++i) {
        const std::size_t value = kCset82.find(body[body.size() - 1 - i]);
        if (value == std::string_view::npos) {
            return "no check character pair";
        }
        sum += static_cast<int>(value) * kPrimes[i];
    }
    sum %= 1021;
    const std::string expected{kPairAlphabet[static_cast<std::size_t>(sum / 32)],
                               kPairAlphabet[static_cast<std::size_t>(sum % 32)]};
    if (part.substr(body.size()) != expected) {
        return "check characters " + shown(part.substr(body.size())) + ", expected " + expected;
    }
    return {};
}

// A GS1 Company Prefix is at least four digits; without GS1's registry only
// that is checked: the value must have room for them, and they must be digits.
std::string checkCompanyPrefixFormat(std::string_view part, std::size_t position)
{
    constexpr std::size_t kShortest = 4;
    const std::string_view prefix = part.substr(std::min(position - 1, part.size()), kShortest);
    if (!isAllDigits(prefix)) {
        return "no GS1 Company Prefix at its place";
    }
    if (prefix.size() < kShortest) {
        return "no room for a GS1 Company Prefix (at least 4 digits)";
    }
    return {};
}

std::string checkCode(CodeList list, std::string_view part, const std::string& what)
{
    return isInCodeList(list, part) ? std::string{} : "unknown " + what + " " + shown(part);
}

std::string checkCountryList(std::string_view part)
{
    if (part.empty() || part.size() % 3 != 0 || part.size() > 15) {
        return "invalid country code list " + shown(part);
    }
    for (std::size_t i = 0; i < part.size(); i += 3) {
        const std::string fault = checkCode(CodeList::Iso3166Numeric, part.substr(i, 3), "country code");
        if (!fault.empty()) {
            return fault;
        }
    }
    return {};
}

std::string checkOneOf(std::string_view part, std::string_view allowed, const std::string& what)
{
    const bool ok = part.size() == 1 && allowed.find(part.front()) != std::string_view::npos;
    return ok ? std::string{} : "invalid " + what + " " + shown(part);
}

std::string checkPieceOfTotal(std::string_view part)
{
    const std::size_t half = part.size() / 2;
    const std::int64_t piece = part.size() % 2 == 0 ? numberOf(part.substr(0, half)) : -1;
    const std::int64_t total = part.size() % 2 == 0 ? numberOf(part.substr(half)) : -1;
    if (piece < 1 || total < 1 || piece > total) {
        return "invalid piece of total " + shown(part);
    }
    return {};
}

std::string checkPositionInSequence(std::string_view part)
{
    const bool ok = part.size() == 3 && part[1] == '/' && part[0] >= '1' && part[0] <= '9' && part[2] >= '1' &&
                    part[2] <= '9' && part[0] <= part[2];
    return ok ? std::string{} : "invalid position in sequence " + shown(part);
}

std::string checkPercentEncoding(std::string_view part)
{
    for (std::size_t i = 0; i < part.size(); ++i) {
        if (part[i] == '%') {
            if (i + 2 >= part.size() || hexDigit(part[i + 1]) < 0 || hexDigit(part[i + 2]) < 0) {
                return "invalid percent-encoding";
            }
            i += 2;
        }
    }
    return {};
}

// An IBAN (ISO 13616): an ISO 3166 alpha-2 country code, two check digits
// and the account, verified modulo 97.
std::string checkIban(std::string_view part)
{
    bool ok = part.size() >= 5 && isUpperChar(part[0]) && isUpperChar(part[1]) && isDigitChar(part[2]) &&
              isDigitChar(part[3]);
    if (ok && !isInCodeList(CodeList::Iso3166Alpha2, part.substr(0, 2))) {
        return "invalid IBAN " + shown(part) + ": unknown country code '" + std::string(part.substr(0, 2)) + "'";
    }
    int remainder = 0;
    for (std::size_t i = 0; ok && i < part.size(); ++i) {
        const char c = part[(i + 4) % part.size()];
        if (isDigitChar(c)) {
            remainder = (remainder * 10 + (c - '0')) % 97;
        } else if (isUpperChar(c)) {
            remainder = (remainder * 100 + (c - 'A' + 10)) % 97;
        } else {
            ok = false;
        }
    }
    return ok && remainder == 1 ? std::string{} : "invalid IBAN " + shown(part);
}

std::string checkImporterIndex(std::string_view part)
{
    const bool ok = part.size() == 1 && (isDigitChar(part[0]) || isUpperChar(part[0]) || isLowerChar(part[0]) ||
                                         part[0] == '-' || part[0] == '_');
    return ok ? std::string{} : "invalid importer index " + shown(part);
}

std::string checkMediaType(std::string_view part)
{
    const std::int64_t n = part.size() == 2 ? numberOf(part) : -1;
    return (n >= 1 && n <= 10) || (n >= 80 && n <= 99) ? std::string{} : "invalid media type " + shown(part);
}

}  // namespace

std::int64_t yearInCenturyWindow(int twoDigitYear, std::int64_t referenceYear) noexcept
{
    const std::int64_t c = ((referenceYear % 100) + 100) % 100;
    const std::int64_t century = referenceYear - c;
    const std::int64_t difference = twoDigitYear - c;
    if (difference >= 51) {
        return century - 100 + twoDigitYear;
    }
    if (difference <= -50) {
        return century + 100 + twoDigitYear;
    }
    return century + twoDigitYear;
}

std::string dateFault(std::string_view part, bool fourDigitYear, bool dayZeroAllowed, const CheckContext& context)
{
    const std::size_t yearDigits = fourDigitYear ? 4 : 2;
    const std::string fault = expectDigits(part, yearDigits + 4, "invalid date");
    if (!fault.empty()) {
        return fault;
    }
    const std::int64_t written = numberOf(part.substr(0, yearDigits));
    const std::int64_t year =
        fourDigitYear ? written : yearInCenturyWindow(static_cast<int>(written), context.referenceYear);
    const int month = twoDigits(part, yearDigits);
    const int day = twoDigits(part, yearDigits + 2);
    if (month < 1 || month > 12) {
        return "invalid date " + shown(part) + ": month " + std::string(part.substr(yearDigits, 2));
    }
    if ((day == 0 && !dayZeroAllowed) || day > daysInMonth(year, month)) {
        return "invalid date " + shown(part) + ": day " + std::string(part.substr(yearDigits + 2, 2));
    }
    return {};
}

namespace {

std::string partFault(Check check, std::string_view part, const CheckContext& context)
{
    switch (check) {
    case Check::Csum: return checkDigit(part);
    case Check::CsumAlpha: return checkCharacterPair(part);
    case Check::GcpPos1: return checkCompanyPrefixFormat(part, 1);
    case Check::GcpPos2: return checkCompanyPrefixFormat(part, 2);
    case Check::Yymmdd: return dateFault(part, false, false, context);
    case Check::Yymmd0: return dateFault(part, false, true, context);
    case Check::Yyyymmdd: return dateFault(part, true, false, context);
    case Check::Yyyymmd0: return dateFault(part, true, true, context);
    case Check::Hh: return checkRange(part, 2, 0, 23, "invalid hour");
    case Check::Mi: return checkRange(part, 2, 0, 59, "invalid minute");
    case Check::Ss: return checkRange(part, 2, 0, 59, "invalid second");
    case Check::Hhmi: return checkTime(part);
    case Check::Iso3166: return checkCode(CodeList::Iso3166Numeric, part, "country code");
    case Check::Iso3166With999: return part == "999" ? std::string{} : partFault(Check::Iso3166, part, context);
    case Check::Iso3166List: return checkCountryList(part);
    case Check::Iso3166Alpha2: return checkCode(CodeList::Iso3166Alpha2, part, "country code");
    case Check::Iso4217: return checkCode(CodeList::Iso4217Numeric, part, "currency code");
    case Check::Iso5218: return checkOneOf(part, "0129", "sex code");
    case Check::PackageType: return checkCode(CodeList::PackageType, part, "package type");
    case Check::NonZero: return isAllZeros(part) ? "must not be zero" : "";
    case Check::Zero: return isAllZeros(part) ? "" : "must be zero";
    case Check::NoZeroPrefix: return part.starts_with('0') ? "must not start with 0" : "";
    case Check::HasNonDigit: return isAllDigits(part) ? "must hold a character other than a digit" : "";
    case Check::Winding: return checkOneOf(part, "019", "winding direction");
    case Check::YesNo: return checkOneOf(part, "01", "yes/no flag");
    case Check::Hyphen: return part == "-" ? "" : "expected '-' instead of " + shown(part);
    case Check::PieceOfTotal: return checkPieceOfTotal(part);
    case Check::PosInSeqSlash: return checkPositionInSequence(part);
    case Check::Latitude: return checkRange(part, 10, 0, 1800000000, "invalid latitude");
    case Check::Longitude: return checkRange(part, 10, 0, 3600000000, "invalid longitude");
    case Check::PercentEncoding: return checkPercentEncoding(part);
    case Check::Iban: return checkIban(part);
    case Check::ImporterIndex: return checkImporterIndex(part);
    case Check::MediaType: return checkMediaType(part);
    case Check::CouponCode: return checkCouponCode(part, context).what;
    case Check::CouponPositiveOffer: return checkCouponPositiveOffer(part);
    case Check::MinutesOptionalSeconds: return checkMinutesOptionalSeconds(part);
    }
    return {};
}

}  // namespace

CheckFault runCheck(Check check, std::string_view part, const CheckContext& context)
{
    if (check == Check::CouponCode) {
        return checkCouponCode(part, context);
    }
    return {partFault(check, part, context)};
}

}  // namespace korvel::gs1
