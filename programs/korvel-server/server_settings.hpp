#pragma once
// The server's own command line: where it listens and its limits. The
// options follow the korvel program's rules for its extended options: long
// names only, selected by the full name, a value after '=' or as the next
// argument, a flag refuses a value, and a value that is not valid ends the
// run with status 1 and a message naming the option and the value.

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

namespace korvel::server {

struct ServerSettings {
    std::string host = "127.0.0.1";  // an IPv4 or IPv6 address
    std::uint16_t port = 8080;       // 0: any free port (the one taken is announced)
    unsigned threads = 1;            // threads that serve requests; the processors by default
    std::size_t maxDataBytes = 8192;
    std::uint64_t maxPixels = 4194304;  // 2048 x 2048
    unsigned timeoutSeconds = 10;
    std::optional<std::string> accessLog;  // a file, or "-" for standard output
    std::optional<std::string> corsOrigin;
};

// The usage text (--help).
[[nodiscard]] std::string serverUsageText();

// Reads the arguments into `settings`. Returns nothing when the server is to
// run, or the status to end with at once: 0 after --help or --version (the
// text on `out`), 1 after a message on `err` for anything not accepted.
[[nodiscard]] std::optional<int> readServerArguments(int argc, const char* const* argv, ServerSettings& settings,
                                                     std::FILE* out, std::FILE* err);

}  // namespace korvel::server
