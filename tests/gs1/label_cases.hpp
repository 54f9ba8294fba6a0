#pragma once
// GS1 and HIBC inputs drawn from real label types, shared by the parsing
// tests and the read-back round trips. Two-digit years are read against
// kReferenceTime (2026-01-01).

#include <ctime>
#include <string>

namespace korvel::testing {

inline constexpr std::time_t kReferenceTime = 1767225600;

struct ValidLabel {
    const char* name;
    std::string text;
    std::string humanReadable;
    // What a reader returns after the symbology identifier: AIs and values,
    // GS (29) for each FNC1 separator; for a Digital Link, the URI.
    std::string readBack;
};

inline const ValidLabel kValidLabels[] = {
    {"EU pharma pack with German PZN", "[01]09501101530003[17]270131[10]ABC123[21]SN42X[710]PZN1234567",
     "(01) 09501101530003 (17) 270131 (10) ABC123 (21) SN42X (710) PZN1234567",
     "010950110153000317270131" "10ABC123\x1d" "21SN42X\x1d" "710PZN1234567"},
    {"EU pharma pack with AIM number, parentheses", "(01)04150123456782(21)X7\\(2\\)(714)AIM9(17)280229",
     "(01) 04150123456782 (21) X7(2) (714) AIM9 (17) 280229",
     "010415012345678221X7(2)\x1d" "714AIM9\x1d" "17280229"},
    {"DSCSA pack", "[01]00350881234569[21]1000000123[10]LOT-7[17]270630",
     "(01) 00350881234569 (21) 1000000123 (10) LOT-7 (17) 270630",
     "010035088123456921" "1000000123\x1d" "10LOT-7\x1d" "17270630"},
    {"device UDI", "(01)09501101530003(11)250101(17)280100(10)A1B2(21)12345",
     "(01) 09501101530003 (11) 250101 (17) 280100 (10) A1B2 (21) 12345",
     "01095011015300031125010117280100" "10A1B2\x1d" "2112345"},
    {"SSCC logistics label", "[00]106141412345678908[02]09501101530003[37]24[400]PO-7731/B",
     "(00) 106141412345678908 (02) 09501101530003 (37) 24 (400) PO-7731/B",
     "00106141412345678908020950110153000337" "24\x1d" "400PO-7731/B"},
    {"net weight 310n", "[01]09501101530003[3103]001250[15]990101",
     "(01) 09501101530003 (3103) 001250 (15) 990101", "01095011015300033103001250" "15990101"},
    {"trade item piece 8006", "[8006]095011015300030102[21]PIECE1[10]L9",
     "(8006) 095011015300030102 (21) PIECE1 (10) L9", "8006095011015300030102\x1d" "21PIECE1\x1d" "10L9"},
    {"digital signature 8030", "[01]09501101530003[21]S1[8030]MEUCIQC-abc_xy=",
     "(01) 09501101530003 (21) S1 (8030) MEUCIQC-abc_xy=", "010950110153000321S1\x1d" "8030MEUCIQC-abc_xy="},
    {"digital signature on a serialised GDTI", "[253]9501101530003DOC-7[8030]MEUCIQC-abc_x==",
     "(253) 9501101530003DOC-7 (8030) MEUCIQC-abc_x==", "2539501101530003DOC-7\x1d" "8030MEUCIQC-abc_x=="},
    {"coupon 8110 with every optional field",
     "[8110]0123456123456101041231011012306543213261231426010150123456" "90000",
     "(8110) 0123456123456101041231011012306543213261231426010150123456" "90000",
     "81100123456123456101041231011012306543213261231426010150123456" "90000"},
    {"invoicing: pay-to with IBAN and GMN", "[415]5400012345673[8020]INV-42[8007]GB82WEST12345698765432",
     "(415) 5400012345673 (8020) INV-42 (8007) GB82WEST12345698765432",
     "4155400012345673" "8020INV-42\x1d" "8007GB82WEST12345698765432"},
    {"model number 8013 with check pair", "[8013]1987654Ad4X4bL5ttr2310c2K[7003]2612311230[01]09501101530003",
     "(8013) 1987654Ad4X4bL5ttr2310c2K (7003) 2612311230 (01) 09501101530003",
     "80131987654Ad4X4bL5ttr2310c2K\x1d" "70032612311230\x1d" "0109501101530003"},
    {"Digital Link with prefix and query", "https://id.example/shop/01/09501101530003/10/AB%2F1?17=261231&linkType=all",
     "(01) 09501101530003 (10) AB/1 (17) 261231",
     "https://id.example/shop/01/09501101530003/10/AB%2F1?17=261231&linkType=all"},
};

inline const struct {
    const char* name;
    std::string data;
    std::string readBack;
} kValidHibcLabels[] = {
    {"HIBC primary", "A123BJC5D6E71", "+A123BJC5D6E71G"},
    {"HIBC with secondary data", "A99912345/$$52001510X3", "+A99912345/$$52001510X33"},
};

}  // namespace korvel::testing
