#include "gs1/ai_table.hpp"

#include <array>

#include "gs1/component_spec.hpp"

namespace korvel::gs1 {
namespace {

// The GS1 Application Identifiers, transcribed from the GS1 Barcode Syntax
// Dictionary (copyright GS1 AISBL and contributors, licensed under the Apache
// License, Version 2.0). Columns: first AI, last AI, separator after the value
// (variable length), Digital Link attribute, components, required AIs,
// excluded AIs, Digital Link primary key and qualifiers, data title.
constexpr std::array<AiEntry, 224> kAiTable{{
    {"00", "00", false, true, "N18,csum,gcppos2", "", "", "dlpkey", "SSCC"},
    {"01", "01", false, true, "N14,csum,gcppos2", "", "255,37", "dlpkey=22,10,21|235", "GTIN"},
    {"02", "02", false, true, "N14,csum,gcppos2", "37", "01,03", "", "CONTENT"},
    {"03", "03", false, false, "N14,csum,gcppos2", "", "01,02,37,235", "", "MTO GTIN"},
    {"10", "10", true, true, "X..20", "01,02,03,8006,8026", "", "", "BATCH/LOT"},
    {"11", "11", false, true, "N6,yymmd0", "01,02,03,8006,8026", "", "", "PROD DATE"},
    {"12", "12", false, true, "N6,yymmd0", "8020", "", "", "DUE DATE"},
    {"13", "13", false, true, "N6,yymmd0", "01,02,03,8006,8026", "", "", "PACK DATE"},
    {"15", "15", false, true, "N6,yymmd0", "01,02,03,8006,8026", "", "", "BEST BEFORE or BEST BY"},
    {"16", "16", false, true, "N6,yymmd0", "01,02,03,8006,8026", "", "", "SELL BY"},
    {"17", "17", false, true, "N6,yymmd0", "01,02,03,255,8006,8026", "", "", "USE BY or EXPIRY"},
    {"20", "20", false, true, "N2", "01,02,03,8006,8026", "", "", "VARIANT"},
    {"21", "21", true, false, "X..20", "01,03,8006", "235", "", "SERIAL"},
    {"22", "22", true, false, "X..20", "01", "", "", "CPV"},
    {"235", "235", true, false, "X..28", "01", "", "", "TPX"},
    {"240", "240", true, true, "X..30", "01,02,03,8006,8026", "", "", "ADDITIONAL ID"},
    {"241", "241", true, true, "X..30", "01,02,03,8006,8026", "", "", "CUST. PART No."},
    {"242", "242", true, true, "N..6", "01,02,8006,8026", "", "", "MTO VARIANT"},
    {"243", "243", true, true, "X..20", "01,03", "", "", "PCN"},
    {"250", "250", true, true, "X..30", "01+21,03+21,8006+21", "", "", "SECONDARY SERIAL"},
    {"251", "251", true, true, "X..30", "01,03,8006", "", "", "REF. TO SOURCE"},
    {"253", "253", true, true, "N13,csum,gcppos1 [X..17]", "", "", "dlpkey", "GDTI"},
    {"254", "254", true, false, "X..20", "414", "", "", "GLN EXTENSION COMPONENT"},
    {"255", "255", true, true, "N13,csum,gcppos1 [N..12]", "", "01,02,415,8006,8020,8026", "dlpkey", "GCN"},
    {"30", "30", true, true, "N..8", "01,02", "", "", "VAR. COUNT"},
    {"3100", "3105", false, true, "N6", "01,02", "310n", "", "NET WEIGHT (kg)"},
    {"3110", "3115", false, true, "N6", "01,02", "311n", "", "LENGTH (m)"},
    {"3120", "3125", false, true, "N6", "01,02", "312n", "", "WIDTH (m)"},
    {"3130", "3135", false, true, "N6", "01,02", "313n", "", "HEIGHT (m)"},
    {"3140", "3145", false, true, "N6", "01,02", "314n", "", "AREA (m²)"},
    {"3150", "3155", false, true, "N6", "01,02", "315n", "", "NET VOLUME (l)"},
    {"3160", "3165", false, true, "N6", "01,02", "316n", "", "NET VOLUME (m³)"},
    {"3200", "3205", false, true, "N6", "01,02", "320n", "", "NET WEIGHT (lb)"},
    {"3210", "3215", false, true, "N6", "01,02", "321n", "", "LENGTH (in)"},
    {"3220", "3225", false, true, "N6", "01,02", "322n", "", "LENGTH (ft)"},
    {"3230", "3235", false, true, "N6", "01,02", "323n", "", "LENGTH (yd)"},
    {"3240", "3245", false, true, "N6", "01,02", "324n", "", "WIDTH (in)"},
    {"3250", "3255", false, true, "N6", "01,02", "325n", "", "WIDTH (ft)"},
    {"3260", "3265", false, true, "N6", "01,02", "326n", "", "WIDTH (yd)"},
    {"3270", "3275", false, true, "N6", "01,02", "327n", "", "HEIGHT (in)"},
    {"3280", "3285", false, true, "N6", "01,02", "328n", "", "HEIGHT (ft)"},
    {"3290", "3295", false, true, "N6", "01,02", "329n", "", "HEIGHT (yd)"},
    {"3300", "3305", false, true, "N6", "00,01", "330n", "", "GROSS WEIGHT (kg)"},
    {"3310", "3315", false, true, "N6", "00,01", "331n", "", "LENGTH (m), log"},
    {"3320", "3325", false, true, "N6", "00,01", "332n", "", "WIDTH (m), log"},
    {"3330", "3335", false, true, "N6", "00,01", "333n", "", "HEIGHT (m), log"},
    {"3340", "3345", false, true, "N6", "00,01", "334n", "", "AREA (m²), log"},
    {"3350", "3355", false, true, "N6", "00,01", "335n", "", "VOLUME (l), log"},
    {"3360", "3365", false, true, "N6", "00,01", "336n", "", "VOLUME (m³), log"},
    {"3370", "3375", false, true, "N6", "01", "337n", "", "KG PER m²"},
    {"3400", "3405", false, true, "N6", "00,01", "340n", "", "GROSS WEIGHT (lb)"},
    {"3410", "3415", false, true, "N6", "00,01", "341n", "", "LENGTH (in), log"},
    {"3420", "3425", false, true, "N6", "00,01", "342n", "", "LENGTH (ft), log"},
    {"3430", "3435", false, true, "N6", "00,01", "343n", "", "LENGTH (yd), log"},
    {"3440", "3445", false, true, "N6", "00,01", "344n", "", "WIDTH (in), log"},
    {"3450", "3455", false, true, "N6", "00,01", "345n", "", "WIDTH (ft), log"},
    {"3460", "3465", false, true, "N6", "00,01", "346n", "", "WIDTH (yd), log"},
    {"3470", "3475", false, true, "N6", "00,01", "347n", "", "HEIGHT (in), log"},
    {"3480", "3485", false, true, "N6", "00,01", "348n", "", "HEIGHT (ft), log"},
    {"3490", "3495", false, true, "N6", "00,01", "349n", "", "HEIGHT (yd), log"},
    {"3500", "3505", false, true, "N6", "01,02", "350n", "", "AREA (in²)"},
    {"3510", "3515", false, true, "N6", "01,02", "351n", "", "AREA (ft²)"},
    {"3520", "3525", false, true, "N6", "01,02", "352n", "", "AREA (yd²)"},
    {"3530", "3535", false, true, "N6", "00,01", "353n", "", "AREA (in²), log"},
    {"3540", "3545", false, true, "N6", "00,01", "354n", "", "AREA (ft²), log"},
    {"3550", "3555", false, true, "N6", "00,01", "355n", "", "AREA (yd²), log"},
    {"3560", "3565", false, true, "N6", "01,02", "356n", "", "NET WEIGHT (tr oz)"},
    {"3570", "3575", false, true, "N6", "01,02", "357n", "", "NET VOLUME (oz)"},
    {"3600", "3605", false, true, "N6", "01,02", "360n", "", "NET VOLUME (qt (US))"},
    {"3610", "3615", false, true, "N6", "01,02", "361n", "", "NET VOLUME (gal.)"},
    {"3620", "3625", false, true, "N6", "00,01", "362n", "", "VOLUME (qt (US)), log"},
    {"3630", "3635", false, true, "N6", "00,01", "363n", "", "VOLUME (gal (US)), log"},
    {"3640", "3645", false, true, "N6", "01,02", "364n", "", "NET VOLUME (in³)"},
    {"3650", "3655", false, true, "N6", "01,02", "365n", "", "NET VOLUME (ft³)"},
    {"3660", "3665", false, true, "N6", "01,02", "366n", "", "NET VOLUME (yd³)"},
    {"3670", "3675", false, true, "N6", "00,01", "367n", "", "VOLUME (in³), log"},
    {"3680", "3685", false, true, "N6", "00,01", "368n", "", "VOLUME (ft³), log"},
    {"3690", "3695", false, true, "N6", "00,01", "369n", "", "VOLUME (yd³), log"},
    {"37", "37", true, true, "N..8", "00+02,00+8026", "", "", "COUNT"},
    {"3900", "3909", true, true, "N..15", "255,8020", "390n,391n,394n,8111", "", "AMOUNT"},
    {"3910", "3919", true, true, "N3,iso4217 N..15", "8020", "391n", "", "AMOUNT"},
    {"3920", "3929", true, true, "N..15", "01+30,01+31nn,01+32nn,01+35nn,01+36nn", "392n,393n", "", "PRICE"},
    {"3930", "3939", true, true, "N3,iso4217 N..15", "30,31nn,32nn,35nn,36nn", "393n", "", "PRICE"},
    {"3940", "3943", true, true, "N4", "255", "394n,8111", "", "PRCNT OFF"},
    {"3950", "3955", true, true, "N6", "30,31nn,32nn,35nn,36nn", "392n,393n,395n,8005", "", "PRICE/UoM"},
    {"400", "400", true, true, "X..30", "", "", "", "ORDER NUMBER"},
    {"401", "401", true, true, "X..30,gcppos1", "", "", "dlpkey", "GINC"},
    {"402", "402", true, true, "N17,csum,gcppos1", "", "", "dlpkey", "GSIN"},
    {"403", "403", true, true, "X..30", "00", "", "", "ROUTE"},
    {"410", "410", false, true, "N13,csum,gcppos1", "", "", "", "SHIP TO LOC"},
    {"411", "411", false, true, "N13,csum,gcppos1", "", "", "", "BILL TO"},
    {"412", "412", false, true, "N13,csum,gcppos1", "", "", "", "PURCHASE FROM"},
    {"413", "413", false, true, "N13,csum,gcppos1", "", "", "", "SHIP FOR LOC"},
    {"414", "414", false, true, "N13,csum,gcppos1", "", "", "dlpkey=254|7040", "LOC No."},
    {"415", "415", false, true, "N13,csum,gcppos1", "8020", "", "dlpkey=8020", "PAY TO"},
    {"416", "416", false, true, "N13,csum,gcppos1", "", "", "", "PROD/SERV LOC"},
    {"417", "417", false, true, "N13,csum,gcppos1", "", "", "dlpkey=7040", "PARTY"},
    {"420", "420", true, true, "X..20", "", "421", "", "SHIP TO POST"},
    {"421", "421", true, true, "N3,iso3166 X..9", "", "4307", "", "SHIP TO POST"},
    {"422", "422", true, true, "N3,iso3166", "01,02,03,8006,8026", "426", "", "ORIGIN"},
    {"423", "423", true, true, "N3,iso3166 [N3],iso3166 [N3],iso3166 [N3],iso3166 [N3],iso3166", "01,02,03", "426", "", "COUNTRY - INITIAL PROCESS"},
    {"424", "424", true, true, "N3,iso3166", "01,02,03", "426", "", "COUNTRY - PROCESS"},
    {"425", "425", true, true, "N3,iso3166 [N3],iso3166 [N3],iso3166 [N3],iso3166 [N3],iso3166", "01,02,03", "426", "", "COUNTRY - DISASSEMBLY"},
    {"426", "426", true, true, "N3,iso3166", "01,02,03", "", "", "COUNTRY - FULL PROCESS"},
    {"427", "427", true, true, "X..3", "01+422,02+422,03+422", "", "", "ORIGIN SUBDIVISION"},
    {"4300", "4300", true, true, "X..35,pcenc", "00", "", "", "SHIP TO COMP"},
    {"4301", "4301", true, true, "X..35,pcenc", "00", "", "", "SHIP TO NAME"},
    {"4302", "4302", true, true, "X..70,pcenc", "00", "", "", "SHIP TO ADD1"},
    {"4303", "4303", true, true, "X..70,pcenc", "4302", "", "", "SHIP TO ADD2"},
    {"4304", "4304", true, true, "X..70,pcenc", "00", "", "", "SHIP TO SUB"},
    {"4305", "4305", true, true, "X..70,pcenc", "00", "", "", "SHIP TO LOC"},
    {"4306", "4306", true, true, "X..70,pcenc", "00", "", "", "SHIP TO REG"},
    {"4307", "4307", true, true, "X2,iso3166alpha2", "00", "", "", "SHIP TO COUNTRY"},
    {"4308", "4308", true, true, "X..30", "00", "", "", "SHIP TO PHONE"},
    {"4309", "4309", true, true, "N10,latitude N10,longitude", "00", "", "", "SHIP TO GEO"},
    {"4310", "4310", true, true, "X..35,pcenc", "00", "", "", "RTN TO COMP"},
    {"4311", "4311", true, true, "X..35,pcenc", "00", "", "", "RTN TO NAME"},
    {"4312", "4312", true, true, "X..70,pcenc", "00", "", "", "RTN TO ADD1"},
    {"4313", "4313", true, true, "X..70,pcenc", "4312", "", "", "RTN TO ADD2"},
    {"4314", "4314", true, true, "X..70,pcenc", "00", "", "", "RTN TO SUB"},
    {"4315", "4315", true, true, "X..70,pcenc", "00", "", "", "RTN TO LOC"},
    {"4316", "4316", true, true, "X..70,pcenc", "00", "", "", "RTN TO REG"},
    {"4317", "4317", true, true, "X2,iso3166alpha2", "00", "", "", "RTN TO COUNTRY"},
    {"4318", "4318", true, true, "X..20", "00", "", "", "RTN TO POST"},
    {"4319", "4319", true, true, "X..30", "00", "", "", "RTN TO PHONE"},
    {"4320", "4320", true, true, "X..35,pcenc", "00", "", "", "SRV DESCRIPTION"},
    {"4321", "4321", true, true, "N1,yesno", "00", "", "", "DANGEROUS GOODS"},
    {"4322", "4322", true, true, "N1,yesno", "00", "", "", "AUTH TO LEAVE"},
    {"4323", "4323", true, true, "N1,yesno", "00", "", "", "SIG REQUIRED"},
    {"4324", "4324", true, true, "N6,yymmd0 N4,hhmi", "00", "", "", "NOT BEF DEL DT"},
    {"4325", "4325", true, true, "N6,yymmd0 N4,hhmi", "00", "", "", "NOT AFT DEL DT"},
    {"4326", "4326", true, true, "N6,yymmdd", "00", "", "", "REL DATE"},
    {"4330", "4330", true, true, "N6 [X1],hyphen", "00", "4331", "", "MAX TEMP F."},
    {"4331", "4331", true, true, "N6 [X1],hyphen", "00", "4330", "", "MAX TEMP C."},
    {"4332", "4332", true, true, "N6 [X1],hyphen", "00", "4333", "", "MIN TEMP F."},
    {"4333", "4333", true, true, "N6 [X1],hyphen", "00", "4332", "", "MIN TEMP C."},
    {"7001", "7001", true, true, "N13", "01,02,8006,8026", "", "", "NSN"},
    {"7002", "7002", true, true, "X..30", "01,02", "", "", "MEAT CUT"},
    {"7003", "7003", true, true, "N6,yymmdd N4,hhmi", "01,02,03", "", "", "EXPIRY TIME"},
    {"7004", "7004", true, true, "N..4", "01+10,03+10", "", "", "ACTIVE POTENCY"},
    {"7005", "7005", true, true, "X..12", "01,02", "", "", "CATCH AREA"},
    {"7006", "7006", true, true, "N6,yymmdd", "01,02", "", "", "FIRST FREEZE DATE"},
    {"7007", "7007", true, true, "N6,yymmdd [N6],yymmdd", "01,02", "", "", "HARVEST DATE"},
    {"7008", "7008", true, true, "X..3", "01,02", "", "", "AQUATIC SPECIES"},
    {"7009", "7009", true, true, "X..10", "01,02", "", "", "FISHING GEAR TYPE"},
    {"7010", "7010", true, true, "X..2", "01,02,03", "", "", "PROD METHOD"},
    {"7011", "7011", true, true, "N6,yymmdd [N4],hhmi", "01,02,03", "", "", "TEST BY DATE"},
    {"7020", "7020", true, true, "X..20", "01+416,03+416,8006+416", "", "", "REFURB LOT"},
    {"7021", "7021", true, true, "X..20", "01,03,8006", "", "", "FUNC STAT"},
    {"7022", "7022", true, true, "X..20", "01+7021,03+7021,8006+7021", "", "", "REV STAT"},
    {"7023", "7023", true, true, "X..30,gcppos1", "", "", "", "GIAI - ASSEMBLY"},
    {"7030", "7030", true, true, "N3,iso3166999 X..27", "01,02", "", "", "PROCESSOR # 0"},
    {"7031", "7031", true, true, "N3,iso3166999 X..27", "01,02", "", "", "PROCESSOR # 1"},
    {"7032", "7032", true, true, "N3,iso3166999 X..27", "01,02", "", "", "PROCESSOR # 2"},
    {"7033", "7033", true, true, "N3,iso3166999 X..27", "01,02", "", "", "PROCESSOR # 3"},
    {"7034", "7034", true, true, "N3,iso3166999 X..27", "01,02", "", "", "PROCESSOR # 4"},
    {"7035", "7035", true, true, "N3,iso3166999 X..27", "01,02", "", "", "PROCESSOR # 5"},
    {"7036", "7036", true, true, "N3,iso3166999 X..27", "01,02", "", "", "PROCESSOR # 6"},
    {"7037", "7037", true, true, "N3,iso3166999 X..27", "01,02", "", "", "PROCESSOR # 7"},
    {"7038", "7038", true, true, "N3,iso3166999 X..27", "01,02", "", "", "PROCESSOR # 8"},
    {"7039", "7039", true, true, "N3,iso3166999 X..27", "01,02", "", "", "PROCESSOR # 9"},
    {"7040", "7040", true, false, "N1 X1 X1 X1,importeridx", "", "", "", "UIC+EXT"},
    {"7041", "7041", true, false, "X..4,packagetype", "00", "", "", "UFRGT UNIT TYPE"},
    {"710", "710", true, true, "X..20", "01", "", "", "NHRN PZN"},
    {"711", "711", true, true, "X..20", "01", "", "", "NHRN CIP"},
    {"712", "712", true, true, "X..20", "01", "", "", "NHRN CN"},
    {"713", "713", true, true, "X..20", "01", "", "", "NHRN DRN"},
    {"714", "714", true, true, "X..20", "01", "", "", "NHRN AIM"},
    {"715", "715", true, true, "X..20", "01", "", "", "NHRN NDC"},
    {"716", "716", true, true, "X..20", "01", "", "", "NHRN AIC"},
    {"717", "717", true, true, "X..20", "01", "", "", "NHRN SRN"},
    {"7230", "7230", true, true, "X2 X..28", "01,8004", "", "", "CERT # 1"},
    {"7231", "7231", true, true, "X2 X..28", "01,8004", "", "", "CERT # 2"},
    {"7232", "7232", true, true, "X2 X..28", "01,8004", "", "", "CERT # 3"},
    {"7233", "7233", true, true, "X2 X..28", "01,8004", "", "", "CERT # 4"},
    {"7234", "7234", true, true, "X2 X..28", "01,8004", "", "", "CERT # 5"},
    {"7235", "7235", true, true, "X2 X..28", "01,8004", "", "", "CERT # 6"},
    {"7236", "7236", true, true, "X2 X..28", "01,8004", "", "", "CERT # 7"},
    {"7237", "7237", true, true, "X2 X..28", "01,8004", "", "", "CERT # 8"},
    {"7238", "7238", true, true, "X2 X..28", "01,8004", "", "", "CERT # 9"},
    {"7239", "7239", true, true, "X2 X..28", "01,8004", "", "", "CERT # 10"},
    {"7240", "7240", true, true, "X..20", "01,8006", "03", "", "PROTOCOL"},
    {"7241", "7241", true, true, "N2,mediatype", "8017,8018", "", "", "AIDC MEDIA TYPE"},
    {"7242", "7242", true, true, "X..25", "8017,8018", "", "", "VCN"},
    {"7250", "7250", true, true, "N8,yyyymmdd", "8018", "7251", "", "DOB"},
    {"7251", "7251", true, true, "N8,yyyymmdd N4,hhmi", "8018", "7250", "", "DOB TIME"},
    {"7252", "7252", true, true, "N1,iso5218", "8018", "", "", "BIO SEX"},
    {"7253", "7253", true, true, "X..40,pcenc", "8017,8018", "7256,7259", "", "FAMILY NAME"},
    {"7254", "7254", true, true, "X..40,pcenc", "8017,8018", "7256,7259", "", "GIVEN NAME"},
    {"7255", "7255", true, true, "X..10", "8017,8018", "7256,7259", "", "SUFFIX"},
    {"7256", "7256", true, true, "X..90,pcenc", "8017,8018", "", "", "FULL NAME"},
    {"7257", "7257", true, true, "X..70,pcenc", "8018", "", "", "PERSON ADDR"},
    {"7258", "7258", true, true, "X3,posinseqslash", "8018+7259", "", "", "BIRTH SEQUENCE"},
    {"7259", "7259", true, true, "X..40,pcenc", "8018", "7256", "", "BABY"},
    {"8001", "8001", true, true, "N4,nonzero N5,nonzero N3,nonzero N1,winding N1", "01", "", "", "DIMENSIONS"},
    {"8002", "8002", true, true, "X..20", "", "", "", "CMT No."},
    {"8003", "8003", true, true, "N1,zero N13,csum,gcppos1 [X..16]", "", "", "dlpkey", "GRAI"},
    {"8004", "8004", true, true, "X..30,gcppos1", "", "", "dlpkey=7040", "GIAI"},
    {"8005", "8005", true, true, "N6", "01,02", "", "", "PRICE PER UNIT"},
    {"8006", "8006", true, true, "N14,csum,gcppos2 N4,pieceoftotal", "", "01,03,37", "dlpkey=22,10,21", "ITIP"},
    {"8007", "8007", true, true, "X..34,iban", "415", "", "", "IBAN"},
    {"8008", "8008", true, true, "N6,yymmdd N2,hh [N2],mi [N2],ss", "01,02,03", "", "", "PROD TIME"},
    {"8009", "8009", true, true, "X..50", "00,01,03", "", "", "OPTSEN"},
    {"8010", "8010", true, true, "Y..30,gcppos1", "", "", "dlpkey=8011", "CPID"},
    {"8011", "8011", true, false, "N..12,nozeroprefix", "8010", "", "", "CPID SERIAL"},
    {"8012", "8012", true, true, "X..20", "01,03,8006", "", "", "VERSION"},
    {"8013", "8013", true, true, "X..25,csumalpha,gcppos1", "", "", "dlpkey", "GMN"},
    {"8014", "8014", true, false, "X..25,csumalpha,gcppos1,hasnondigit", "01", "", "", "MUDI"},
    {"8017", "8017", true, true, "N18,csum,gcppos1", "", "8018", "dlpkey=8019", "GSRN - PROVIDER"},
    {"8018", "8018", true, true, "N18,csum,gcppos1", "", "8017", "dlpkey=8019", "GSRN - RECIPIENT"},
    {"8019", "8019", true, false, "N..10", "8017,8018", "", "", "SRIN"},
    {"8020", "8020", true, false, "X..25", "415", "", "", "REF No."},
    {"8026", "8026", true, true, "N14,csum,gcppos2 N4,pieceoftotal", "37", "02,03,8006", "", "ITIP CONTENT"},
    {"8030", "8030", true, true, "Z..90", "00,01+21,03+21,253,255,8003,8004,8006+21,8010+8011,8017,8018", "", "", "DIGSIG"},
    {"8040", "8040", true, false, "N15", "01+21", "", "", "IMEI"},
    {"8041", "8041", true, false, "N15", "01+21+8040", "", "", "IMEI2"},
    {"8042", "8042", true, false, "N32", "01+21+8040", "", "", "ESIM"},
    {"8043", "8043", true, false, "N18 [N..2]", "01+21+8040", "", "", "PSIM"},
    {"8110", "8110", true, true, "X..70,couponcode", "", "", "", ""},
    {"8111", "8111", true, true, "N4", "255", "", "", "POINTS"},
    {"8112", "8112", true, true, "X..70,couponposoffer", "", "", "", ""},
    {"8200", "8200", true, false, "X..70", "01", "", "", "PRODUCT URL"},
    {"90", "90", true, true, "X..30", "", "", "", "INTERNAL"},
    {"91", "99", true, true, "X..90", "", "", "", "INTERNAL"},
}};

constexpr bool isAiText(std::string_view ai, bool allowPattern)
{
    if (ai.size() < 2 || ai.size() > 4) {
        return false;
    }
    for (const char c : ai) {
        if (!((c >= '0' && c <= '9') || (allowPattern && c == 'n'))) {
            return false;
        }
    }
    return true;
}

// Whether every piece of `list` between any of the separators ";,+|" is an
// AI or pattern.
constexpr bool isAiList(std::string_view list)
{
    std::size_t start = 0;
    for (std::size_t i = 0; i <= list.size(); ++i) {
        if (i == list.size() || std::string_view(";,+|").find(list[i]) != std::string_view::npos) {
            if (!isAiText(list.substr(start, i - start), true)) {
                return false;
            }
            start = i + 1;
        }
    }
    return true;
}

// Every row must be usable as the parser reads it: AIs of one length in
// ascending order without overlap, components that parse, and AI lists that
// hold only AIs and patterns.
constexpr bool tableIsWellFormed()
{
    std::string_view previous;
    for (const AiEntry& e : kAiTable) {
        const bool ok = isAiText(e.firstAi, false) && isAiText(e.lastAi, false) &&
                        e.firstAi.size() == e.lastAi.size() && e.firstAi <= e.lastAi && previous < e.firstAi &&
                        parseComponents(e.components).wellFormed && (e.requiredAis.empty() || isAiList(e.requiredAis)) &&
                        (e.excludedAis.empty() || isAiList(e.excludedAis)) &&
                        (qualifierSequences(e).empty() || isAiList(qualifierSequences(e)));
        if (!ok) {
            return false;
        }
        previous = e.lastAi;
    }
    return true;
}
static_assert(tableIsWellFormed(), "the AI table has a malformed row");

}  // namespace

std::span<const AiEntry> aiTable() noexcept { return kAiTable; }

const AiEntry* findAi(std::string_view ai) noexcept
{
    for (const AiEntry& e : kAiTable) {
        if (ai.size() == e.firstAi.size() && ai >= e.firstAi && ai <= e.lastAi) {
            return isAiText(ai, false) ? &e : nullptr;
        }
    }
    return nullptr;
}

}  // namespace korvel::gs1
