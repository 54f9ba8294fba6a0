// korvel-server as its clients see it: started on a free loopback port,
// asked over HTTP, its images read back with zxing-cpp (vector output
// through real renderers), its bytes compared with the korvel program's,
// its JSON parsed, its limits, caching, errors and signals exercised.

#include <gtest/gtest.h>
#include <signal.h>

#include <nlohmann/json.hpp>

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/read.hpp>
#include <boost/asio/write.hpp>

#include <fstream>
#include <set>
#include <thread>

#include "korvel/report.hpp"
#include "request_options.hpp"
#include "support/png_file.hpp"
#include "support/process_runner.hpp"
#include "support/server_process.hpp"
#include "support/symbol_readers.hpp"
#include "support/vector_rendering.hpp"

namespace korvel {
namespace {

using testing::HttpReply;
using testing::ServerProcess;
using Json = nlohmann::json;

std::span<const std::uint8_t> bytesOf(const std::string& text)
{
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

// What zxing-cpp reads in an image the server sent.
testing::ZxingReading readImage(const ServerProcess& server, const std::string& type, const std::string& query)
{
    const HttpReply image = server.get("/v1/symbol." + type + "?" + query);
    EXPECT_EQ(image.status, 200U) << image.body;
    if (type == "png") {
        const auto png = testing::decodePng(bytesOf(image.body), testing::PngPixels::Rgb);
        return png ? testing::readWithZxing(*testing::toRaster(*png)) : testing::ZxingReading{};
    }
    const Json report = Json::parse(server.get("/v1/report?type=" + type + "&" + query).body);
    const auto format = type == "svg" ? testing::VectorFormat::Svg
                        : type == "eps" ? testing::VectorFormat::Eps
                                        : testing::VectorFormat::Pdf;
    const auto rendering = testing::renderDocument(format, image.body, 96, report["image"]["width"].get<int>(),
                                                   report["image"]["height"].get<int>());
    EXPECT_TRUE(rendering.image) << rendering.problem;
    return rendering.image ? testing::readWithZxing(*rendering.image) : testing::ZxingReading{};
}

class ServerApi : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        server_ = new ServerProcess({"--threads=2", "--max-data=3000", "--max-pixels=1000000"});
    }
    static void TearDownTestSuite()
    {
        delete server_;
        server_ = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(server_->running()) << server_->announcement(); }
    static ServerProcess* server_;
};
ServerProcess* ServerApi::server_ = nullptr;

TEST_F(ServerApi, EveryImageTypeReadsBackAsItsData)
{
    struct Case {
        const char* type;
        const char* query;
        std::string read;
    };
    const std::vector<Case> cases{
        {"png", "", "1234567"},
        {"png", "data=Hello%2C%20World!&orient=90&fcolor=8b0000&bcolor=fff8dc&qsize=2", "Hello, World!"},
        {"png", "data=%5B01%5D09501101530003%5B17%5D261231%5B10%5DABC&gs1=1", "010950110153000317261231" "10ABC"},
        {"png", "data=A123BJC5D6E71&hibc=1&palette=1", "+A123BJC5D6E71G"},
        {"png", "data=PARCEL+0042&fmt=28&xsize=200&ysize=120&alignh=0", "PARCEL 0042"},
        {"svg", "data=SERVER+42&xdim=4", "SERVER 42"},
        {"eps", "data=SERVER+42&xdim=4&orient=180", "SERVER 42"},
        {"pdf", "data=SERVER+42&xdim=4&dmre=1&fmt=31", "SERVER 42"},
        {"png", "data=DOTS+42&xdim=5&dots=0.8", "DOTS 42"},
        {"png", "data=%5B01%5D09501101530003&gs1=1&hri-text=1&xdim=4", "0109501101530003"},
        {"pdf", "data=CMYK+42&xdim=4&cmyk=1&ink-spread=0.1&no-background=1", "CMYK 42"},
    };
    for (const Case& c : cases) {
        const testing::ZxingReading reading = readImage(*server_, c.type, c.query);
        EXPECT_TRUE(reading.found) << c.type << " " << c.query;
        EXPECT_EQ(reading.bytes, c.read) << c.type << " " << c.query;
    }
}

// The same options on the command line (with the server's fixed time
// stamp) give the very same bytes.
TEST_F(ServerApi, BytesAreTheProgramsForTheSameOptions)
{
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases{
        {"/v1/symbol.png?data=%5B01%5D09501101530003%5B17%5D261231&gs1=1&xdim=3&qsize=2",
         {"--gs1", "-d", "[01]09501101530003[17]261231", "-n", "3", "-e", "2", "--time=0", "out.png"}},
        {"/v1/symbol.png?data=caf%C3%A9&utf8=1&module-mm=0.5&dpi=300&time=1700000000&palette=1",
         {"--utf8", "-d", "caf\xC3\xA9", "--module-mm=0.5", "--dpi=300", "--time=1700000000", "--palette", "out.png"}},
        {"/v1/symbol.svg?data=x&module-mm=0.5&orient=270", {"-d", "x", "--module-mm=0.5", "-o", "270", "out.svg"}},
        {"/v1/symbol.pdf?data=x&shape=rectangle&minimal=1", {"-d", "x", "--shape=rectangle", "--minimal", "out.pdf"}},
        {"/v1/symbol.eps?data=x&xsize=90&alignv=2", {"-d", "x", "-x", "90", "-v", "2", "out.eps"}},
        {"/v1/symbol.png?data=x&dots=0.8&ink-spread=0.2&no-background=1",
         {"-d", "x", "--dots=0.8", "--ink-spread=0.2", "--no-background", "--time=0", "out.png"}},
        {"/v1/symbol.pdf?data=x&cmyk=1&dots=0.9", {"-d", "x", "--cmyk", "--dots=0.9", "out.pdf"}},
        {"/v1/symbol.png?data=%5B01%5D09501101530003&gs1=1&hri-text=1",
         {"--gs1", "-d", "[01]09501101530003", "--hri-text", "--time=0", "out.png"}},
        {"/v1/symbol.txt?data=x&hri-text=1", {"-d", "x", "--hri-text", "--type=text", "out.txt"}},
    };
    for (const auto& [target, arguments] : cases) {
        testing::ScratchDirectory directory;
        const testing::ProcessResult run = testing::runKorvel(arguments, directory);
        ASSERT_EQ(run.exitStatus, 0) << run.err;
        const std::string& file = arguments.back();
        EXPECT_EQ(server_->get(target).body, directory.read(file)) << target;
    }
    // CMYK: in the page (uncompressed by qpdf) black is black ink alone, and
    // no RGB colour operator is left.
    const auto page = testing::runOnDocument(testing::VectorFormat::Pdf, server_->get("/v1/symbol.pdf?data=x&cmyk=1").body,
                                             "sh", {"-c", "qpdf --qdf --object-streams=disable \"$0\" -"})
                          .process;
    EXPECT_NE(page.out.find("\n0 0 0 1 k\n"), std::string::npos) << page.err;
    EXPECT_EQ(page.out.find(" rg\n"), std::string::npos);
}

TEST_F(ServerApi, PostTakesTheSameFieldsAsJson)
{
    const std::string get = server_->get("/v1/symbol.svg?data=%7E1ABC&xdim=2.5&qzone=0").body;
    const HttpReply text = server_->request("POST", "/v1/symbol", {}, R"({"data":"~1ABC","xdim":2.5,"qzone":false,
        "type":"svg"})", "application/json; charset=utf-8");
    EXPECT_EQ(text.status, 200U);
    EXPECT_EQ(text.header("content-type"), "image/svg+xml");
    EXPECT_EQ(text.body, get);
    // input holds bytes taken literally: "~1ABC" without the escape.
    const HttpReply bytes = server_->request("POST", "/v1/symbol", {}, R"({"input":"fjFBQkM=","type":"png"})",
                                             "application/json");
    const auto png = testing::decodePng(bytesOf(bytes.body), testing::PngPixels::Rgb);
    ASSERT_TRUE(png);
    EXPECT_EQ(testing::readWithZxing(*testing::toRaster(*png)).bytes, "~1ABC");
}

