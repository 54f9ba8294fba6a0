#include "gs1/coupon_codes.hpp"

#include <cstddef>
#include <cstdint>
#include <utility>

#include "gs1/character_sets.hpp"

namespace korvel::gs1 {
namespace {

// "0, 1, 2 or 5", or "0 to 6" for a run of four or more.
std::string describeDigits(std::string_view allowed)
{
    const bool run = allowed.size() >= 4 && allowed.back() - allowed.front() + 1 == static_cast<int>(allowed.size());
    if (run) {
        return std::string{allowed.front()} + " to " + allowed.back();
    }
    std::string text;
    for (std::size_t i = 0; i < allowed.size(); ++i) {
        text += (i == 0 ? "" : i + 1 == allowed.size() ? " or " : ", ") + std::string(1, allowed[i]);
    }
    return text;
}

// Reads a coupon value field by field; the first fault stops it, and every
// read after a fault gives an empty field.
class CouponReader {
public:
    explicit CouponReader(std::string_view digits) : digits_(digits) {}

    [[nodiscard]] bool ok() const noexcept { return fault_.what.empty(); }
    [[nodiscard]] bool atEnd() const noexcept { return at_ >= digits_.size(); }
    [[nodiscard]] std::size_t at() const noexcept { return at_; }
    [[nodiscard]] const CheckFault& fault() const noexcept { return fault_; }

    void fail(std::string what, std::size_t offset, std::size_t length)
    {
        if (ok()) {
            fault_ = {std::move(what), offset, length};
        }
    }

    // `count` digits: the field `name`.
    std::string_view take(std::size_t count, std::string_view name)
    {
        if (!ok()) {
            return {};
        }
        const std::size_t left = digits_.size() - at_;
        if (left < count) {
            fail("coupon " + std::string(name) + (left == 0 ? " missing" : " cut short"), at_, left);
            return {};
        }
        const std::string_view field = digits_.substr(at_, count);
        at_ += count;
        return field;
    }

    // One digit that must be one of `allowed`.
    char code(std::string_view allowed, std::string_view name)
    {
        const std::size_t start = at_;
        const std::string_view digit = take(1, name);
        if (digit.empty()) {
            return 0;
        }
        if (allowed.find(digit.front()) == std::string_view::npos) {
            fail("invalid coupon " + std::string(name) + " " + std::string(digit) + " (" + describeDigits(allowed) + ")",
                 start, 1);
            return 0;
        }
        return digit.front();
    }

