#include "server_settings.hpp"

#include <array>
#include <string_view>
#include <thread>

#include <boost/asio/ip/address.hpp>

#include "api_routes.hpp"

namespace korvel::server {
namespace {

constexpr unsigned kMaxThreads = 256;
constexpr std::size_t kMaxDataLimit = 1048576;
constexpr std::uint64_t kMaxPixelsLimit = 268435456;  // 16384 x 16384
constexpr unsigned kMaxTimeout = 3600;

enum class Option { Listen, Threads, MaxData, MaxPixels, Timeout, AccessLog, Cors, Help, Version };

struct OptionRow {
    std::string_view name;
    Option option;
    std::string_view valueName;  // empty for a flag
    std::string_view help;
};

constexpr std::array<OptionRow, 9> kOptions{{
    {"listen", Option::Listen, "HOST:PORT",
     "Address and port to listen on: an IPv4 address, or an\n"
     "IPv6 address in brackets; port 0 takes any free port.\n"
     "Default: 127.0.0.1:8080"},
    {"threads", Option::Threads, "N", "Threads that serve requests, 1..256.\nDefault: the number of processors"},
    {"max-data", Option::MaxData, "BYTES", "Longest data in bytes, 1..1048576. Default: 8192"},
    {"max-pixels", Option::MaxPixels, "N", "Largest PNG in pixels, 1..268435456.\nDefault: 4194304 (2048 x 2048)"},
    {"timeout", Option::Timeout, "SECONDS",
     "Seconds for a request to arrive and for its answer to\n"
     "be taken; an idle connection is closed after them.\n"
     "1..3600. Default: 10"},
    {"access-log", Option::AccessLog, "FILE", "One line per request to FILE (- for standard output)"},
    {"cors", Option::Cors, "ORIGIN",
     "Let pages from ORIGIN (http[s]://host[:port], or * for\n"
     "any) call the API: Access-Control-Allow-Origin"},
    {"help", Option::Help, "", "Print this usage information and exit."},
    {"version", Option::Version, "", "Print the version line and exit."},
}};

const OptionRow* findOption(std::string_view name)
{
    for (const OptionRow& row : kOptions) {
        if (row.name == name) {
            return &row;
        }
    }
    return nullptr;
}

std::optional<std::uint64_t> parseWhole(std::string_view text, std::uint64_t low, std::uint64_t high)
{
    if (text.empty() || text.size() > 19 || text.find_first_not_of("0123456789") != std::string_view::npos) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    for (const char c : text) {
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return value >= low && value <= high ? std::optional(value) : std::nullopt;
}

// "HOST:PORT" with an IPv4 address or a bracketed IPv6 address.
bool parseListen(std::string_view text, ServerSettings& settings)
{
    const std::size_t colon = text.rfind(':');
    if (colon == std::string_view::npos) {
        return false;
    }
    std::string_view host = text.substr(0, colon);
    const bool bracketed = host.size() >= 2 && host.front() == '[' && host.back() == ']';
    if (bracketed) {
        host = host.substr(1, host.size() - 2);
    }
    boost::system::error_code error;
    const auto address = boost::asio::ip::make_address(std::string(host), error);
    const auto port = parseWhole(text.substr(colon + 1), 0, 65535);
    if (error || !port || address.is_v6() != bracketed) {
        return false;
    }
    settings.host = address.to_string();
    settings.port = static_cast<std::uint16_t>(*port);
    return true;
}

// "*" or an origin: http or https, a host of letters, digits, '.', '-' (or
// an IPv6 address in brackets), an optional port, nothing after it.
bool isOrigin(std::string_view text)
{
    if (text == "*") {
        return true;
    }
    std::string_view rest;
    if (text.substr(0, 7) == "http://") {
        rest = text.substr(7);
    } else if (text.substr(0, 8) == "https://") {
        rest = text.substr(8);
    } else {
        return false;
    }
    return !rest.empty() && rest.size() <= 253 &&
           rest.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789.-:[]") ==
               std::string_view::npos;
}

bool applyValue(Option option, std::string_view value, ServerSettings& s)
{
    switch (option) {
    case Option::Listen: return parseListen(value, s);
    case Option::Threads:
        if (const auto n = parseWhole(value, 1, kMaxThreads)) {
            s.threads = static_cast<unsigned>(*n);
            return true;
        }
        return false;
    case Option::MaxData:
        if (const auto n = parseWhole(value, 1, kMaxDataLimit)) {
            s.maxDataBytes = static_cast<std::size_t>(*n);
            return true;
        }
        return false;
    case Option::MaxPixels:
        if (const auto n = parseWhole(value, 1, kMaxPixelsLimit)) {
            s.maxPixels = *n;
            return true;
        }
        return false;
    case Option::Timeout:
        if (const auto n = parseWhole(value, 1, kMaxTimeout)) {
            s.timeoutSeconds = static_cast<unsigned>(*n);
            return true;
        }
        return false;
    case Option::AccessLog:
        s.accessLog = std::string(value);
        return !value.empty();
    case Option::Cors:
        s.corsOrigin = std::string(value);
        return isOrigin(value);
    case Option::Help:
    case Option::Version: return true;
    }
    return false;
}

// The value as one line: printable ASCII as it is, other bytes as \xNN.
std::string shown(std::string_view value)
{
    constexpr std::string_view kHex = "0123456789abcdef";
    std::string text;
    for (const char c : value.substr(0, 60)) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F) {
            text += c;
        } else {
            text += "\\x";
            text += kHex[byte >> 4];
            text += kHex[byte & 0xFU];
        }
    }
    return value.size() > 60 ? text + "..." : text;
}

std::string bannerLine() { return std::string("korvel-server ") + serverVersion(); }

int optionError(std::FILE* err, const char* what, std::string_view name)
{
    std::fprintf(err, "%s `%s'.\n", what, shown(name).c_str());
    std::fputs(serverUsageText().c_str(), err);
    return 1;
}

int valueError(std::FILE* err, std::string_view name, std::string_view value)
{
    std::fprintf(err, "%s\nError: Invalid value for --%s: %s.\n", bannerLine().c_str(), std::string(name).c_str(),
                 shown(value).c_str());
    return 1;
}

}  // namespace