TEST_F(ServerApi, CachingHeadersAndConditionalRequests)
{
    const std::string target = "/v1/symbol.png?data=cache%20me";
    const HttpReply first = server_->get(target);
    const HttpReply second = server_->get(target);
    ASSERT_EQ(first.status, 200U);
    EXPECT_EQ(first.body, second.body);
    const std::string etag = "\"" + sha256Hex(bytesOf(first.body)) + "\"";
    EXPECT_EQ(first.header("etag"), etag);
    EXPECT_EQ(first.header("content-type"), "image/png");
    EXPECT_EQ(first.header("content-length"), std::to_string(first.body.size()));
    EXPECT_EQ(first.header("cache-control"), "public, max-age=31536000, immutable");
    for (const std::string& tag : {etag, "W/" + etag, "\"other\", " + etag, std::string("*")}) {
        const HttpReply cached = server_->get(target, {{"If-None-Match", tag}});
        EXPECT_EQ(cached.status, 304U) << tag;
        EXPECT_EQ(cached.body, "");
        EXPECT_EQ(cached.header("etag"), etag);
    }
    EXPECT_EQ(server_->get(target, {{"If-None-Match", "\"other\""}}).status, 200U);
    const HttpReply head = server_->request("HEAD", target);
    EXPECT_EQ(head.status, 200U);
    EXPECT_EQ(head.header("content-length"), std::to_string(first.body.size()));
    EXPECT_EQ(head.header("etag"), etag);
    EXPECT_EQ(server_->get("/v1/report?data=cache").header("cache-control"), "no-cache");
    EXPECT_EQ(server_->get("/v1/symbol.png?fmt=99").header("cache-control"), "no-store");
}

