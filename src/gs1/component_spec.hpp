#pragma once
// The parts of an AI's value as the AI table writes them: space-separated
// parts "TYPE[,check...]", where TYPE is a character set letter and a length
// ("N14" exactly 14, "X..20" 1 to 20), and "[...]" around the type marks an
// optional part ("[N3],iso3166").

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace korvel::gs1 {

enum class CharacterSet : std::uint8_t {
    Digits,     // N
    Cset82,     // X: GS1 character set 82
    Cset39,     // Y: GS1 character set 39
    Base64Url,  // Z: letters, digits, '-', '_', '='
};

// The named checks a part can carry.
enum class Check : std::uint8_t {
    Csum, CsumAlpha, GcpPos1, GcpPos2,
    Yymmdd, Yymmd0, Yyyymmdd, Yyyymmd0, Hh, Mi, Ss, Hhmi,
    Iso3166, Iso3166With999, Iso3166List, Iso3166Alpha2, Iso4217, Iso5218, PackageType,
    NonZero, Zero, NoZeroPrefix, HasNonDigit, Winding, YesNo, Hyphen,
    PieceOfTotal, PosInSeqSlash, Latitude, Longitude, PercentEncoding, Iban, ImporterIndex, MediaType,
    CouponCode, CouponPositiveOffer, MinutesOptionalSeconds,
};

struct CheckName {
    std::string_view name;
    Check check;
};

inline constexpr std::array<CheckName, 37> kCheckNames{{
    {"csum", Check::Csum}, {"csumalpha", Check::CsumAlpha}, {"gcppos1", Check::GcpPos1},
    {"gcppos2", Check::GcpPos2}, {"yymmdd", Check::Yymmdd}, {"yymmd0", Check::Yymmd0},
    {"yyyymmdd", Check::Yyyymmdd}, {"yyyymmd0", Check::Yyyymmd0}, {"hh", Check::Hh}, {"mi", Check::Mi},
    {"ss", Check::Ss}, {"hhmi", Check::Hhmi}, {"iso3166", Check::Iso3166}, {"iso3166999", Check::Iso3166With999},
    {"iso3166list", Check::Iso3166List}, {"iso3166alpha2", Check::Iso3166Alpha2}, {"iso4217", Check::Iso4217},
    {"iso5218", Check::Iso5218}, {"packagetype", Check::PackageType}, {"nonzero", Check::NonZero},
    {"zero", Check::Zero}, {"nozeroprefix", Check::NoZeroPrefix}, {"hasnondigit", Check::HasNonDigit},
    {"winding", Check::Winding}, {"yesno", Check::YesNo}, {"hyphen", Check::Hyphen},
    {"pieceoftotal", Check::PieceOfTotal}, {"posinseqslash", Check::PosInSeqSlash}, {"latitude", Check::Latitude},
    {"longitude", Check::Longitude}, {"pcenc", Check::PercentEncoding}, {"iban", Check::Iban},
    {"importeridx", Check::ImporterIndex}, {"mediatype", Check::MediaType}, {"couponcode", Check::CouponCode},
    {"couponposoffer", Check::CouponPositiveOffer}, {"mmoptss", Check::MinutesOptionalSeconds},
}};

struct Component {
    CharacterSet characterSet = CharacterSet::Digits;
    std::uint8_t minLength = 0;
    std::uint8_t maxLength = 0;
    bool optional = false;
    std::array<Check, 4> checks{};
    std::uint8_t checkCount = 0;

    [[nodiscard]] constexpr bool fixedLength() const noexcept { return minLength == maxLength; }
};

struct ComponentList {
    std::array<Component, 5> parts{};
    std::size_t count = 0;
    bool wellFormed = false;  // false when the text breaks the rules above
};

namespace detail {

constexpr bool parseNumber(std::string_view text, std::uint8_t& out) noexcept
{
    if (text.empty() || text.size() > 2) {
        return false;
    }
    unsigned n = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
        n = n * 10 + static_cast<unsigned>(c - '0');
    }
    out = static_cast<std::uint8_t>(n);
    return n > 0;
}

constexpr bool parseType(std::string_view type, Component& part) noexcept
{
    if (type.size() > 2 && type.front() == '[' && type.back() == ']') {
        part.optional = true;
        type = type.substr(1, type.size() - 2);
    }
    if (type.empty()) {
        return false;
    }
    switch (type.front()) {
    case 'N': part.characterSet = CharacterSet::Digits; break;
    case 'X': part.characterSet = CharacterSet::Cset82; break;
    case 'Y': part.characterSet = CharacterSet::Cset39; break;
    case 'Z': part.characterSet = CharacterSet::Base64Url; break;
    default: return false;
    }
    type.remove_prefix(1);
    if (type.starts_with("..")) {
        part.minLength = 1;
        return parseNumber(type.substr(2), part.maxLength);
    }
    if (!parseNumber(type, part.minLength)) {
        return false;
    }
    part.maxLength = part.minLength;
    return true;
}

constexpr bool parseCheck(std::string_view name, Component& part) noexcept
{
    for (const CheckName& known : kCheckNames) {
        if (known.name == name && part.checkCount < part.checks.size()) {
            part.checks[part.checkCount++] = known.check;
            return true;
        }
    }
    return false;
}

constexpr bool parsePart(std::string_view text, Component& part) noexcept
{
    bool ok = true;
    bool first = true;
    while (ok) {
        const std::size_t comma = text.find(',');
        const std::string_view piece = text.substr(0, comma);
        ok = first ? parseType(piece, part) : parseCheck(piece, part);
        first = false;
        if (comma == std::string_view::npos) {
            break;
        }
        text.remove_prefix(comma + 1);
    }
    return ok;
}

}  // namespace detail

// Parses a components text. Besides the syntax it requires what the splitting
// of a value relies on: only the last part varies in length, and optional
// parts come only after all mandatory ones.
[[nodiscard]] constexpr ComponentList parseComponents(std::string_view text) noexcept
{
    ComponentList list;
    bool ok = !text.empty();
    while (ok && !text.empty()) {
        const std::size_t space = text.find(' ');
        Component part;
        ok = list.count < list.parts.size() && detail::parsePart(text.substr(0, space), part);
        if (ok && list.count > 0) {
            const Component& previous = list.parts[list.count - 1];
            ok = previous.fixedLength() && (part.optional || !previous.optional);
        }
        if (ok) {
            list.parts[list.count++] = part;
        }
        text = space == std::string_view::npos ? std::string_view{} : text.substr(space + 1);
    }
    list.wellFormed = ok;
    return list;
}

}  // namespace korvel::gs1
