// The request-to-options step: every parameter's strict reading, the rules
// that join parameters, and the two ways parameters arrive (query, JSON).

#include <gtest/gtest.h>

#include <set>

#include "request_fields.hpp"
#include "request_options.hpp"

namespace korvel::server {
namespace {

struct Parsed {
    std::optional<RequestRefusal> refusal;
    SymbolRequest request;
};

Parsed parse(const std::string& query, std::optional<OutputType> pathType = OutputType::Png,
             std::size_t maxData = 8192)
{
    RequestFields fields;
    std::string error;
    EXPECT_TRUE(appendQueryFields(query, fields, error)) << query;
    Parsed parsed;
    parsed.refusal = requestToOptions(fields, {maxData}, pathType, parsed.request);
    return parsed;
}

TEST(RequestOptions, AcceptedValuesReachTheLibraryOptions)
{
    const Parsed p = parse("data=A%2BB+c&fmt=31&dmre=1&mode=0&minimal=1&orient=270&fcolor=8B0000&bcolor=fff8dc"
                           "&qzone=0&qsize=3&xdim=2.5&alignh=2&alignv=0&sapp=1&spos=2&stot=3&sid=64516"
                           "&palette=1&time=253402300799&dpi=600&gs1-separator=GS&shape=Rectangle&verify=1"
                           "&cmyk=1&no-background=1&dots=0.75&ink-spread=0.125");
    ASSERT_FALSE(p.refusal) << p.refusal->message;
    const SymbolRequest& r = p.request;
    EXPECT_EQ(r.symbol.data, "A+B c");
    EXPECT_EQ(r.symbol.preferredFormat, 31);
    EXPECT_TRUE(r.symbol.dmre && r.symbol.minimal && r.verify && r.png.palette);
    EXPECT_EQ(r.render.orientation, Orientation::Degrees270);
    EXPECT_EQ(r.render.foreground, Color::fromRgb(0x8B0000));
    EXPECT_EQ(r.render.background, Color::fromRgb(0xFFF8DC));
    EXPECT_FALSE(r.render.quietZone);
    EXPECT_EQ(r.render.quietZoneSize, 3);
    EXPECT_DOUBLE_EQ(r.render.moduleSize, 2.5);
    EXPECT_EQ(r.render.horizontal, Alignment::End);
    EXPECT_EQ(r.render.vertical, Alignment::Start);
    EXPECT_TRUE(r.symbol.structuredAppend.enabled);
    EXPECT_EQ(r.symbol.structuredAppend.position, 2);
    EXPECT_EQ(r.symbol.structuredAppend.total, 3);
    EXPECT_EQ(r.symbol.structuredAppend.id, 64516);
    EXPECT_EQ(r.png.time, 253402300799);
    EXPECT_EQ(r.png.dotsPerInch, 600);
    EXPECT_EQ(r.vector.dotsPerInch, 600);
    EXPECT_EQ(r.symbol.gs1Separator, Gs1Separator::GroupSeparator);
    EXPECT_EQ(r.symbol.shape, SymbolShape::Rectangle);
    EXPECT_TRUE(r.render.cmyk && r.render.transparentBackground);
    EXPECT_EQ(r.render.dotDiameter, 0.75);
    EXPECT_DOUBLE_EQ(r.render.inkSpread, 0.125);
    EXPECT_FALSE(parse("cmyk=0").request.render.cmyk);
}

TEST(RequestOptions, DefaultsAreTheProgramsWithAFixedTime)
{
    const Parsed p = parse("");
    ASSERT_FALSE(p.refusal);
    EXPECT_EQ(p.request.symbol.data, "1234567");
    EXPECT_EQ(p.request.symbol.syntax, DataSyntax::TildeEscapes);
    EXPECT_EQ(p.request.png.time, 0);
    EXPECT_DOUBLE_EQ(p.request.render.moduleSize, 5.0);
    EXPECT_FALSE(p.request.render.imageSize);
    EXPECT_EQ(p.request.vector.dotsPerInch, 96);
}

TEST(RequestOptions, DataSyntaxFollowsTheFlags)
{
    EXPECT_EQ(parse("gs1=1").request.symbol.syntax, DataSyntax::Gs1);
    EXPECT_TRUE(parse("gs1=1").request.symbol.gs1.contentChecks);
    EXPECT_FALSE(parse("gs1=1&gs1-nocheck=1").request.symbol.gs1.contentChecks);
    EXPECT_EQ(parse("gs1-nocheck=1").request.symbol.syntax, DataSyntax::Gs1);
    EXPECT_EQ(parse("gs1=0").request.symbol.syntax, DataSyntax::TildeEscapes);
    EXPECT_EQ(parse("hibc=1").request.symbol.syntax, DataSyntax::Hibc);
    const Parsed input = parse("input=fjF-Cg");  // "~1~\n", URL alphabet, no padding
    ASSERT_FALSE(input.refusal);
    EXPECT_EQ(input.request.symbol.syntax, DataSyntax::Literal);
    EXPECT_EQ(input.request.symbol.data, "~1~\n");
    EXPECT_EQ(parse("input=WzAxXTA5NTAxMTAxNTMwMDAzDQo%3D&gs1=1").request.symbol.data, "[01]09501101530003");
}

TEST(RequestOptions, FixedSizeAndMillimetres)
{
    const Parsed sized = parse("xsize=120");
    ASSERT_TRUE(sized.request.render.imageSize);
    EXPECT_EQ(*sized.request.render.imageSize, (ImageSize{120, 100}));
    const Parsed mm = parse("module-mm=0.5&dpi=600");
    ASSERT_FALSE(mm.refusal);
    EXPECT_DOUBLE_EQ(mm.request.render.moduleSize, 12.0);
    EXPECT_EQ(parse("module-mm=0.5", OutputType::Svg).request.vector.moduleMillimetres, 0.5);
}

TEST(RequestOptions, RefusalsNameTheParameter)
{
    const std::vector<std::pair<std::string, std::string>> cases{
        {"fmt=12ab", "fmt"},          {"fmt=-1", "fmt"},           {"fmt=49&dmre=1", "fmt"},
        {"fmt=31", "fmt"},            {"mode=7", "mode"},          {"mode=", "mode"},
        {"orient=45", "orient"},      {"xdim=0.4", "xdim"},        {"xdim=1e2", "xdim"},
        {"xdim=.", "xdim"},           {"xdim=+5", "xdim"},         {"module-mm=0", "module-mm"},
        {"module-mm=100.5", "module-mm"}, {"dpi=0", "dpi"},       {"dpi=100001", "dpi"},
        {"fcolor=fff", "fcolor"},     {"bcolor=0xffffff", "bcolor"}, {"fcolor=gggggg", "fcolor"},
        {"qzone=2", "qzone"},         {"qsize=-1", "qsize"},       {"alignh=3", "alignh"},
        {"sapp=yes", "sapp"},         {"spos=0", "spos"},          {"stot=17", "stot"},
        {"sid=64517", "sid"},         {"time=253402300800", "time"}, {"shape=round", "shape"},
        {"gs1-separator=rs", "gs1-separator"}, {"gs1=true", "gs1"}, {"type=gif", "type"},
        {"type=svg", "type"},         {"input=A", "input"},        {"input=A===", "input"},
        {"input=QR", "input"},        {"xsize=0", "xsize"},        {"ysize=65536", "ysize"},
        {"colour=000000", "colour"},  {"data=a&data=b", "data"},   {"data=a&input=YQ", "input"},
        {"gs1=1&hibc=1", "hibc"},     {"utf8=1&gs1=1", "utf8"},    {"minimal=1&mode=1", "minimal"},
        {"sapp=1&spos=4&stot=3", "spos"}, {"module-mm=1&xsize=10", "module-mm"}, {"module-mm=1", "module-mm"},
        {"dots=0.05", "dots"},        {"dots=1.5", "dots"},        {"ink-spread=0.6", "ink-spread"},
        {"cmyk=yes", "cmyk"},         {"no-background=2", "no-background"}, {"dots=0.2&ink-spread=0.15", "dots"},
    };
    for (const auto& [query, parameter] : cases) {
        const Parsed p = parse(query);
        ASSERT_TRUE(p.refusal) << query;
        EXPECT_EQ(p.refusal->parameter, parameter) << query;
        EXPECT_FALSE(p.refusal->tooLarge) << query;
        EXPECT_EQ(p.refusal->message.rfind("Error: Invalid ", 0), 0U) << p.refusal->message;
        EXPECT_EQ(p.refusal->message.back(), '.') << p.refusal->message;
    }
    EXPECT_EQ(parse("orient=45").refusal->message, "Error: Invalid value for orient: 45 (accepted: 0, 90, 180 or 270).");
    EXPECT_EQ(parse("fcolor=%0A%1B").refusal->message,
              "Error: Invalid value for fcolor: \\x0a\\x1b (accepted: RRGGBB (six hexadecimal digits)).");
    // The rules and their words are the program's, with the parameters' names.
    EXPECT_EQ(parse("module-mm=1&ysize=10").refusal->message,
              "Error: Invalid argument: module-mm cannot be combined with xsize or ysize.");
    EXPECT_EQ(parse("minimal=1&mode=2").refusal->message,
              "Error: Invalid argument: minimal chooses the schemes itself and needs mode 0.");
    EXPECT_EQ(parse("dots=0.3&ink-spread=0.25").refusal->message,
              "Error: Invalid argument: ink-spread leaves dots smaller than 0.1 of a module; dots less ink-spread "
              "must be at least 0.1.");
}

TEST(RequestOptions, DataBeyondTheLimitIsTooLarge)
{
    EXPECT_FALSE(parse("data=12345", OutputType::Png, 5).refusal);
    const Parsed p = parse("data=123456", OutputType::Png, 5);
    ASSERT_TRUE(p.refusal);
    EXPECT_TRUE(p.refusal->tooLarge);
    EXPECT_EQ(p.refusal->parameter, "data");
}

TEST(RequestFields, QueryAndJsonGiveTheSameFields)
{
    RequestFields query;
    RequestFields json;
    std::string error;
    ASSERT_TRUE(appendQueryFields("data=%7E1%C3%A9&xdim=2.5&gs1=1&&fmt=0", query, error));
    ASSERT_TRUE(appendJsonFields(R"({"data":"~1\u00e9","xdim":2.5,"gs1":true,"fmt":0})", json, error));
    ASSERT_EQ(query.size(), json.size());
    for (std::size_t i = 0; i < query.size(); ++i) {
        EXPECT_EQ(query[i].name, json[i].name);
        EXPECT_EQ(query[i].value, json[i].value);
    }
    for (const char* bad : {"data=%", "data=%4", "data=%G0", "%zz=1"}) {
        RequestFields fields;
        EXPECT_FALSE(appendQueryFields(bad, fields, error)) << bad;
    }
    for (const char* bad : {"", "[]", "{\"data\":null}", "{\"data\":[1]}", "{\"data\":\"x\"", "\"x\""}) {
        RequestFields fields;
        EXPECT_FALSE(appendJsonFields(bad, fields, error)) << bad;
    }
}

TEST(RequestOptions, TheTableListsEveryParameterOnce)
{
    std::set<std::string_view> names;
    for (const ParameterInfo& p : requestParameters()) {
        EXPECT_TRUE(names.insert(p.name).second) << p.name;
        EXPECT_FALSE(p.meaning.empty()) << p.name;
    }
    EXPECT_EQ(names.size(), 37U);
}

}  // namespace
}  // namespace korvel::server