TEST_F(ServerApi, ErrorsAreJsonWithTheirClass)
{
    struct Case {
        std::string target;
        unsigned status;
        std::string parameter;
        int exitStatus;  // -1: none
    };
    const std::vector<Case> cases{
        {"/v1/symbol.png?fmt=12ab", 400, "fmt", 1},
        {"/v1/symbol.png?colour=000000", 400, "colour", 1},
        {"/v1/symbol.png?data=x&xdim=200", 400, "xdim", 1},  // more pixels than --max-pixels
        {"/v1/symbol.png?data=x&xsize=1001&ysize=1000", 400, "xsize", 1},
        {"/v1/symbol.png?data=x&mode=5&data=y", 400, "data", 1},
        {"/v1/symbol.png?data=%61%", 400, "", -1},
        {"/v1/symbol.svg?data=%7EX01&hri-text=1", 400, "hri-text", 1},  // no printable text to show
        {"/v1/symbol.png?data=abc&mode=6", 422, "data", 5},
        {"/v1/symbol.png?data=" + std::string(50, 'A') + "&fmt=1", 422, "fmt", 10},
        {"/v1/symbol.png?data=" + std::string(2000, 'a') + "&mode=1", 422, "data", 8},
        {"/v1/symbol.png?data=" + std::string(10, 'x') + "&xsize=10&ysize=10", 422, "xsize", 4},
        {"/v1/symbol.png?data=" + std::string(3001, '1'), 413, "data", -1},
        {"/v1/validate?data=x", 400, "gs1", 1},
        {"/nowhere", 404, "", -1},
        {"/v1/symbol.gif", 404, "", -1},
        {"/../CMakeLists.txt", 404, "", -1},
        {"/web/index.html", 404, "", -1},
    };
    for (const Case& c : cases) {
        const HttpReply reply = server_->get(c.target);
        EXPECT_EQ(reply.status, c.status) << c.target << " " << reply.body;
        EXPECT_EQ(reply.header("content-type"), "application/json") << c.target;
        const Json error = Json::parse(reply.body, nullptr, false);
        ASSERT_TRUE(error.is_object()) << reply.body;
        EXPECT_EQ(error["status"], c.status);
        EXPECT_EQ(error["message"].get<std::string>().rfind("Error: ", 0), 0U) << reply.body;
        EXPECT_EQ(error.value("parameter", ""), c.parameter) << c.target;
        EXPECT_EQ(error.value("exit_status", -1), c.exitStatus) << c.target;
    }
    const HttpReply wrongMethod = server_->request("DELETE", "/v1/symbol.png");
    EXPECT_EQ(wrongMethod.status, 405U);
    EXPECT_EQ(wrongMethod.header("allow"), "GET, HEAD, OPTIONS");
    EXPECT_EQ(server_->get("/v1/symbol").header("allow"), "POST, OPTIONS");
    EXPECT_EQ(server_->request("POST", "/v1/symbol", {}, "data=x", "application/x-www-form-urlencoded").status, 415U);
    EXPECT_EQ(server_->request("POST", "/v1/symbol", {}, "{\"data\":", "application/json").status, 400U);
}