    // A length indicator digit L of `allowed`, then `base` + L digits. An
    // indicator in `none` stands for a field left out.
    std::string_view variable(std::string_view allowed, std::size_t base, std::string_view name,
                              std::string_view none = {})
    {
        const char indicator = code(std::string(allowed) + std::string(none), std::string(name) + " length digit");
        if (indicator == 0 || none.find(indicator) != std::string_view::npos) {
            return {};
        }
        return take(base + static_cast<std::size_t>(indicator - '0'), name);
    }

private:
    std::string_view digits_;
    std::size_t at_ = 0;
    CheckFault fault_;
};

constexpr std::string_view kPurchaseRequirementCodes = "012349";

void readLeadingFields(CouponReader& reader)
{
    reader.variable("0123456", 6, "company prefix");
    reader.take(6, "offer code");
    reader.variable("12345", 0, "save value");
    reader.variable("12345", 0, "primary purchase requirement");
    reader.code(kPurchaseRequirementCodes, "primary purchase requirement code");
    reader.take(3, "primary purchase family code");
}

// Fields 1 and 2: a further purchase (the second with the rule that joins
// it to the primary one); its company prefix length digit 9 means the
// primary purchase's company prefix, not repeated.
void readQualifyingPurchase(CouponReader& reader, const std::string& which, bool withRulesCode)
{
    if (withRulesCode) {
        reader.code("0123", "additional purchase rules code");
    }
    reader.variable("12345", 0, which + " purchase requirement");
    reader.code(kPurchaseRequirementCodes, which + " purchase requirement code");
    reader.take(3, which + " purchase family code");
    reader.variable("0123456", 6, which + " purchase company prefix", "9");
}

// A YYMMDD field; returns it, or an empty view after a fault.
std::string_view readDate(CouponReader& reader, std::string_view name, const CheckContext& context)
{
    const std::size_t start = reader.at();
    const std::string_view date = reader.take(6, name);
    if (date.empty()) {
        return {};
    }
    const std::string fault = dateFault(date, false, false, context);
    if (!fault.empty()) {
        constexpr std::string_view kInvalidDate = "invalid date";
        reader.fail("invalid coupon " + std::string(name) + fault.substr(kInvalidDate.size()), start, 6);
        return {};
    }
    return date;
}

std::int64_t dayNumber(std::string_view yymmdd, const CheckContext& context)
{
    const int yy = (yymmdd[0] - '0') * 10 + (yymmdd[1] - '0');
    const std::int64_t mmdd = (yymmdd[2] - '0') * 1000 + (yymmdd[3] - '0') * 100 + (yymmdd[4] - '0') * 10 + (yymmdd[5] - '0');
    return yearInCenturyWindow(yy, context.referenceYear) * 10000 + mmdd;
}

void readOptionalFields(CouponReader& reader, const CheckContext& context)
{
    char previous = '0';
    std::string_view expiry;
    while (reader.ok() && !reader.atEnd()) {
        const std::size_t start = reader.at();
        const char field = reader.take(1, "field number").front();
        if (field == '0' || field == '7' || field == '8') {
            reader.fail("unknown coupon field " + std::string(1, field) + " (1 to 6 or 9)", start, 1);
        } else if (field <= previous) {
            reader.fail("coupon field " + std::string(1, field) + " after field " + previous +
                            " (fields in increasing order, each once)",
                        start, 1);
        }
        previous = field;
        switch (field) {
        case '1': readQualifyingPurchase(reader, "second", true); break;
        case '2': readQualifyingPurchase(reader, "third", false); break;
        case '3': expiry = readDate(reader, "expiry date", context); break;
        case '4': {
            const std::size_t dateStart = reader.at();
            const std::string_view startDate = readDate(reader, "start date", context);
            if (!startDate.empty() && !expiry.empty() && dayNumber(startDate, context) > dayNumber(expiry, context)) {
                reader.fail("coupon start date " + std::string(startDate) + " after its expiry date " +
                                std::string(expiry),
                            dateStart, 6);
            }
            break;
        }
        case '5': reader.variable("0123456789", 6, "serial number"); break;
        case '6': reader.variable("1234567", 6, "retailer"); break;
        case '9':
            reader.code("01256", "save value code");
            reader.code("012", "save value applies to item");
            reader.code("0123456789", "store coupon flag");
            reader.code("01", "don't multiply flag");
            break;
        default: break;
        }
    }
}

// Reads a length indicator digit in [low, high] at `at` and the field of
// `base` + indicator digits after it; advances `at`. False when it does not fit.
bool readVariableField(std::string_view digits, std::size_t& at, int low, int high, std::size_t base)
{
    if (at >= digits.size() || digits[at] - '0' < low || digits[at] - '0' > high) {
        return false;
    }
    const std::size_t length = base + static_cast<std::size_t>(digits[at] - '0');
    at += 1 + length;
    return at <= digits.size();
}

}  // namespace

CheckFault checkCouponCode(std::string_view part, const CheckContext& context)
{
    const std::size_t other = part.find_first_not_of("0123456789");
    if (other != std::string_view::npos) {
        return {"a coupon code holds digits only", other, 1};
    }
    CouponReader reader(part);
    readLeadingFields(reader);
    readOptionalFields(reader, context);
    return reader.fault();
}

std::string checkCouponPositiveOffer(std::string_view part)
{
    std::size_t at = 1;
    const bool ok = isAllDigits(part) && (part[0] == '0' || part[0] == '1') && readVariableField(part, at, 0, 6, 6) &&
                    (at += 6) <= part.size() && readVariableField(part, at, 0, 9, 6) && at == part.size();
    return ok ? std::string{} : "invalid coupon format";
}

}  // namespace korvel::gs1