std::string serverUsageText()
{
    std::string text = bannerLine() + "\nUsage:  korvel-server [OPTIONS]\n"
                                      "Serves Data Matrix symbols over HTTP: the API under /v1/ and a web page at /.\n"
                                      "Options:\n";
    constexpr std::size_t kColumn = 25;
    for (const OptionRow& row : kOptions) {
        std::string line = "   --" + std::string(row.name);
        if (!row.valueName.empty()) {
            line += "=" + std::string(row.valueName);
        }
        line.resize(kColumn, ' ');
        for (const char c : row.help) {
            line += c;
            if (c == '\n') {
                line.append(kColumn, ' ');
            }
        }
        text += line + "\n";
    }
    return text;
}

std::optional<int> readServerArguments(int argc, const char* const* argv, ServerSettings& settings, std::FILE* out,
                                       std::FILE* err)
{
    settings.threads = std::max(1U, std::min(kMaxThreads, std::thread::hardware_concurrency()));
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument.substr(0, 2) != "--" || argument.size() == 2) {
            std::fprintf(err, "%s\nError: Invalid argument: korvel-server takes no file name: %s.\n",
                         bannerLine().c_str(), shown(argument).c_str());
            return 1;
        }
        const std::size_t equals = argument.find('=');
        const std::string_view name = argument.substr(2, equals == std::string_view::npos ? equals : equals - 2);
        const OptionRow* row = findOption(name);
        if (row == nullptr) {
            return optionError(err, "invalid option", name);
        }
        if (!!row->valueName.empty() && equals != std::string_view::npos) {
            return optionError(err, "argument not allowed:", name);
        }
        if (row->option == Option::Help) {
            const std::string text = serverUsageText();
            return std::fputs(text.c_str(), out) >= 0 && std::fflush(out) == 0 ? 0 : 2;
        }
        if (row->option == Option::Version) {
            return std::fprintf(out, "%s\n", bannerLine().c_str()) > 0 && std::fflush(out) == 0 ? 0 : 2;
        }
        if (!!row->valueName.empty()) {
            continue;
        }
        std::string_view value;
        if (equals != std::string_view::npos) {
            value = argument.substr(equals + 1);
        } else if (i + 1 < argc) {
            value = argv[++i];
        } else {
            return optionError(err, "argument required:", name);
        }
        if (!applyValue(row->option, value, settings)) {
            return valueError(err, name, value);
        }
    }
    return std::nullopt;
}

}  // namespace korvel::server