// The fault of GS1 data as data: its AI and the faulty bytes, 1-based.
TEST_F(ServerApi, Gs1FaultsCarryTheirPlace)
{
    const HttpReply image = server_->get("/v1/symbol.png?gs1=1&data=%5B01%5D09501101530004");
    EXPECT_EQ(image.status, 422U);
    const Json error = Json::parse(image.body);
    EXPECT_EQ(error["exit_status"], 15);
    EXPECT_EQ(error.value("ai", ""), "01") << image.body;
    EXPECT_EQ(error.value("position", 0), 5) << image.body;
    EXPECT_EQ(error.value("length", 0), 14) << image.body;

    const Json invalid = Json::parse(server_->get("/v1/validate?gs1=1&data=%5B01%5D09501101530004").body);
    EXPECT_EQ(invalid["valid"], false);
    EXPECT_EQ(invalid["message"], error["message"]);
    EXPECT_EQ(invalid.value("position", 0), 5) << invalid;
}

TEST_F(ServerApi, ValidateDescribesGoodData)
{
    const Json gs1 = Json::parse(server_->get("/v1/validate?gs1=1&data=(01)09501101530003(10)AB").body);
    EXPECT_EQ(gs1["valid"], true);
    EXPECT_EQ(gs1["hri"], "(01) 09501101530003 (10) AB");
    EXPECT_EQ(gs1["elements"][1]["ai"], "10");
    EXPECT_EQ(gs1["elements"][1]["value"], "AB");
    const Json hibc = Json::parse(server_->get("/v1/validate?hibc=1&data=A123BJC5D6E71").body);
    EXPECT_EQ(hibc["valid"], true);
    EXPECT_EQ(hibc["hri"], "+A123BJC5D6E71G");
    const Json badHibc = Json::parse(server_->get("/v1/validate?hibc=1&data=A1a").body);
    EXPECT_EQ(badHibc["valid"], false);
}

TEST_F(ServerApi, ReportIsTheProgramsAndVerifies)
{
    const std::string query = "data=%5B01%5D09501101530003&gs1=1&dmre=1&fmt=31&verify=1";
    const HttpReply reply = server_->get("/v1/report?" + query);
    ASSERT_EQ(reply.status, 200U) << reply.body;
    const Json report = Json::parse(reply.body);
    EXPECT_EQ(report["status"], 0);
    EXPECT_EQ(report["format"]["number"], 31);
    EXPECT_EQ(report["gs1"]["hri"], "(01) 09501101530003");
    EXPECT_EQ(report["sha256"], sha256Hex(bytesOf(server_->get("/v1/symbol.png?" + query).body)));
    EXPECT_EQ(report["verification"]["passed"], true) << reply.body;
    const HttpReply failed = server_->get("/v1/report?data=" + std::string(60, 'A') + "&fmt=2");
    EXPECT_EQ(failed.status, 422U);
    EXPECT_EQ(Json::parse(failed.body)["report"]["status"], 10);
}

TEST_F(ServerApi, HealthDescriptionAndPage)
{
    EXPECT_EQ(Json::parse(server_->get("/healthz").body)["status"], "ok");
    const Json api = Json::parse(server_->get("/v1/openapi.json").body);
    EXPECT_EQ(api["openapi"].get<std::string>().substr(0, 2), "3.");
    std::set<std::string> documented;
    for (const Json& parameter : api["paths"]["/v1/report"]["get"]["parameters"]) {
        documented.insert(parameter["name"]);
    }
    for (const server::ParameterInfo& parameter : server::requestParameters()) {
        EXPECT_EQ(documented.count(std::string(parameter.name)), 1U) << parameter.name;
    }
    const HttpReply page = server_->get("/");
    EXPECT_EQ(page.status, 200U);
    EXPECT_EQ(page.header("content-type"), "text/html; charset=utf-8");
    EXPECT_NE(page.header("content-security-policy").find("default-src 'none'"), std::string::npos);
    EXPECT_EQ(server_->get("/page.js").header("content-type"), "text/javascript; charset=utf-8");
}

// Requests the parser refuses get their class of error, and the server goes
// on serving.
TEST_F(ServerApi, MalformedAndOversizedRequests)
{
    const std::vector<std::pair<std::string, std::string>> cases{
        {"GARBAGE\r\n\r\n", "HTTP/1.1 400"},
        {"GET / HTTP/1.1\r\nHost: x\r\nBad Header\r\n\r\n", "HTTP/1.1 400"},
        {"GET /v1/symbol.png?data=" + std::string(40000, 'a') + " HTTP/1.1\r\nHost: x\r\n\r\n", "HTTP/1.1 414"},
        {"GET / HTTP/1.1\r\nHost: x\r\nX-Big: " + std::string(40000, 'b') + "\r\n\r\n", "HTTP/1.1 431"},
        {"POST /v1/symbol HTTP/1.1\r\nHost: x\r\nContent-Type: application/json\r\nContent-Length: 999999\r\n\r\n{",
         "HTTP/1.1 413"},
    };
    for (const auto& [request, answer] : cases) {
        const std::string reply = server_->exchangeRaw(request);
        EXPECT_EQ(reply.substr(0, answer.size()), answer) << request.substr(0, 60) << ": " << reply.substr(0, 60);
    }
    EXPECT_EQ(server_->get("/healthz").status, 200U);
}

TEST(ServerProgram, OptionsFollowTheCommandLinesRules)
{
    testing::ScratchDirectory directory;
    const std::vector<std::pair<std::vector<std::string>, std::string>> refused{
        {{"--threads=0"}, "Error: Invalid value for --threads: 0."},
        {{"--threads", "1x"}, "Error: Invalid value for --threads: 1x."},
        {{"--max-data=1e3"}, "Error: Invalid value for --max-data: 1e3."},
        {{"--listen=localhost:80"}, "Error: Invalid value for --listen: localhost:80."},
        {{"--listen=::1:80"}, "Error: Invalid value for --listen: ::1:80."},
        {{"--listen=127.0.0.1:65536"}, "Error: Invalid value for --listen: 127.0.0.1:65536."},
        {{"--cors=ftp://x"}, "Error: Invalid value for --cors: ftp://x."},
        {{"--timeout=0"}, "Error: Invalid value for --timeout: 0."},
        {{"--max-pixels=-1"}, "Error: Invalid value for --max-pixels: -1."},
        {{"--thread=2"}, "invalid option `thread'."},
        {{"--help=1"}, "argument not allowed: `help'."},
        {{"--timeout"}, "argument required: `timeout'."},
        {{"out.png"}, "korvel-server takes no file name: out.png."},
    };
    for (const auto& [arguments, message] : refused) {
        const auto run = testing::runProcess(testing::serverProgram(), arguments, directory.path());
        EXPECT_EQ(run.exitStatus, 1) << arguments[0];
        EXPECT_NE(run.err.find(message), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "");
    }
    const auto help = testing::runProcess(testing::serverProgram(), {"--help"}, directory.path());
    EXPECT_EQ(help.exitStatus, 0);
    EXPECT_NE(help.out.find("--max-pixels=N"), std::string::npos);
    const auto version = testing::runProcess(testing::serverProgram(), {"--version"}, directory.path());
    EXPECT_EQ(version.out.rfind("korvel-server ", 0), 0U);

    ServerProcess taken;
    const auto busy = testing::runProcess(testing::serverProgram(),
                                          {"--listen=127.0.0.1:" + std::to_string(taken.port())}, directory.path());
    EXPECT_EQ(busy.exitStatus, 1);
    EXPECT_NE(busy.err.find("Cannot listen on 127.0.0.1"), std::string::npos) << busy.err;
}

TEST(ServerProgram, CorsLogAndSlowClients)
{
    testing::ScratchDirectory directory;
    ServerProcess server({"--cors=https://labels.example", "--timeout=1", "--access-log=" + directory.file("log")});
    ASSERT_TRUE(server.running());
    EXPECT_EQ(server.get("/healthz").header("access-control-allow-origin"), "https://labels.example");
    const HttpReply preflight = server.request("OPTIONS", "/v1/symbol", {{"Origin", "https://labels.example"}});
    EXPECT_EQ(preflight.status, 204U);
    EXPECT_EQ(preflight.header("access-control-allow-methods"), "POST, OPTIONS");

    // A header that never ends is cut off after the timeout, while other
    // clients are served.
    std::string slowReply;
    std::thread slow([&] { slowReply = server.exchangeRaw("GET /healthz HTTP/1.1\r\nHost: x\r\n"); });
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(server.get("/v1/symbol.svg").status, 200U);
    slow.join();
    EXPECT_EQ(slowReply, "");

    ASSERT_EQ(server.stop(SIGINT), 0);
    const std::string log = directory.read("log");
    EXPECT_NE(log.find("127.0.0.1 - - ["), std::string::npos) << log;
    EXPECT_NE(log.find("] \"GET /healthz HTTP/1.1\" 200 "), std::string::npos) << log;
}

// SIGTERM lets a request in flight finish, then the server ends with 0.
TEST(ServerProgram, TerminationFinishesRequestsInFlight)
{
    ServerProcess server;
    ASSERT_TRUE(server.running());
    namespace net = boost::asio;
    net::io_context context;
    net::ip::tcp::socket socket(context);
    socket.connect({net::ip::make_address("127.0.0.1"), server.port()});
    const std::string body = R"({"data":"in flight"})";
    const std::string head = "POST /v1/symbol HTTP/1.1\r\nHost: x\r\nContent-Type: application/json\r\n"
                             "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n";
    net::write(socket, net::buffer(head + body.substr(0, 5)));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    std::optional<int> status;
    std::thread stopper([&] { status = server.stop(SIGTERM); });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    net::write(socket, net::buffer(body.substr(5)));
    std::string reply;
    boost::system::error_code error;
    net::read(socket, net::dynamic_buffer(reply), error);
    stopper.join();
    EXPECT_EQ(reply.substr(0, 15), "HTTP/1.1 200 OK") << reply.substr(0, 80);
    EXPECT_NE(reply.find("Connection: close"), std::string::npos);
    EXPECT_EQ(status, 0);
}

}  // namespace
}  // namespace korvel
